//===- names.cpp - Names of source elements in the Kel program ------------===//

#include "names.h"

#include "../program/names.h"
#include "cycle_check.h"
#include "globals.h"
#include "natives.h"

#include <vector>

using namespace kel;

namespace zeva {

namespace {

/// `parts`, innermost first, joined outermost first with `separator`.
std::string joinOutward(const std::vector<std::string> &parts,
                        const char *separator) {
  std::string joined = parts.back();
  for (auto it = parts.rbegin() + 1; it != parts.rend(); ++it) {
    joined += separator;
    joined += *it;
  }
  return joined;
}

} // namespace

// Both full names walk up the owners in a loop: packages may nest as deep
// as the model likes.

std::string GetZEVAElementFullName(Kel_Var_2 element) {
  std::string name = GetAttrStr(element, "name");
  if (IsTypeOf(element, "ZEVA::Model")) {
    Kel_Var_2 project("project::Project");
    return First(project, "project::Project") ? GetAttrStr(project, "name")
                                              : name;
  }
  std::vector<std::string> parts{name};
  Kel_Var_2 owner("ZEVA::Package"), owned = element;
  ChainCycleCheck cycle;
  while (FirstByLink(owner, owned, "owningPackage") &&
         !IsTypeOf(owner, "ZEVA::Model")) {
    if (cycle.revisits(CurId(owner)))
      abortCycle("GetZEVAElementFullName", CurId(owner), "owningPackage");
    parts.push_back(GetAttrStr(owner, "name"));
    owned = owner;
  }
  return joinOutward(parts, "_");
}

std::string GetKernelElementFullName(Kel_Var_2 element) {
  std::string name = GetAttrStr(element, "name");
  if (_TARGET_ == 1 && IsTypeOf(element, "Kernel::Package"))
    name = toLower(name);
  std::vector<std::string> parts{name};
  if (_TARGET_ == 1 || !IsTypeOf(element, "Kernel::Enumeration")) {
    Kel_Var_2 owner("Kernel::Package"), owned = element;
    ChainCycleCheck cycle;
    while (FirstByLink(owner, owned, "owningPackage") &&
           !IsTypeOf(owner, "Kernel::Model")) {
      if (cycle.revisits(CurId(owner)))
        abortCycle("GetKernelElementFullName", CurId(owner), "owningPackage");
      std::string ownerName = GetAttrStr(owner, "name");
      parts.push_back(_TARGET_ == 1 && IsTypeOf(owner, "Kernel::Package")
                          ? toLower(ownerName)
                          : ownerName);
      owned = owner;
    }
  }
  return joinOutward(parts, "::");
}

std::string GetProjectPath() {
  Kel_Var_2 project("project::Project"), model("ZEVA::Model");
  if (!First(project, "project::Project") || !First(model, "ZEVA::Model"))
    return "";
  std::string path = GetAttrStr(project, "path");
  if (Length(path) >= 11)
    path = Length(path) == 11 ? "" : SubString(path, 0, Length(path) - 12);
  return path + ".zeva/" + GetAttrStr(model, "name") + "/kel/";
}

bool IsProjectPathBelowProject() {
  Kel_Var_2 project("project::Project"), model("ZEVA::Model");
  if (!First(project, "project::Project") || !First(model, "ZEVA::Model"))
    return true;
  std::string name = GetAttrStr(model, "name");
  return name != "." && name != ".." && Pos(name, "/", 0) < 0;
}

std::string ExtractRefVarName(std::string name) {
  if (Length(name) > 0 && SubString(name, 0, 0) == "@")
    return Length(name) == 1 ? "" : SubString(name, 1, Length(name) - 1);
  return name;
}

bool GetClassElementSource(Kel_Var_2 element, Kel_Var_2 &source) {
  Kel_Var_2 def("ZEVA::ClassElementDef");
  if (FirstByLink(def, element, "def")) {
    SetPointer(source, def);
    return true;
  }
  Kel_Var_2 referred("ZEVA::ReferencableElement");
  bool found = FirstByLink(referred, element, "referElem");
  SetPointer(source, referred);
  return found;
}

std::string GetClassElementName(Kel_Var_2 element) {
  Kel_Var_2 source("ZEVA::ReferencableElement");
  return GetClassElementSource(element, source) ? GetAttrStr(source, "refName")
                                                : "";
}

std::string GetReferencableElementName(Kel_Var_2 element) {
  if (IsTypeOf(element, "ZEVA::ClassElement"))
    return GetClassElementName(element);
  Kel_Var_2 referencable("ZEVA::ReferencableElement");
  SetPointer(referencable, element);
  return GetAttrStr(referencable, "refName");
}

bool GetReferencableElementType(Kel_Var_2 element, Kel_Var_2 &type) {
  Kel_Var_2 typed("ZEVA::ReferencableElement");
  if (IsTypeOf(element, "ZEVA::ClassElement")) {
    if (!GetClassElementSource(element, typed))
      return false;
  } else {
    SetPointer(typed, element);
  }
  Kel_Var_2 found("Kernel::Type");
  if (!FirstByLink(found, typed, "type"))
    return false;
  SetPointer(type, found);
  return true;
}

std::string GetPropertyCardinality(Kel_Var_2 property) {
  if (IsAttrValEmpty(property, "lower") || IsAttrValEmpty(property, "upper"))
    return "*";
  bool lowerZero = GetAttrInt(property, "lower") == 0;
  bool upperOne = GetAttrInt(property, "upper") == 1;
  if (lowerZero)
    return upperOne ? "0..1" : "*";
  return upperOne ? "1" : "1..*";
}

std::string GetPropertyOrderingString(Kel_Var_2 property) {
  return GetAttrBool(property, "isOrdered") ? "{ordered}" : "";
}

std::string GetPropertyName(Kel_Var_2 property) {
  if (_TARGET_ == 0) {
    Kel_Var_2 type("Kernel::Type");
    if (FirstByLink(type, property, "type") &&
        IsTypeOf(type, "Kernel::Enumeration"))
      return GetAttrStr(type, "name");
  }
  return GetAttrStr(property, "name");
}

std::string GetPropertyNameGen(Kel_Var_2 property) {
  std::string name = Trim(GetAttrStr(property, "name"));
  return name.empty() ? GenerateUniqueName("_") : name;
}

std::string GetAssocLinkRoleName(bool direction, Kel_Var_2 link) {
  Kel_Var_2 end("Kernel::Property");
  if (!FirstByLink(end, link, direction ? "sourceProp" : "destProp"))
    return "";
  return GetAttrStr(end, "name");
}

} // namespace zeva
