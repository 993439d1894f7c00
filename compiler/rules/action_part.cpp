//===- action_part.cpp - A rule's actions ---------------------------------===//

#include "action_part.h"

#include "../expressions/elements.h"
#include "../expressions/expression.h"
#include "../expressions/lexer.h"
#include "../program/chains.h"
#include "../program/cleanup.h"
#include "../queries/names.h"
#include "elements.h"
#include "messages.h"

using namespace kel;

namespace zeva {

using namespace rules;

void PrintActionPart(Kel_Var_2 rule, Kel_Var_2 block) {
  // 1. New objects, of concrete classes only.
  Kel_Var_2 element("ZEVA::ClassElement"), def("ZEVA::ClassElementDef");
  Kel_Var_2 type("Kernel::Type"), cls("Kernel::Class");
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element)) {
    if (!hasElemType(element, "ElemType::Create") ||
        !FirstByLink(def, element, "def") || !FirstByLink(type, def, "type"))
      continue;
    if (!IsTypeOf(type, "Kernel::Class")) {
      printError(78, element, "");
      continue;
    }
    SetPointer(cls, type);
    if (GetAttrBool(cls, "isAbstract")) {
      printError(79, element, "");
      continue;
    }
    AddSkomToKomBlock("addObj " + GetAttrStr(def, "refName") + ":" +
                          GetKernelElementFullName(cls),
                      block);
  }
  // 2. New links.
  Kel_Var_2 link("ZEVA::Link"), assocLink("ZEVA::AssocLink");
  Kel_Var_2 prop("Kernel::Property"), from("ZEVA::ClassElement"),
      to("ZEVA::ClassElement");
  for (bool found = FirstByLink(link, rule, "ownedLink"); found;
       found = Next(link)) {
    if (!IsTypeOf(link, "ZEVA::AssocLink") ||
        GetAttrEnum(link, "AssocLinkType") != "AssocLinkType::Create")
      continue;
    std::string x, y;
    if (!FirstByLink(prop, link, "destProp") ||
        !FirstByLink(from, link, "from") || !FirstByLink(to, link, "to") ||
        !sourceName(from, x) || !sourceName(to, y))
      continue;
    AddSkomToKomBlock("addLink " + x + "." + GetAttrStr(prop, "name") + "." + y,
                      block);
  }
  // 3. Assignments, element by element.
  Kel_Var_2 assignment("ZEVA::Assignment");
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element))
    for (bool more = FirstByLink(assignment, element, "assignment"); more;
         more = Next(assignment))
      PrintAssignment(assignment, block);
  // 4. Deletions, in the order the pattern left them.
  Kel_Var_2 temp("Komblock");
  if (FirstByLink(temp, rule, "tempblock")) {
    MoveKomsFromKomBlock(temp, block);
    DeleteObj(temp);
  }
}

void PrintAssignment(Kel_Var_2 assignment, Kel_Var_2 block) {
  // 1.
  Kel_Var_2 target("ZEVA::ReferencableElement");
  if (!FirstByLink(target, assignment, "assignedElement")) {
    Kel_Var_2 decision("ZEVA::DecisionStatement");
    if (FirstByLink(decision, assignment, "owningDecision"))
      printError(76, decision, "");
    else
      printError(76, assignment, "");
    return;
  }
  // 2. A class element stands for its source and is the expression's
  // context. The source goes into a fresh variable: one positioned along
  // "assignedElement" could only be moved along that link.
  Kel_Var_2 classElement("ZEVA::ClassElement");
  bool isClassElement = IsTypeOf(target, "ZEVA::ClassElement");
  if (isClassElement) {
    SetPointer(classElement, target);
    Kel_Var_2 source("ZEVA::ReferencableElement");
    if (!GetClassElementSource(classElement, source))
      return;
    target = source;
  }
  // 3.
  Kel_Var_2 type("Kernel::Type");
  if (!FirstByLink(type, target, "type"))
    return;
  std::string x = GetAttrStr(target, "refName");
  std::string expr = GetAttrStr(assignment, "expr");
  std::string text;
  bool withValue = true;
  Kel_Var_2 property("Kernel::Property");
  if (FirstByLink(property, assignment, "attribute")) {
    // 4. "NULL" empties the attribute; anything else is its new value.
    std::string p = GetPropertyName(property);
    if (expr == "NULL") {
      text = "call SetAttrValEmpty(" + x + ",\"" + p + "\")";
      withValue = false;
    } else {
      text = "setAttr " + x + "." + p + "=";
      if (!FirstByLink(type, property, "type"))
        return;
    }
  } else {
    // 5. A whole value.
    if (IsTypeOf(target, "ZEVA::ClassElementDef")) {
      // On the class element; an assigned def has none to name.
      printError(77, classElement, "");
      return;
    }
    text =
        (IsTypeOf(type, "Kernel::Class") ? "setPointer " : "setVar ") + x + "=";
  }
  Kel_Var_2 command("Skom");
  if (withValue) {
    // 6.
    Kel_Var_2 expression("Expression");
    command = expressions::createValueCommand(text, expression);
    Kel_Var_2 lexems("Le");
    GetLexems(expr, lexems);
    PrintExpression(expression, block, isClassElement ? classElement : target,
                    type, lexems, 0);
  } else {
    AddObj(command, "Skom");
    SetAttrStr(command, "text", text);
  }
  // 7.
  ClearLexems();
  AddKomToKomblock(command, block);
}

} // namespace zeva
