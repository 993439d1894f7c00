//===- builtins.cpp - Built-in functions of expressions -------------------===//
//
// A built-in function becomes a Funct element whose parameters are always
// temporaries: each argument is translated into a "setVar" of its own
// temporary, appended to the block before the command that uses the call.
//
//===----------------------------------------------------------------------===//

#include "../program/chains.h"
#include "../program/declarations.h"
#include "../queries/identifiers.h"
#include "../queries/names.h"
#include "elements.h"
#include "expression.h"
#include "lexer.h"
#include "messages.h"
#include "translation.h"

#include <array>

using namespace kel;

namespace zeva {

using namespace expressions;

namespace {

/// The functions of one String argument, tried after toEnum.
struct OneArgument {
  const char *name, *function, *result;
};
constexpr std::array<OneArgument, 5> kStringFunctions = {{
    {"toInteger", "StrToInt", "Integer"},
    {"size", "Length", "Integer"},
    {"toLower", "toLower", "String"},
    {"toUpper", "toUpper", "String"},
    {"toBoolean", "StrToBool", "Boolean"},
}};

bool isSort(const Kel_Var_2 &lexem, const char *sort) {
  return GetAttrStr(lexem, "sort") == sort;
}

/// The "," or ")" that ends the argument after `from` (a "(" or a ","),
/// brackets inside it skipped. False when the chain ends first.
bool argumentEnd(const Kel_Var_2 &from, Kel_Var_2 &end) {
  Kel_Var_2 found("Le");
  findEndOfExpression(from, found, 1);
  if (IsNull(found))
    return false;
  end = found;
  return true;
}

/// Cuts the chain before `end`, so that the argument ending there stops.
void cutBefore(const Kel_Var_2 &end) {
  Kel_Var_2 before("Le");
  if (FirstByLink(before, end, "prev1"))
    DeleteLink(before, end, "next1");
}

Kel_Var_2 primitive(const char *name) {
  Kel_Var_2 type("Kernel::PrimitiveType");
  findPrimitiveType(name, type);
  return type;
}

/// The function's result type must fit the expected type (message 45).
bool resultFits(const Translation &t, const char *result,
                const std::string &name) {
  if (AreTypesCompatible(t.expectedType, primitive(result)))
    return true;
  return fail(t, 45, name);
}

Kel_Var_2 appendFunct(const Translation &t, const std::string &name,
                      const std::string &type) {
  Kel_Var_2 funct = appendElement(t.expression, "Funct");
  SetAttrStr(funct, "name1", name);
  SetAttrStr(funct, "type1", type);
  return funct;
}

/// toEnum(s): StrToEnum of the expected enumeration's name and s.
bool printToEnum(const Translation &t, const Kel_Var_2 &bracket,
                 Kel_Var_2 &lexem) {
  if (!IsTypeOf(t.expectedType, "Kernel::Enumeration"))
    return fail(t, 4);
  Kel_Var_2 end("Le"), argument("Le");
  if (!argumentEnd(bracket, end))
    return false;
  if (!isSort(end, "right_bracket"))
    return fail(t, 5);
  cutBefore(end);
  if (!nextLexem(bracket, argument))
    return fail(t, 6);
  std::string t1 = GetAttrStr(DeclareVaCon("String", t.element), "name1");
  AddSkomToKomBlock("setVar " + t1 + "=\"" + t.typeName + "\"", t.block);
  Kel_Var_2 funct = appendFunct(t, "StrToEnum", t.typeName);
  SetAttrStr(funct, "name", "StrToEnum");
  addParam(funct, t1, "String");
  std::string t2 =
      printIntoTemporary(t, "String", primitive("String"), argument);
  addParam(funct, t2, "String");
  lexem = end;
  return true;
}

/// indexOf(s, t): the position of t in s.
bool printIndexOf(const Translation &t, const Kel_Var_2 &bracket,
                  Kel_Var_2 &lexem) {
  Kel_Var_2 comma("Le"), end("Le"), argument("Le");
  if (!argumentEnd(bracket, comma))
    return false;
  if (!isSort(comma, "comma"))
    return fail(t, 10);
  cutBefore(comma);
  if (!nextLexem(bracket, argument))
    return fail(t, 10);
  Kel_Var_2 string = primitive("String");
  std::string t1 = printIntoTemporary(t, "String", string, argument);
  Kel_Var_2 funct = appendFunct(t, "indexOf", "Integer");
  addParam(funct, t1, "String");
  if (!argumentEnd(comma, end))
    return false;
  if (!isSort(end, "right_bracket"))
    return fail(t, 11);
  cutBefore(end);
  if (!nextLexem(comma, argument))
    return fail(t, 10);
  std::string t2 = printIntoTemporary(t, "String", string, argument);
  addParam(funct, t2, "String");
  lexem = end;
  return true;
}

/// substring(s, i) or substring(s, i, j), positions from 1 and inclusive:
/// SubString(s, i-1, j-1), with j the last position of s when left out.
bool printSubstring(const Translation &t, const Kel_Var_2 &bracket,
                    Kel_Var_2 &lexem) {
  Kel_Var_2 comma("Le"), second("Le"), end("Le"), argument("Le");
  // 1. The text.
  if (!argumentEnd(bracket, comma))
    return false;
  if (!isSort(comma, "comma"))
    return fail(t, 12);
  cutBefore(comma);
  if (!nextLexem(bracket, argument))
    return fail(t, 12);
  Kel_Var_2 integer = primitive("Integer");
  std::string t1 =
      printIntoTemporary(t, "String", primitive("String"), argument);
  Kel_Var_2 funct = appendFunct(t, "SubString", "String");
  addParam(funct, t1, "String");
  // 2. The first position.
  if (!argumentEnd(comma, second))
    return false;
  cutBefore(second);
  if (!nextLexem(comma, argument))
    return fail(t, 12);
  std::string t2 = printIntoTemporary(t, "Integer", integer, argument);
  AddSkomToKomBlock("setVar " + t2 + "=" + t2 + "-1", t.block);
  addParam(funct, t2, "Integer");
  // 3. The last position.
  std::string t3 = GetAttrStr(DeclareVaCon("Integer", t.element), "name1");
  Kel_Var_2 last("Expression");
  Kel_Var_2 assign = createValueCommand("setVar " + t3 + "=", last);
  if (isSort(second, "comma")) {
    if (!argumentEnd(second, end))
      return false;
    if (!isSort(end, "right_bracket"))
      return fail(t, 13);
    cutBefore(end);
    Kel_Var_2 j("Le");
    nextLexem(second, j);
    PrintExpression(last, t.block, t.element, integer, j, 0);
    AddKomToKomblock(assign, t.block);
    assign = Kel_Var_2("Skom");
    AddObj(assign, "Skom");
    SetAttrStr(assign, "text", "setVar " + t3 + "=" + t3 + "-1");
  } else {
    end = second;
    Kel_Var_2 length = appendElement(last, "Funct");
    SetAttrStr(length, "name1", "Length");
    SetAttrStr(length, "type1", "Integer");
    addParam(length, t1, "String");
    appendSign(last, "Op", "-");
    appendConst(last, "1", "Integer");
  }
  // 4.
  addParam(funct, t3, "Integer");
  AddKomToKomblock(assign, t.block);
  lexem = end;
  return true;
}

/// toString(x): by the type of x, BoolToStr, IntToStr or EnumToStr.
bool printToString(const Translation &t, const Kel_Var_2 &bracket,
                   Kel_Var_2 &lexem) {
  if (!resultFits(t, "String", "toString"))
    return false;
  Kel_Var_2 argument("Le"), type("Kernel::Type");
  if (!nextLexem(bracket, argument) ||
      !GetExpressionType(argument, t.element, type))
    return fail(t, 14);
  std::string function, argType;
  if (IsTypeOf(type, "Kernel::Enumeration")) {
    function = "EnumToStr";
    argType = GetKernelElementFullName(type);
  } else if (IsTypeOf(type, "Kernel::Class")) {
    return fail(t, 16);
  } else {
    std::string name = GetAttrStr(type, "name");
    if (name == "String")
      return fail(t, 15);
    if (name == "Boolean")
      function = "BoolToStr";
    else if (name == "Integer")
      function = "IntToStr";
    else
      return fail(t, 14);
    argType = name;
  }
  Kel_Var_2 end("Le");
  if (!printOneArgumentFunction(bracket, end, argType, t.block, t.element,
                                t.expression, function, "String"))
    return false;
  lexem = end;
  return true;
}

} // namespace

bool expressions::isBuiltinFunction(const std::string &name) {
  if (name == "toEnum" || name == "indexOf" || name == "toString" ||
      name == "substring")
    return true;
  for (const OneArgument &f : kStringFunctions)
    if (name == f.name)
      return true;
  return false;
}

bool expressions::printBuiltinFunction(const Translation &t,
                                       const std::string &name,
                                       const Kel_Var_2 &bracket,
                                       Kel_Var_2 &lexem) {
  if (name == "toEnum")
    return printToEnum(t, bracket, lexem);
  if (name == "indexOf")
    return resultFits(t, "Integer", name) && printIndexOf(t, bracket, lexem);
  if (name == "toString")
    return printToString(t, bracket, lexem);
  if (name == "substring")
    return resultFits(t, "String", name) && printSubstring(t, bracket, lexem);
  for (const OneArgument &f : kStringFunctions) {
    if (name != f.name)
      continue;
    Kel_Var_2 end("Le");
    if (!resultFits(t, f.result, name) ||
        !printOneArgumentFunction(bracket, end, "String", t.block, t.element,
                                  t.expression, f.function, f.result))
      return false;
    lexem = end;
    return true;
  }
  return false;
}

std::string expressions::printIntoTemporary(const Translation &t,
                                            const std::string &type,
                                            const Kel_Var_2 &expectedType,
                                            const Kel_Var_2 &argument) {
  std::string name = GetAttrStr(DeclareVaCon(type, t.element), "name1");
  Kel_Var_2 value("Expression"), lexem = argument;
  Kel_Var_2 assign = createValueCommand("setVar " + name + "=", value);
  PrintExpression(value, t.block, t.element, expectedType, lexem, 0);
  AddKomToKomblock(assign, t.block);
  return name;
}

bool printOneArgumentFunction(Kel_Var_2 bracket, Kel_Var_2 &end,
                              std::string argType, Kel_Var_2 block,
                              Kel_Var_2 element, Kel_Var_2 expression,
                              std::string functionName,
                              std::string resultType) {
  // 1 to 3. The argument, up to the ")".
  Kel_Var_2 found("Le"), argument("Le");
  if (!argumentEnd(bracket, found))
    return false;
  end = found;
  if (!isSort(end, "right_bracket")) {
    printError(8, element, functionName);
    return false;
  }
  cutBefore(end);
  if (!nextLexem(bracket, argument)) {
    printError(9, element, functionName);
    return false;
  }
  // 4, 5. Its temporary, the call and the argument's expression.
  std::string name = GetAttrStr(DeclareVaCon(argType, element), "name1");
  Kel_Var_2 assign("Skom"), value("Expression");
  AddObj(assign, "Skom");
  SetAttrStr(assign, "text", "setVar " + name + "=");
  Kel_Var_2 funct = appendElement(expression, "Funct");
  SetAttrStr(funct, "name1", functionName);
  SetAttrStr(funct, "type1", resultType);
  AddObj(value, "Expression");
  AddLink(assign, value, "expr2");
  // 6. The argument's type, a primitive type or an enumeration.
  Kel_Var_2 type("Kernel::Type");
  if (!findPrimitiveType(argType, type)) {
    Kel_Var_2 enumeration("Kernel::Enumeration");
    bool more = First(enumeration, "Kernel::Enumeration");
    while (more && GetKernelElementFullName(enumeration) != argType)
      more = Next(enumeration);
    if (!more)
      return false;
    type = enumeration;
  }
  // 7, 8.
  PrintExpression(value, block, element, type, argument, 0);
  AddKomToKomblock(assign, block);
  addParam(funct, name, argType);
  return true;
}

} // namespace zeva
