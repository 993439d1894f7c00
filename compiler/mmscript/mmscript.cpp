//===- mmscript.cpp - The class model as a script -------------------------===//
//
// Pieces of a statement are computed left to right: unnamed association
// ends draw generated names from the run's counter in script order.
//
//===----------------------------------------------------------------------===//

#include "mmscript.h"

#include "../queries/names.h"
#include "globals.h"
#include "kel_var.h"
#include "natives.h"

using namespace kel;

namespace zeva {

namespace {

std::string typeName(Kel_Var_2 &property) {
  Kel_Var_2 type("Kernel::Type");
  FirstByLink(type, property, "type");
  return GetKernelElementFullName(type);
}

/// "assoc"/"compos" with `first` leading: T1.O1[C1]N1/N2[C2]O2.T2.
std::string association(const char *keyword, Kel_Var_2 &first,
                        Kel_Var_2 &second) {
  std::string text = keyword + typeName(first);
  text += "." + GetPropertyOrderingString(first);
  text += "[" + GetPropertyCardinality(first) + "]";
  text += GetPropertyNameGen(first);
  text += "/" + GetPropertyNameGen(second);
  text += "[" + GetPropertyCardinality(second) + "]";
  text += GetPropertyOrderingString(second) + ".";
  text += typeName(second) + ";\n";
  return text;
}

std::string associationStatement(Kel_Var_2 &assoc) {
  Kel_Var_2 end1("Kernel::Property"), end2("Kernel::Property");
  Kel_Var_2 type("Kernel::Type");
  if (!FirstByLink(end1, assoc, "memberEnd"))
    return "";
  end2 = end1;
  if (!Next(end2) || !FirstByLink(type, end1, "type") ||
      !FirstByLink(type, end2, "type"))
    return "";
  if (GetAttrBool(end2, "isComposite"))
    return association("compos ", end2, end1);
  if (GetAttrBool(end1, "isComposite"))
    return association("compos ", end1, end2);
  return association("assoc ", end1, end2);
}

std::string enumerationStatement(Kel_Var_2 &enumeration) {
  std::string text = "enum " + GetKernelElementFullName(enumeration) + " : {";
  Kel_Var_2 literal("Kernel::EnumerationLiteral");
  bool firstLiteral = true;
  for (bool found = FirstByLink(literal, enumeration, "ownedLiteral"); found;
       found = Next(literal)) {
    std::string name = GetAttrStr(literal, "name");
    if (!firstLiteral)
      text += ",";
    text += _TARGET_ == 1 ? toUpper(name) : name;
    firstLiteral = false;
  }
  return text + "};\n";
}

std::string attributeStatement(Kel_Var_2 &property) {
  Kel_Var_2 owner("Kernel::Class"), type("Kernel::Type");
  if (!FirstByLink(owner, property, "class") ||
      !FirstByLink(type, property, "type") || IsTypeOf(type, "Kernel::Class"))
    return "";
  return "attr " + GetKernelElementFullName(owner) + "." +
         GetPropertyName(property) + ":" + GetKernelElementFullName(type) +
         ";\n";
}

} // namespace

std::string printZEVA_MMscript() {
  std::string text = "MMDefStart;\n";
  Kel_Var_2 element("Kernel::NamedElement");
  for (bool found = First(element, "Kernel::NamedElement"); found;
       found = Next(element)) {
    if (IsTypeOf(element, "Kernel::Class"))
      text += "class " + GetKernelElementFullName(element) + ";\n";
    else if (IsTypeOf(element, "Kernel::Association"))
      text += associationStatement(element);
    else if (IsTypeOf(element, "Kernel::Enumeration"))
      text += enumerationStatement(element);
    else if (IsTypeOf(element, "Kernel::Property"))
      text += attributeStatement(element);
  }
  Kel_Var_2 generalization("Kernel::Generalization");
  Kel_Var_2 specific("Kernel::Class"), general("Kernel::Class");
  for (bool found = First(generalization, "Kernel::Generalization"); found;
       found = Next(generalization))
    if (FirstByLink(specific, generalization, "specific") &&
        FirstByLink(general, generalization, "general"))
      text += "rel " + GetKernelElementFullName(specific) + ".subClassOf." +
              GetKernelElementFullName(general) + ";\n";
  return text + "MMDefEnd;";
}

} // namespace zeva
