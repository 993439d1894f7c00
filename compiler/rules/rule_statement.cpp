//===- rule_statement.cpp - A rule as a statement of the flow -------------===//

#include "rule_statement.h"

#include "../procedures/control_flow.h"
#include "../program/chains.h"
#include "../program/names.h"
#include "../queries/names.h"
#include "action_part.h"
#include "elements.h"
#include "messages.h"
#include "pattern.h"
#include "subclasses.h"

using namespace kel;

namespace zeva {

using namespace rules;

namespace {

/// Reports the faults of the rule's elements and links; compilation goes on
/// after each.
void checkRuleElements(const Kel_Var_2 &rule) {
  Kel_Var_2 element("ZEVA::ClassElement");
  if (!FirstByLink(element, rule, "ownedElem")) {
    printError(57, rule, "");
    return;
  }
  Kel_Var_2 link("ZEVA::Link"), prop("Kernel::Property");
  for (bool found = true; found; found = Next(element)) {
    // A fresh variable each time: one left null cannot take a source
    // reached along a link.
    Kel_Var_2 source("ZEVA::ReferencableElement");
    if (!GetClassElementSource(element, source))
      printError(58, element, "");
    if (isNot(element) && !hasElemType(element, "ElemType::Normal"))
      printError(61, element, "");
    for (bool more = FirstByLink(link, element, "source"); more;
         more = Next(link)) {
      // Plain diagram connectors carry no association.
      if (!IsTypeOf(link, "ZEVA::AssocLink"))
        continue;
      if (!FirstByLink(prop, link, "sourceProp"))
        printError(59, link, "");
      if (isNot(link) &&
          GetAttrEnum(link, "AssocLinkType") != "AssocLinkType::Normal")
        printError(62, link, "");
    }
  }
}

/// Appends the jump along the rule's normal or ELSE flow; a null jump (the
/// flow leads to a flow end without label) is refused by the model layer.
void appendNextJump(const Kel_Var_2 &rule, const Kel_Var_2 &block,
                    bool isElse) {
  Kel_Var_2 jump("Kom");
  FindNextFlowEndAndCreateGotoKom(rule, jump, isElse);
  AddKomToKomblock(jump, block);
}

/// An Ifthenkom after the rule's label with its three blocks, the pattern
/// in the condition and the actions in the then-branch.
program::IfThen printIfThen(const Kel_Var_2 &rule, const Kel_Var_2 &label) {
  program::IfThen b = program::createIfThenAfter(label, rule);
  PrintRulePattern(rule, b.condition);
  PrintActionPart(rule, b.then);
  return b;
}

/// The loop variable of a foreach loophead: the first element of kind
/// LoopVariable with a typed definition. An element of that kind without a
/// definition ends the search (message 60 when it refers to another
/// element); no element at all is message 55.
bool findLoopVariable(const Kel_Var_2 &rule, Kel_Var_2 &variable) {
  Kel_Var_2 element("ZEVA::ClassElement"), def("ZEVA::ClassElementDef");
  Kel_Var_2 type("Kernel::Type"), referred("ZEVA::ReferencableElement");
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element)) {
    if (!hasElemType(element, "ElemType::LoopVariable"))
      continue;
    if (!FirstByLink(def, element, "def")) {
      if (FirstByLink(referred, element, "referElem"))
        printError(60, element, "");
      return false;
    }
    if (FirstByLink(type, def, "type")) {
      SetPointer(variable, element);
      return true;
    }
  }
  printError(55, rule, "");
  return false;
}

/// The bound neighbour that the loop variable is reached from: a reference
/// element or one annotated "singleTODO", over its outgoing links first.
/// `dir` is 1 when found through an outgoing link.
bool findAnchor(const Kel_Var_2 &variable, Kel_Var_2 &anchor, Kel_Var_2 &link,
                int &dir) {
  Kel_Var_2 def("ZEVA::ClassElementDef");
  for (int d : {1, 0}) {
    for (bool found = FirstByLink(link, variable, d ? "source" : "destination");
         found; found = Next(link)) {
      if (!FirstByLink(anchor, link, d ? "to" : "from"))
        continue;
      if (!FirstByLink(def, anchor, "def") ||
          hasAnnotation(anchor, "singleTODO")) {
        dir = d;
        return true;
      }
    }
  }
  return false;
}

void printForeachLoophead(const Kel_Var_2 &rule, const Kel_Var_2 &label,
                          const Kel_Var_2 &loop, const Kel_Var_2 &loopKom,
                          const Kel_Var_2 &endLabel) {
  Kel_Var_2 foreachLoop("ZEVA::ForeachLoop");
  SetPointer(foreachLoop, loop);
  if (GetAttrBool(foreachLoop, "notFixed"))
    return;
  // 1, 2. The loop command, and after it the jump to the loop's command.
  Kel_Var_2 loopCommand("Foreachkom"), pattern("Komblock"), body("Komblock");
  AddObj(loopCommand, "Foreachkom");
  AddObj(pattern, "Komblock");
  AddObj(body, "Komblock");
  AddLink(loopCommand, pattern, "suchthat2");
  AddLink(loopCommand, body, "foreach1");
  AddLink(label, loopCommand, "next1");
  AddLink(rule, loopCommand, "kom");
  Kel_Var_2 after = CreateGoto(loopKom);
  AddLink(rule, after, "lastkom");
  AddLink(loopCommand, after, "next1");
  // 3 to 6. The loop variable and what it iterates over.
  Kel_Var_2 variable("ZEVA::ClassElement");
  if (findLoopVariable(rule, variable)) {
    Kel_Var_2 def("ZEVA::ClassElementDef"), type("Kernel::Type");
    FirstByLink(def, variable, "def");
    FirstByLink(type, def, "type");
    Kel_Var_2 anchor("ZEVA::ClassElement"), link("ZEVA::Link");
    int dir = 0;
    std::string suffix;
    if (findAnchor(variable, anchor, link, dir)) {
      suffix = " from " + GetClassElementName(anchor) + " by " +
               GetAssocLinkRoleName(dir == 1, link);
      if (IsLinkToClassElementToAbstractClass(link, type, dir) &&
          !appendSubclassTest(type, pattern, def))
        return;
      MarkAssocLink(link);
      Kel_Var_2 anchorDef("ZEVA::ClassElementDef");
      if (FirstByLink(anchorDef, anchor, "def"))
        MarkClassElement(anchor);
    }
    MarkClassElement(variable);
    SetAttrStr(loopCommand, "name1", GetAttrStr(def, "refName"));
    SetAttrStr(loopCommand, "text", GetKernelElementFullName(type) + suffix);
  }
  // 7.
  PrintRulePattern(rule, pattern);
  PrintActionPart(rule, body);
  appendNextJump(rule, body, false);
  AddKomToKomblock(endLabel, body);
  // 8.
  if (IsFlow(rule, true, true) == 2 || IsFlow(rule, false, true) == 2)
    printError(69, rule, "");
  if (IsFlow(rule, true, false) == 2)
    printError(67, rule, "");
}

void printOrdinaryRule(const Kel_Var_2 &rule, const Kel_Var_2 &label) {
  program::IfThen b = printIfThen(rule, label);
  appendNextJump(rule, b.then, false);
  appendNextJump(rule, b.otherwise, true);
  AddLink(rule, b.command, "lastkom");
  if (IsFlow(rule, true, true) != 2 && IsFlow(rule, false, true) != 2)
    printError(66, rule, "");
  if (IsFlow(rule, true, false) == 0 && IsFlow(rule, false, false) == 0)
    printError(68, rule, "");
}

void printWhileLoophead(const Kel_Var_2 &rule, const Kel_Var_2 &label,
                        const Kel_Var_2 &loopKom, const Kel_Var_2 &endLabel) {
  program::IfThen b = printIfThen(rule, label);
  // Into the body; the body ends at the loop's end label, from where the
  // pattern is matched again.
  appendNextJump(rule, b.then, false);
  AddKomToKomblock(endLabel, b.then);
  AddKomToKomblock(CreateGoto(label), b.then);
  AddKomToKomblock(CreateGoto(loopKom), b.otherwise);
  AddLink(rule, b.command, "lastkom");
  if (IsFlow(rule, true, false) == 2)
    printError(67, rule, "");
}

} // namespace

void CreateFlowEndBodyRule(Kel_Var_2 rule) {
  checkRuleElements(rule);
  Kel_Var_2 label("Skom");
  if (!FirstByLink(label, rule, "label"))
    return;
  Kel_Var_2 loop("ZEVA::Loop");
  if (!FirstByLink(loop, rule, "loop")) {
    printOrdinaryRule(rule, label);
    return;
  }
  Kel_Var_2 endLabel("Skom"), loopKom("Skom");
  if (!FirstByLink(endLabel, loop, "endlabel") ||
      !FirstByLink(loopKom, loop, "kom"))
    return;
  if (IsTypeOf(loop, "ZEVA::ForeachLoop"))
    printForeachLoophead(rule, label, loop, loopKom, endLabel);
  else
    printWhileLoophead(rule, label, loopKom, endLabel);
}

} // namespace zeva
