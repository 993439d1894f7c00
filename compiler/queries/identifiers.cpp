//===- identifiers.cpp - What identifiers name, and type checks -----------===//

#include "identifiers.h"

#include "globals.h"
#include "names.h"
#include "natives.h"
#include "recursion_guard.h"

using namespace kel;

namespace zeva {

bool IsIdentificatorAttribute(std::string name, Kel_Var_2 cls,
                              Kel_Var_2 &property) {
  RecursionGuard guard("IsIdentificatorAttribute");
  Kel_Var_2 attribute("Kernel::Property");
  for (bool found = FirstByLink(attribute, cls, "ownedAttribute"); found;
       found = Next(attribute))
    if (GetAttrStr(attribute, "name") == name) {
      SetPointer(property, attribute);
      return true;
    }
  Kel_Var_2 generalization("Kernel::Generalization"), general("Kernel::Class");
  for (bool found = FirstByLink(generalization, cls, "generalization"); found;
       found = Next(generalization)) {
    if (!FirstByLink(general, generalization, "general"))
      return false;
    if (IsIdentificatorAttribute(name, general, property))
      return true;
  }
  return false;
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

bool IsIdentificatorClassSpecification(std::string name, Kel_Var_2 &cls) {
  for (bool found = First(cls, "Kernel::Class"); found; found = Next(cls)) {
    std::string full = GetKernelElementFullName(cls);
    if (_TARGET_ == 1 ? toLower(full) == toLower(name) : full == name)
      return true;
  }
  return false;
}

bool AreTypesCompatible(Kel_Var_2 formal, Kel_Var_2 actual) {
  RecursionGuard guard("AreTypesCompatible");
  if (IsTypeOf(formal, "Kernel::PrimitiveType") ||
      IsTypeOf(formal, "Kernel::Enumeration"))
    return PtrEq(formal, actual);
  if (!IsTypeOf(actual, "Kernel::Class"))
    return false;
  if (PtrEq(formal, actual))
    return true;
  Kel_Var_2 specialization("Kernel::Generalization"), specific("Kernel::Class");
  for (bool found = FirstByLink(specialization, formal, "specialization");
       found; found = Next(specialization)) {
    if (!FirstByLink(specific, specialization, "specific"))
      return false;
    if (AreTypesCompatible(specific, actual))
      return true;
  }
  return false;
}

} // namespace zeva
