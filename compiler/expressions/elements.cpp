//===- elements.cpp - Building Kel expressions ----------------------------===//

#include "elements.h"

#include "../program/chains.h"

using namespace kel;

namespace zeva::expressions {

Kel_Var_2 appendElement(const Kel_Var_2 &expression, const char *cls) {
  Kel_Var_2 elem(cls);
  AddObj(elem, cls);
  AddEelemToExpression(elem, expression);
  return elem;
}

void appendConst(const Kel_Var_2 &expression, const std::string &val,
                 const std::string &type) {
  Kel_Var_2 elem = appendElement(expression, "Const");
  SetAttrStr(elem, "val", val);
  SetAttrStr(elem, "type1", type);
}

void appendVari(const Kel_Var_2 &expression, const std::string &name,
                const std::string &type, bool isPointer) {
  Kel_Var_2 elem = appendElement(expression, "Vari");
  SetAttrStr(elem, "name1", name);
  SetAttrStr(elem, "type1", type);
  SetAttrBool(elem, "isPointer", isPointer);
}

void appendSign(const Kel_Var_2 &expression, const char *cls,
                const std::string &val) {
  SetAttrStr(appendElement(expression, cls), "val", val);
}

void addParam(const Kel_Var_2 &funct, const std::string &name,
              const std::string &type) {
  Kel_Var_2 param("Param"), last("Param");
  AddObj(param, "Param");
  SetAttrStr(param, "name1", name);
  SetAttrStr(param, "type1", type);
  if (!FirstByLink(last, funct, "start")) {
    AddLink(funct, param, "start");
    return;
  }
  Kel_Var_2 next("Param");
  while (FirstByLink(next, last, "next1"))
    last = next;
  AddLink(last, param, "next1");
}

Kel_Var_2 createValueCommand(const std::string &text, Kel_Var_2 &expression) {
  Kel_Var_2 command("Skom");
  AddObj(command, "Skom");
  SetAttrStr(command, "text", text);
  AddObj(expression, "Expression");
  AddLink(command, expression, "expr2");
  return command;
}

Kel_Var_2 onExtent(const Kel_Var_2 &lexem) {
  Kel_Var_2 out("Le");
  SetPointer(out, lexem);
  return out;
}

bool nextLexem(const Kel_Var_2 &lexem, Kel_Var_2 &next) {
  Kel_Var_2 found("Le");
  if (IsNull(lexem) || !FirstByLink(found, lexem, "next1"))
    return false;
  next = onExtent(found);
  return true;
}

bool findPrimitiveType(const std::string &name, Kel_Var_2 &type) {
  Kel_Var_2 primitive("Kernel::PrimitiveType");
  for (bool found = First(primitive, "Kernel::PrimitiveType"); found;
       found = Next(primitive))
    if (GetAttrStr(primitive, "name") == name) {
      type = primitive; // a copy: `type` may have been positioned anyhow
      return true;
    }
  return false;
}

} // namespace zeva::expressions
