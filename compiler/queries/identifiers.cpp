//===- identifiers.cpp - What identifiers name, and type checks -----------===//

#include "identifiers.h"

#include "cycle_check.h"
#include "globals.h"
#include "names.h"
#include "natives.h"

#include <unordered_set>
#include <vector>

using namespace kel;

namespace zeva {

namespace {

/// A depth-first search over a class hierarchy along `role` (generalization
/// or specialization) and then `partnerRole` (its general or specific
/// class), in link order, made with a stack of its own: hierarchies may be
/// as deep as the model likes. `found` tells whether a class reached is the
/// one looked for. A link without its class ends the search of the class
/// whose link it is (that class answers false). A class answers the same
/// whenever it is reached, so one that has answered false is not searched
/// again; a class reached again while its own search is open is a cycle,
/// which aborts the run.
template <class Found>
bool searchHierarchy(const Kel_Var_2 &start, const char *role,
                     const char *partnerRole, const char *walk, Found found) {
  struct Open {
    ObjectId cls;
    Kel_Var_2 link;
    bool more;
  };
  std::vector<Open> open;
  PathCycleCheck path;
  std::unordered_set<ObjectId> answeredFalse;
  auto enter = [&](const Kel_Var_2 &cls) {
    if (!path.enter(CurId(cls)))
      abortCycle(walk, CurId(cls), role);
    open.push_back({CurId(cls), Kel_Var_2("Kernel::Generalization"), false});
    open.back().more = FirstByLink(open.back().link, cls, role);
  };
  auto leave = [&] {
    path.leave(open.back().cls);
    answeredFalse.insert(open.back().cls);
    open.pop_back();
    if (!open.empty())
      open.back().more = Next(open.back().link);
  };
  enter(start);
  Kel_Var_2 partner("Kernel::Class");
  while (!open.empty()) {
    Open &top = open.back();
    if (!top.more || !FirstByLink(partner, top.link, partnerRole)) {
      leave();
      continue;
    }
    ObjectId id = CurId(partner);
    if (answeredFalse.count(id)) {
      top.more = Next(top.link);
      continue;
    }
    if (found(partner))
      return true;
    enter(partner);
  }
  return false;
}

/// Sets `property` to `cls`'s own attribute `name`, the first in order.
bool ownAttribute(const std::string &name, const Kel_Var_2 &cls,
                  Kel_Var_2 &property) {
  Kel_Var_2 attribute("Kernel::Property");
  for (bool found = FirstByLink(attribute, cls, "ownedAttribute"); found;
       found = Next(attribute))
    if (GetAttrStr(attribute, "name") == name) {
      SetPointer(property, attribute);
      return true;
    }
  return false;
}

} // namespace

bool IsIdentificatorAttribute(std::string name, Kel_Var_2 cls,
                              Kel_Var_2 &property) {
  if (ownAttribute(name, cls, property))
    return true;
  return searchHierarchy(cls, "generalization", "general",
                         "IsIdentificatorAttribute",
                         [&](const Kel_Var_2 &general) {
                           return ownAttribute(name, general, property);
                         });
}

bool IsIdentificatorReferencableElement(std::string name, Kel_Var_2 element,
                                        Kel_Var_2 &referencable) {
  Kel_Var_2 procedure("ZEVA::ZEVAprocedure");
  if (!FirstByLink(procedure, element, "owningProcedure"))
    return false;
  name = ExtractRefVarName(name);
  Kel_Var_2 defined("ZEVA::ReferencableElement");
  for (bool found = FirstByLink(defined, procedure, "defines"); found;
       found = Next(defined))
    if (GetAttrStr(defined, "refName") == name) {
      SetPointer(referencable, defined);
      return true;
    }
  return false;
}

namespace {

/// The first class of each full name in extent order, as far as a walk
/// comparing full names has got: a lookup carries on from where the last
/// stopped, so that each class's name is made once per run and comparison
/// mode, and no name beyond the one looked for is made (making one may end
/// the run). The compiler never makes, deletes or renames a class, so what
/// a walk has found stays true. Lower-cased when the comparison ignores
/// case.
ObjectId firstClassOfName(const std::string &key) {
  struct Index {
    std::unordered_map<std::string, ObjectId> first;
    Kel_Var_2 walk{"Kernel::Class"};
    bool started = false, finished = false;
    std::int32_t generation = -1;
    int target = -1;
  };
  static auto *index = new Index;
  if (index->generation != RepositoryUser::generation() ||
      index->target != _TARGET_) {
    index->first.clear();
    index->started = index->finished = false;
    index->generation = RepositoryUser::generation();
    index->target = _TARGET_;
  }
  if (auto it = index->first.find(key); it != index->first.end())
    return it->second;
  Kel_Var_2 &walk = index->walk;
  while (!index->finished) {
    bool found = index->started ? Next(walk) : First(walk, "Kernel::Class");
    index->started = true;
    if (!found) {
      index->finished = true;
      break;
    }
    std::string full = GetKernelElementFullName(walk);
    if (_TARGET_ == 1)
      full = toLower(full);
    index->first.try_emplace(full, CurId(walk));
    if (full == key)
      return CurId(walk);
  }
  return badObjID;
}

} // namespace

bool IsIdentificatorClassSpecification(std::string name, Kel_Var_2 &cls) {
  // The walk that finds the class leaves `cls` where a walk comparing every
  // class's full name would: on the class, or past the end.
  ObjectId wanted = firstClassOfName(_TARGET_ == 1 ? toLower(name) : name);
  for (bool found = First(cls, "Kernel::Class"); found; found = Next(cls))
    if (CurId(cls) == wanted)
      return true;
  return false;
}

bool AreTypesCompatible(Kel_Var_2 formal, Kel_Var_2 actual) {
  if (IsTypeOf(formal, "Kernel::PrimitiveType") ||
      IsTypeOf(formal, "Kernel::Enumeration"))
    return PtrEq(formal, actual);
  if (!IsTypeOf(actual, "Kernel::Class"))
    return false;
  if (PtrEq(formal, actual))
    return true;
  return searchHierarchy(
      formal, "specialization", "specific", "AreTypesCompatible",
      [&](const Kel_Var_2 &specific) { return PtrEq(specific, actual); });
}

} // namespace zeva
