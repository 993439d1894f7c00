//===- expression_type.cpp - The type an expression starts with -----------===//

#include "../queries/identifiers.h"
#include "../queries/names.h"
#include "elements.h"
#include "expression.h"

using namespace kel;

namespace zeva {

using namespace expressions;

namespace {

/// The type of attribute `name` of `cls`, when `cls` is a class that has it.
bool attributeType(const Kel_Var_2 &cls, const std::string &name,
                   Kel_Var_2 &type) {
  Kel_Var_2 property("Kernel::Property");
  return IsTypeOf(cls, "Kernel::Class") &&
         IsIdentificatorAttribute(name, cls, property) &&
         FirstByLink(type, property, "type");
}

/// The type of what `name` stands for on its own.
bool bareNameType(const std::string &name, const Kel_Var_2 &element,
                  Kel_Var_2 &type) {
  Kel_Var_2 source("ZEVA::ReferencableElement"), sourceType("Kernel::Type");
  if (IsTypeOf(element, "ZEVA::ClassElement") &&
      GetClassElementSource(element, source) &&
      FirstByLink(sourceType, source, "type")) {
    if (name == "self") {
      type = sourceType;
      return true;
    }
    if (attributeType(sourceType, name, type))
      return true;
  }
  Kel_Var_2 referencable("ZEVA::ReferencableElement");
  if (IsIdentificatorReferencableElement(name, element, referencable))
    return FirstByLink(type, referencable, "type");
  Kel_Var_2 enumeration("Kernel::Enumeration");
  Kel_Var_2 literal("Kernel::EnumerationLiteral");
  for (bool found = First(enumeration, "Kernel::Enumeration"); found;
       found = Next(enumeration))
    for (bool more = FirstByLink(literal, enumeration, "ownedLiteral"); more;
         more = Next(literal))
      if (GetAttrStr(literal, "name") == name) {
        type = enumeration;
        return true;
      }
  return false;
}

/// The type of N.M: Boolean for a type test, else the type of attribute M
/// of the class that N ("self" or a referencable element) points to.
bool memberType(const std::string &name, const Kel_Var_2 &member,
                const Kel_Var_2 &element, Kel_Var_2 &type) {
  std::string m = GetAttrStr(member, "val");
  if (m == "isKindOf" || m == "isTypeOf")
    return findPrimitiveType("Boolean", type);
  Kel_Var_2 head("ZEVA::ReferencableElement"), cls("Kernel::Type");
  bool found = name == "self"
                   ? IsTypeOf(element, "ZEVA::ClassElement") &&
                         GetClassElementSource(element, head)
                   : IsIdentificatorReferencableElement(name, element, head);
  return found && FirstByLink(cls, head, "type") && attributeType(cls, m, type);
}

/// The result type of a call of `name`: a built-in function or a downcast.
bool callType(const std::string &name, Kel_Var_2 &type) {
  if (name == "toBoolean")
    return findPrimitiveType("Boolean", type);
  if (name == "toString" || name == "substring" || name == "toUpper" ||
      name == "toLower")
    return findPrimitiveType("String", type);
  if (name == "size" || name == "indexOf" || name == "toInteger")
    return findPrimitiveType("Integer", type);
  Kel_Var_2 cls("Kernel::Class");
  if (name == "toEnum" || !IsIdentificatorClassSpecification(name, cls))
    return false;
  type = cls;
  return true;
}

} // namespace

bool GetExpressionType(Kel_Var_2 lexem, Kel_Var_2 element, Kel_Var_2 &type) {
  SetNull(type);
  Kel_Var_2 next("Le");
  std::string sort;
  for (; !IsNull(lexem); lexem = next) {
    sort = GetAttrStr(lexem, "sort");
    if (sort != "left_bracket" && sort != "space" && sort != "new_line")
      break;
    if (!nextLexem(lexem, next))
      return false;
  }
  if (IsNull(lexem))
    return false;
  if (sort == "String" || sort == "Integer" || sort == "Boolean")
    return findPrimitiveType(sort, type);
  if (sort != "ident")
    return false;
  std::string name = GetAttrStr(lexem, "val");
  Kel_Var_2 after("Le"), member("Le");
  if (!nextLexem(lexem, after))
    return bareNameType(name, element, type);
  std::string afterSort = GetAttrStr(after, "sort");
  if (afterSort == "dot")
    return nextLexem(after, member) && memberType(name, member, element, type);
  if (afterSort == "left_bracket")
    return callType(name, type);
  if (afterSort == "arrow") {
    if (!nextLexem(after, member))
      return false;
    std::string m = GetAttrStr(member, "val");
    if (m == "isEmpty" || m == "notEmpty")
      return findPrimitiveType("Boolean", type);
    return m == "size" && findPrimitiveType("Integer", type);
  }
  return bareNameType(name, element, type);
}

} // namespace zeva
