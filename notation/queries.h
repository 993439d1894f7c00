//===- queries.h - Lookups shared by import and export ----------*- C++ -*-===//
//
// The import resolves a name the way these functions do, and the export
// writes the short form of a reference only when they lead back to the same
// object, so that every exported text imports to the same repository.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repository.h"
#include "schema.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace notation {

using zrep::ObjectId;

/// The first partner of `obj` at `end`, or 0.
ObjectId partner(const zrep::Repository &repo, ObjectId obj, TypeId end);
/// Calls f(partner) for each partner of `obj` at `end`, in order.
template <class F>
void forPartners(const zrep::Repository &repo, ObjectId obj, TypeId end,
                 F &&f) {
  const zrep::Object *o = repo.find(obj);
  if (!o)
    return;
  for (std::uint32_t k = 0; k < o->endCount; ++k) {
    zrep::EndPartners p = repo.endPartners(*o, k);
    if (p.end != end)
      continue;
    for (const ObjectId *it = p.begin; it != p.finish; ++it)
      if (*it)
        f(*it);
    return;
  }
}

/// The property named `name` of class `cls` or of its general classes,
/// searched breadth first; 0 when there is none.
ObjectId findProperty(const zrep::Repository &repo, const Schema &s,
                      ObjectId cls, std::string_view name);
/// The type of a referencable element; for a class element, the type of
/// what it stands for (its definition or the element it refers to).
ObjectId referencableType(const zrep::Repository &repo, const Schema &s,
                          ObjectId element);
/// The name a class element goes by: the "refName" of its definition, or
/// of the element it refers to.
std::string_view elementName(const zrep::Repository &repo, const Schema &s,
                             ObjectId element);
/// The other end of the association of `property`; 0 when there is none.
ObjectId oppositeEnd(const zrep::Repository &repo, const Schema &s,
                     ObjectId property);

/// Qualified names of Kernel types or ZEVA procedures: a name with the
/// names of the packages around it, looked up by any trailing part of the
/// path and told apart by an ordinal among equal paths.
class PathIndex {
public:
  /// Types (`procedures` false) or procedures, in extent order.
  PathIndex(const zrep::Repository &repo, const Schema &s, bool procedures);

  /// The objects whose path ends with `parts`, in extent order.
  std::vector<ObjectId> matches(const std::vector<std::string> &parts) const;
  /// The shortest path that names `obj` alone, with an ordinal where even
  /// the whole path is shared.
  std::string shortest(ObjectId obj) const;
  /// All simple names (for suggestions).
  std::vector<std::string_view> names() const;

private:
  std::vector<std::string_view> pathOf(ObjectId obj) const;
  const zrep::Repository &repo_;
  const Schema &s_;
  bool procedures_;
  std::unordered_map<std::string_view, std::vector<ObjectId>> byName_;
  mutable std::unordered_map<ObjectId, std::string> shortest_;
};

} // namespace notation
