//===- expression.cpp - Simple expressions into Kel elements --------------===//

#include "expression.h"

#include "../program/chains.h"
#include "../program/declarations.h"
#include "../program/names.h"
#include "../queries/identifiers.h"
#include "../queries/names.h"
#include "../rules/subclasses.h"
#include "elements.h"
#include "messages.h"
#include "natives.h"
#include "stack_room.h"
#include "translation.h"

using namespace kel;

namespace zeva {

using namespace expressions;

namespace {

bool isSort(const Kel_Var_2 &lexem, const char *sort) {
  return GetAttrStr(lexem, "sort") == sort;
}

/// The type of a referencable element; false without one.
bool typeOf(const Kel_Var_2 &referencable, Kel_Var_2 &type) {
  return FirstByLink(type, referencable, "type");
}

/// The source of the context class element and its class. False, for the
/// translation to end silently, when the source or its class is missing.
bool contextClass(const Translation &t, Kel_Var_2 &source, Kel_Var_2 &cls) {
  Kel_Var_2 type("Kernel::Type");
  if (!GetClassElementSource(t.element, source) || !typeOf(source, type) ||
      !IsTypeOf(type, "Kernel::Class"))
    return false;
  SetPointer(cls, type);
  return true;
}

/// N.isTypeOf(X) or N.isKindOf(X): commands that set a Boolean temporary
/// to whether the object `source` points to is of class X (or, for
/// isKindOf, of a subclass), and that temporary as the element.
bool printTypeTest(const Translation &t, const Kel_Var_2 &source,
                   const Kel_Var_2 &method, Kel_Var_2 &lexem) {
  std::string name = GetAttrStr(method, "val");
  bool exact = name == "isTypeOf";
  Kel_Var_2 bracket("Le"), argument("Le"), close("Le");
  if (!nextLexem(method, bracket) || !isSort(bracket, "left_bracket") ||
      !nextLexem(bracket, argument))
    return fail(t, 36, name);
  std::string x = GetAttrStr(argument, "val");
  Kel_Var_2 cls("Kernel::Class");
  if (!IsIdentificatorClassSpecification(x, cls))
    return fail(t, exact ? 37 : 39, x);
  std::string v = GetAttrStr(DeclareVaCon("Boolean", t.element), "name1");
  AddSkomToKomBlock("setVar " + v + "=true", t.block);
  Kel_Var_2 label = CreateLabel();
  std::string labelName = GetAttrStr(label, "name");
  if (exact) {
    rules::appendTypeTest(t.block, GetAttrStr(source, "refName"), cls,
                          labelName);
  } else {
    CreateTypeNotEqualCommandsForSubClasses(cls, t.block, labelName, source);
  }
  AddSkomToKomBlock("setVar " + v + "=false", t.block);
  AddKomToKomblock(label, t.block);
  appendVari(t.expression, v, "Boolean", false);
  if (!nextLexem(argument, close) || !isSort(close, "right_bracket"))
    return fail(t, 49);
  lexem = close;
  return true;
}

/// N.M: an attribute M of the object that N points to, or a type test.
bool printMemberAccess(const Translation &t, const std::string &name,
                       const Kel_Var_2 &dot, Kel_Var_2 &lexem) {
  Kel_Var_2 member("Le");
  if (!nextLexem(dot, member))
    return fail(t, 30);
  Kel_Var_2 source("ZEVA::ReferencableElement");
  if (name == "self") {
    if (!IsTypeOf(t.element, "ZEVA::ClassElement"))
      return fail(t, 31);
    if (!GetClassElementSource(t.element, source))
      return false;
  } else if (!IsIdentificatorReferencableElement(name, t.element, source)) {
    return fail(t, 32, name);
  }
  Kel_Var_2 type("Kernel::Type"), cls("Kernel::Class");
  if (!typeOf(source, type))
    return false;
  if (!IsTypeOf(type, "Kernel::Class"))
    return fail(t, 33, name);
  SetPointer(cls, type);
  std::string m = GetAttrStr(member, "val");
  if (m == "isTypeOf" || m == "isKindOf")
    return printTypeTest(t, source, member, lexem);
  Kel_Var_2 property("Kernel::Property"), attrType("Kernel::Type");
  if (!IsIdentificatorAttribute(m, cls, property))
    return fail(t, 34, m);
  // An untyped attribute fits no expected type (and aborts the run where a
  // class is expected).
  FirstByLink(attrType, property, "type");
  if (!AreTypesCompatible(t.expectedType, attrType))
    return fail(t, 35, m);
  Kel_Var_2 atr = appendElement(t.expression, "Atr");
  SetAttrStr(atr, "name1", m);
  SetAttrStr(atr, "classPointer", GetAttrStr(source, "refName"));
  SetAttrStr(atr, "type1", GetKernelElementFullName(attrType));
  lexem = member;
  return true;
}

/// N->isEmpty(), N->notEmpty(): whether the context object's attribute N
/// is empty; N->size() is accepted and writes nothing.
bool printArrowMethod(const Translation &t, const std::string &name,
                      const Kel_Var_2 &arrow, Kel_Var_2 &lexem) {
  Kel_Var_2 method("Le");
  if (!nextLexem(arrow, method))
    return fail(t, 70);
  std::string w = GetAttrStr(method, "val");
  if (w != "size") {
    std::string function;
    if (w == "isEmpty")
      function = "IsAttrValEmpty";
    else if (w == "notEmpty")
      function = "NotAttrValEmpty";
    else
      return fail(t, 71, w);
    Kel_Var_2 boolean("Kernel::PrimitiveType");
    findPrimitiveType("Boolean", boolean);
    if (!AreTypesCompatible(t.expectedType, boolean))
      return fail(t, 45, w);
    if (IsTypeOf(t.element, "ZEVA::ClassElement")) {
      Kel_Var_2 source("ZEVA::ReferencableElement"), cls("Kernel::Class");
      Kel_Var_2 property("Kernel::Property");
      if (!contextClass(t, source, cls))
        return false;
      if (!IsIdentificatorAttribute(name, cls, property))
        return fail(t, 72, name);
      std::string tempName =
          GetAttrStr(DeclareVaCon("String", t.element), "name1");
      AddSkomToKomBlock("setVar " + tempName + "=\"" + name + "\"", t.block);
      Kel_Var_2 funct = appendElement(t.expression, "Funct");
      SetAttrStr(funct, "name1", function);
      SetAttrStr(funct, "type1", "Boolean");
      addParam(funct, GetAttrStr(source, "refName"), "AnyClass");
      addParam(funct, tempName, "String");
    }
  }
  Kel_Var_2 open("Le"), close("Le");
  if (!nextLexem(method, open) || !isSort(open, "left_bracket"))
    return fail(t, 73);
  if (!nextLexem(open, close) || !isSort(close, "right_bracket"))
    return fail(t, 74);
  lexem = close;
  return true;
}

/// C(p): the pointer p seen as its subclass C.
bool printDowncast(const Translation &t, const std::string &name,
                   const Kel_Var_2 &bracket, Kel_Var_2 &lexem) {
  Kel_Var_2 cls("Kernel::Class");
  if (!IsIdentificatorClassSpecification(name, cls))
    return fail(t, 20, name);
  if (!AreTypesCompatible(t.expectedType, cls))
    return fail(t, 38, name);
  Kel_Var_2 pointer("Le");
  if (!nextLexem(bracket, pointer))
    return fail(t, 40, name);
  std::string p = GetAttrStr(pointer, "val");
  Kel_Var_2 referencable("ZEVA::ReferencableElement");
  if (!IsIdentificatorReferencableElement(p, t.element, referencable))
    return fail(t, 41, p);
  p = ExtractRefVarName(p);
  Kel_Var_2 type("Kernel::Type");
  if (!typeOf(referencable, type))
    return false;
  if (!IsTypeOf(type, "Kernel::Class"))
    return fail(t, 42, p);
  if (!AreTypesCompatible(type, cls))
    return fail(t, 43, p);
  appendVari(t.expression, p, GetKernelElementFullName(cls), true);
  Kel_Var_2 close("Le");
  if (!nextLexem(pointer, close) || !isSort(close, "right_bracket"))
    return fail(t, 44, name);
  lexem = close;
  return true;
}

/// A name on its own: "self", an attribute of the context object, a
/// variable, pointer or parameter, or an enumeration literal.
bool printBareName(const Translation &t, const std::string &name) {
  if (IsTypeOf(t.element, "ZEVA::ClassElement")) {
    Kel_Var_2 source("ZEVA::ReferencableElement"), cls("Kernel::Class");
    if (!contextClass(t, source, cls))
      return false;
    if (name == "self") {
      appendVari(t.expression, GetAttrStr(source, "refName"),
                 GetKernelElementFullName(cls), true);
      return true;
    }
    Kel_Var_2 property("Kernel::Property"), type("Kernel::Type");
    if (IsIdentificatorAttribute(name, cls, property)) {
      FirstByLink(type, property, "type");
      if (!AreTypesCompatible(t.expectedType, type))
        return fail(t, 18, name);
      Kel_Var_2 atr = appendElement(t.expression, "Atr");
      SetAttrStr(atr, "name1", name);
      SetAttrStr(atr, "classPointer", GetAttrStr(source, "refName"));
      SetAttrStr(atr, "type1", GetKernelElementFullName(type));
      return true;
    }
  }
  Kel_Var_2 referencable("ZEVA::ReferencableElement"), type("Kernel::Type");
  if (IsIdentificatorReferencableElement(name, t.element, referencable)) {
    if (!typeOf(referencable, type))
      return false;
    if (!AreTypesCompatible(t.expectedType, type))
      return fail(t, 19, name);
    appendVari(t.expression, GetAttrStr(referencable, "refName"),
               GetKernelElementFullName(type), IsTypeOf(type, "Kernel::Class"));
    return true;
  }
  if (!IsTypeOf(t.expectedType, "Kernel::Enumeration"))
    return fail(t, 20, name);
  Kel_Var_2 literal("Kernel::EnumerationLiteral");
  for (bool found = FirstByLink(literal, t.expectedType, "ownedLiteral"); found;
       found = Next(literal))
    if (toUpper(GetAttrStr(literal, "name")) == toUpper(name)) {
      appendConst(t.expression, t.typeName + "::" + toUpper(name), t.typeName);
      return true;
    }
  return fail(t, 21, name);
}

/// An identifier: what follows it decides what it is.
bool printIdentifier(const Translation &t, Kel_Var_2 &lexem) {
  std::string name = ExtractRefVarName(GetAttrStr(lexem, "val"));
  Kel_Var_2 after("Le");
  if (!nextLexem(lexem, after))
    return printBareName(t, name);
  std::string sort = GetAttrStr(after, "sort");
  if (sort == "dot")
    return printMemberAccess(t, name, after, lexem);
  if (sort == "arrow")
    return printArrowMethod(t, name, after, lexem);
  if (sort == "left_bracket")
    return isBuiltinFunction(name) ? printBuiltinFunction(t, name, after, lexem)
                                   : printDowncast(t, name, after, lexem);
  return printBareName(t, name);
}

/// Handles one lexem; false when the translation ends here.
bool printLexem(const Translation &t, Kel_Var_2 &lexem, int &depth) {
  std::string sort = GetAttrStr(lexem, "sort");
  std::string val = GetAttrStr(lexem, "val");
  if (sort == "String" || sort == "Integer" || sort == "Boolean") {
    if (t.typeName != sort)
      return fail(t, 46, val);
    appendConst(t.expression, val, sort);
  } else if (sort == "plus_sign" || sort == "minus_sign" ||
             sort == "mult_sign") {
    if (t.typeName == "String" && val != "+")
      return fail(t, 47, val);
    if (t.typeName != "Integer" && t.typeName != "String")
      return fail(t, 47);
    appendSign(t.expression, "Op", val);
  } else if (sort == "left_bracket") {
    ++depth;
    appendSign(t.expression, "Brack", "(");
  } else if (sort == "right_bracket") {
    if (--depth < 0)
      return fail(t, 48);
    appendSign(t.expression, "Brack", ")");
  } else if (sort == "null") {
    appendVari(t.expression, "null", t.typeName, true);
  } else if (sort == "ident") {
    return printIdentifier(t, lexem);
  } else if (sort != "space" && sort != "new_line") {
    return fail(t, 17);
  }
  return true;
}

} // namespace

bool expressions::fail(const Translation &t, int number,
                       const std::string &name) {
  printError(number, t.element, name);
  return false;
}

void PrintExpression(Kel_Var_2 expression, Kel_Var_2 block, Kel_Var_2 element,
                     Kel_Var_2 expectedType, Kel_Var_2 &lexem, int depth) {
  // The expected type's name is taken first: without an expected type
  // (a class model lacking the primitive type asked for) the run aborts.
  // Function arguments are translated by recursion, as deep as calls nest.
  withStackRoom([&] {
    const Translation t{expression, block, element, expectedType,
                        GetKernelElementFullName(expectedType)};
    Kel_Var_2 next("Le");
    while (!IsNull(lexem)) {
      if (!printLexem(t, lexem, depth) || !nextLexem(lexem, next))
        return;
      lexem = next;
    }
  });
}

} // namespace zeva
