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

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace notation {

using zrep::ObjectId;

/// Calls f(partner) for each partner of `o` at `end`, in order.
template <class F>
void forPartners(const zrep::Repository &repo, const zrep::Object &o,
                 TypeId end, F &&f) {
  for (std::uint32_t k = 0; k < o.endCount; ++k) {
    zrep::EndPartners p = repo.endPartners(o, k);
    if (p.end != end)
      continue;
    for (const ObjectId *it = p.begin; it != p.finish; ++it)
      if (*it)
        f(*it);
    return;
  }
}
/// Calls f(partner) for each partner of `obj` at `end`, in order.
template <class F>
void forPartners(const zrep::Repository &repo, ObjectId obj, TypeId end,
                 F &&f) {
  if (const zrep::Object *o = repo.find(obj))
    forPartners(repo, *o, end, f);
}
/// The first partner of `o` at `end`, or 0.
ObjectId partner(const zrep::Repository &repo, const zrep::Object &o,
                 TypeId end);
/// The first partner of `obj` at `end`, or 0.
inline ObjectId partner(const zrep::Repository &repo, ObjectId obj,
                        TypeId end) {
  const zrep::Object *o = repo.find(obj);
  return o ? partner(repo, *o, end) : 0;
}
/// As Repository::valueView, for an object already found.
inline std::string_view value(const zrep::Repository &repo,
                              const zrep::Object &o, TypeId attr) {
  const zrep::AttrInfo *a = repo.metamodel().attrInfo(attr);
  if (!a || !o.values || !repo.metamodel().isKindOf(o.cls, a->owner))
    return {"", 0};
  return repo.slotValue(o, a->slot);
}

/// Calls f(class record) for `cls` and then its general classes, breadth
/// first and each once, until f returns true. Hierarchies are small, so the
/// classes seen are kept in a plain list, on the stack until it grows long.
template <class F>
void forClassAndGenerals(const zrep::Repository &repo, const Schema &s,
                         ObjectId cls, F &&f) {
  std::array<ObjectId, 32> near;
  std::vector<ObjectId> far;
  std::size_t size = 0;
  auto at = [&](std::size_t i) {
    return i < near.size() ? near[i] : far[i - near.size()];
  };
  auto push = [&](ObjectId c) {
    if (size < near.size())
      near[size] = c;
    else
      far.push_back(c);
    ++size;
  };
  push(cls);
  for (std::size_t i = 0; i < size && i < 4096; ++i) {
    const zrep::Object *c = repo.find(at(i));
    if (!c)
      continue;
    if (f(*c))
      return;
    forPartners(repo, *c, s.kGeneralizationOf, [&](ObjectId g) {
      ObjectId general = partner(repo, g, s.kGeneral);
      bool seen = false;
      for (std::size_t j = 0; j < size && !seen; ++j)
        seen = at(j) == general;
      if (general && !seen)
        push(general);
    });
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
  std::vector<ObjectId> matches(const std::vector<std::string> &parts) const {
    std::vector<ObjectId> out;
    matches(parts, out);
    return out;
  }
  /// The same, into `out`.
  void matches(const std::vector<std::string> &parts,
               std::vector<ObjectId> &out) const;
  /// The shortest path that names `obj` alone, with an ordinal where even
  /// the whole path is shared.
  const std::string &shortest(ObjectId obj) const;
  /// All simple names (for suggestions).
  std::vector<std::string_view> names() const;

private:
  std::vector<std::string_view> pathOf(ObjectId obj) const;
  /// shortest(), made afresh.
  std::string shortestPath(ObjectId obj) const;
  const zrep::Repository &repo_;
  const Schema &s_;
  bool procedures_;
  std::unordered_map<std::string_view, std::vector<ObjectId>> byName_;
  /// shortest() by record index: 1 + its index in texts_, 0 when not yet
  /// made. A deque, so that the texts stay in place as more are made.
  mutable std::vector<std::uint32_t> shortestAt_;
  mutable std::deque<std::string> texts_;
};

} // namespace notation
