//===- named_access.h - Objects read by attribute and role names -*- C++
//-*-===//
//
// For tools that walk a repository by the names of attributes and ends (the
// listing of a compiled program, the interpreter's reader of it): each name
// is looked up in the object's own class, so an object of an unexpected
// class reads as empty instead of aliasing another's member.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repository.h"

#include <string>
#include <vector>

namespace zrep {

class NamedAccess {
public:
  explicit NamedAccess(const Repository &repo)
      : repo_(repo), mm_(repo.metamodel()) {}

  const std::string &cls(ObjectId id) const {
    return mm_.classInfo(repo_.classOf(id))->name;
  }
  std::string attr(ObjectId id, const char *name) const {
    return repo_.value(id, mm_.attrId(repo_.classOf(id), name));
  }
  bool flag(ObjectId id, const char *name) const {
    return attr(id, name) == "true";
  }
  std::vector<ObjectId> many(ObjectId id, const char *role) const {
    return repo_.partners(id, mm_.endId(repo_.classOf(id), role));
  }
  /// The first partner, or 0.
  ObjectId one(ObjectId id, const char *role) const {
    std::vector<ObjectId> p = many(id, role);
    return p.empty() ? 0 : p.front();
  }

protected:
  const Repository &repo_;
  const Metamodel &mm_;
};

} // namespace zrep
