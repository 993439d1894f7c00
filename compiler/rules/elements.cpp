//===- elements.cpp - Kinds of pattern elements and links -----------------===//

#include "elements.h"

#include "../queries/names.h"

using namespace kel;

namespace zeva::rules {

bool hasElemType(const Kel_Var_2 &element, const char *kind) {
  return GetAttrEnum(element, "ElemType") == kind;
}

bool isSearchedKind(const Kel_Var_2 &element) {
  return hasElemType(element, "ElemType::Normal") ||
         hasElemType(element, "ElemType::Delete");
}

bool isNot(const Kel_Var_2 &elementOrLink) {
  return GetAttrEnum(elementOrLink, "CardConstraint") == "CardConstraint::NOT";
}

bool hasAnnotation(const Kel_Var_2 &element, const char *text) {
  Kel_Var_2 annotation("ZEVA::Annotation");
  for (bool found = FirstByLink(annotation, element, "annotation"); found;
       found = Next(annotation))
    if (GetAttrStr(annotation, "text") == text)
      return true;
  return false;
}

bool isTraversedLink(const Kel_Var_2 &link) {
  if (!IsTypeOf(link, "ZEVA::AssocLink"))
    return false;
  std::string kind = GetAttrEnum(link, "AssocLinkType");
  return kind == "AssocLinkType::Normal" || kind == "AssocLinkType::Delete";
}

bool isMarkedBy(const Kel_Var_2 &marker, const Kel_Var_2 &elementOrLink) {
  return LinkExists(marker, elementOrLink,
                    IsTypeOf(elementOrLink, "ZEVA::ClassElement")
                        ? "markedel"
                        : "markedlink");
}

bool sourceName(const Kel_Var_2 &element, std::string &name) {
  Kel_Var_2 source("ZEVA::ReferencableElement");
  if (!GetClassElementSource(element, source))
    return false;
  name = GetAttrStr(source, "refName");
  return true;
}

} // namespace zeva::rules
