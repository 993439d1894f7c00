//===- debug_trace.cpp - Trace of a procedure's run into debug.txt --------===//

#include "debug_trace.h"

#include "../program/chains.h"
#include "../program/declarations.h"
#include "../queries/names.h"
#include "../rules/elements.h"

using namespace kel;

namespace zeva {

using rules::hasElemType;

namespace {

/// `kom` held on the extent: unlike a variable reached along a link, it
/// stays on its command while the chain around it is relinked.
Kel_Var_2 held(const Kel_Var_2 &kom) {
  Kel_Var_2 h("Kom");
  SetPointer(h, kom);
  return h;
}

Kel_Var_2 newSkom(const std::string &text) {
  Kel_Var_2 skom("Skom");
  AddObj(skom, "Skom");
  SetAttrStr(skom, "text", text);
  return skom;
}

void putFirst(const Kel_Var_2 &block, const std::string &text) {
  AddKomToKomblockStart(newSkom(text), block);
}

void putLast(const Kel_Var_2 &block, const std::string &text) {
  AddKomToKomblock(newSkom(text), block);
}

void putBefore(const Kel_Var_2 &kom, const std::string &text) {
  AddKomBeforeKom(kom, newSkom(text));
}

void putAfter(const Kel_Var_2 &kom, const std::string &text) {
  AddKomAfterKom(kom, newSkom(text));
}

/// The trace of a value: "T label=" and `value` of type `type`, converted
/// to a string through a fresh variable unless it is one already. A class
/// value is traced by its instance id when `traceClass`, otherwise not.
std::string valueInformation(const Kel_Var_2 &element, const Kel_Var_2 &type,
                             const std::string &label, const std::string &value,
                             bool traceClass) {
  // Declared as soon as the type is known, also where the text does not
  // use it; its name is read only where it does.
  Kel_Var_2 declared = DeclareVaCon("String", element);
  std::string converter;
  if (IsTypeOf(type, "Kernel::Class")) {
    if (!traceClass)
      return "";
    converter = "GetInstanceID";
  } else if (IsTypeOf(type, "Kernel::Enumeration")) {
    converter = "EnumToStr";
  } else if (GetAttrStr(type, "name") == "Integer") {
    converter = "IntToStr";
  } else if (GetAttrStr(type, "name") == "Boolean") {
    converter = "BoolToStr";
  }
  std::string append = "call appendToFile(\"" + GetKernelElementFullName(type) +
                       " " + label + "=\"+";
  if (converter.empty())
    return append + value + ",\"debug.txt\")";
  std::string v = GetAttrStr(declared, "name1");
  return "setVarF " + v + "=" + converter + "(" + value + ");\n" + append + v +
         ",\"debug.txt\")";
}

/// The body of a foreach loophead, traced per iteration; nothing when the
/// body has no command before its last one.
void traceForeachLoophead(const Kel_Var_2 &rule) {
  Kel_Var_2 loopCommand("Kom"), body("Komblock"), bodyLast("Kom"),
      beforeLast("Kom");
  FirstByLink(loopCommand, rule, "kom");
  FirstByLink(body, loopCommand, "foreach1");
  FirstByLink(bodyLast, body, "lastkom");
  if (!FirstByLink(beforeLast, bodyLast, "Name"))
    return;
  Kel_Var_2 command = held(beforeLast);
  addPatternMatchingInformationToProcedure(rule, body);
  addActionPartInformationToProcedure(rule, command);
  putFirst(body, addIncreaseDecreaseIdentToDebugTraceFile(1));
  putFirst(body,
           "call appendToFile(\"Loop ITERATION started ...\",\"debug.txt\")");
  putFirst(body, addIndentToDebugTraceFile());
  putLast(body, addIncreaseDecreaseIdentToDebugTraceFile(0));
  putLast(body, addIndentToDebugTraceFile());
  putLast(body, "call appendToFile(\"Loop ITERATION ended.\",\"debug.txt\")");
}

/// Before the last command of the Ifthenkom's else-block, the indent line
/// and `line`. Without a last command the two are made but placed nowhere.
void traceElseEnd(const Kel_Var_2 &ifThen, const std::string &line) {
  Kel_Var_2 otherwise("Komblock"), otherwiseLast("Kom");
  FirstByLink(otherwise, ifThen, "else1");
  FirstByLink(otherwiseLast, otherwise, "lastkom");
  Kel_Var_2 last = held(otherwiseLast);
  putBefore(last, addIndentToDebugTraceFile());
  putBefore(last, line);
}

/// An ordinary rule's branches. Lines meant to go before a missing last
/// command are made but placed nowhere.
void traceRule(const Kel_Var_2 &rule) {
  Kel_Var_2 ifThen("Kom"), then("Komblock"), thenLast("Kom");
  FirstByLink(ifThen, rule, "kom");
  FirstByLink(then, ifThen, "then1");
  FirstByLink(thenLast, then, "lastkom");
  Kel_Var_2 command = held(thenLast);
  addActionPartInformationToProcedure(rule, command);
  addPatternMatchingInformationToProcedure(rule, then);
  putBefore(command, addIndentToDebugTraceFile());
  putBefore(command, "call appendToFile(\"RULE ended.\",\"debug.txt\")");
  traceElseEnd(ifThen, "call appendToFile(\"Pattern FAILED. RULE ended.\","
                       "\"debug.txt\")");
}

/// The branches of a text statement's test.
void traceTextStatement(const Kel_Var_2 &statement) {
  Kel_Var_2 ifThen("Kom"), then("Komblock"), thenLast("Kom");
  FirstByLink(ifThen, statement, "kom");
  FirstByLink(then, ifThen, "then1");
  FirstByLink(thenLast, then, "lastkom");
  Kel_Var_2 command = held(thenLast);
  putFirst(then, "call appendToFile(\"\\tCONSTRAINT {} SATISFIED.\","
                 "\"debug.txt\")");
  putFirst(then, addIndentToDebugTraceFile());
  Kel_Var_2 assignment("ZEVA::Assignment");
  for (bool found = FirstByLink(assignment, statement, "ownedAssign"); found;
       found = Next(assignment)) {
    Kel_Var_2 assigned("ZEVA::ReferencableElement");
    if (!FirstByLink(assigned, assignment, "assignedElement"))
      continue;
    putBefore(command, addIndentToDebugTraceFile());
    putBefore(command, "call appendToFile(\"\\tASSIGNED: \",\"debug.txt\")");
    putBefore(command, addReferencableElementDebugInformation(assigned));
  }
  putBefore(command, addIndentToDebugTraceFile());
  putBefore(command,
            "call appendToFile(\"TEXT STATEMENT ended.\",\"debug.txt\")");
  traceElseEnd(ifThen, "call appendToFile(\"CONSTRAINT {} UNSATISFIED. TEXT "
                       "STATEMENT ended.\",\"debug.txt\")");
}

/// The started line after the flow end's label and, except for
/// rules and text statements, the ended line before its last command;
/// calls raise the nesting depth for the callee's trace.
void traceFrame(const Kel_Var_2 &flowEnd, const std::string &kind) {
  Kel_Var_2 label("Skom");
  if (!FirstByLink(label, flowEnd, "label"))
    return;
  bool isCall = IsTypeOf(flowEnd, "ZEVA::CallStatement");
  if (isCall)
    putAfter(label, addIncreaseDecreaseIdentToDebugTraceFile(1));
  putAfter(label,
           "call appendToFile(\"" + kind + " started ...\",\"debug.txt\")");
  putAfter(label, addIndentToDebugTraceFile());
  if (IsTypeOf(flowEnd, "ZEVA::Rule") ||
      IsTypeOf(flowEnd, "ZEVA::TextStatement"))
    return;
  Kel_Var_2 last("Kom");
  FirstByLink(last, flowEnd, "lastkom");
  Kel_Var_2 command = held(last);
  if (isCall)
    putBefore(command, addIncreaseDecreaseIdentToDebugTraceFile(0));
  putBefore(command, addIndentToDebugTraceFile());
  putBefore(command,
            "call appendToFile(\"" + kind + " ended.\",\"debug.txt\")");
}

} // namespace

void addControlFlowDebugInformationToProcedure(Kel_Var_2 procedure) {
  // 1. Parameters, at the start of the block.
  Kel_Var_2 procFunct("ProcFunct"), block("Komblock");
  if (FirstByLink(procFunct, procedure, "procfunct") &&
      FirstByLink(block, procFunct, "block")) {
    Kel_Var_2 param("ZEVA::Parameter");
    for (bool found = FirstByLink(param, procedure, "params"); found;
         found = Next(param)) {
      putFirst(block, addReferencableElementDebugInformation(param));
      putFirst(block, "call appendToFile(\"\\t\",\"debug.txt\")");
      putFirst(block, addIndentToDebugTraceFile());
    }
    putFirst(block, "call appendToFile(\"PARAMETERS: \",\"debug.txt\")");
    putFirst(block, addIndentToDebugTraceFile());
  }
  // 2. The flow ends.
  Kel_Var_2 flowEnd("ZEVA::FlowEnd");
  for (bool found = FirstByLink(flowEnd, procedure, "flowend"); found;
       found = Next(flowEnd)) {
    std::string kind;
    if (IsTypeOf(flowEnd, "ZEVA::End")) {
      kind = "END statement ";
    } else if (IsTypeOf(flowEnd, "ZEVA::ForeachLoop")) {
      kind = "FOREACH loop ";
    } else if (IsTypeOf(flowEnd, "ZEVA::Rule")) {
      Kel_Var_2 loop("ZEVA::Loop");
      if (FirstByLink(loop, flowEnd, "loop")) {
        // A loophead has no frame of its own; a while loop's none at all.
        if (IsTypeOf(loop, "ZEVA::ForeachLoop"))
          traceForeachLoophead(flowEnd);
        continue;
      }
      kind = "RULE ";
      traceRule(flowEnd);
    } else if (IsTypeOf(flowEnd, "ZEVA::TextStatement")) {
      kind = "TEXT statement ";
      traceTextStatement(flowEnd);
    } else if (IsTypeOf(flowEnd, "ZEVA::CallStatement")) {
      kind = "CALL statement ";
    } else {
      continue; // the start and while loops
    }
    // 3.
    traceFrame(flowEnd, kind);
  }
}

void addPatternMatchingInformationToProcedure(Kel_Var_2 rule, Kel_Var_2 block) {
  Kel_Var_2 element("ZEVA::ClassElement");
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element)) {
    if (hasElemType(element, "ElemType::Create"))
      continue;
    putFirst(block, "call appendToFile(\" \",\"debug.txt\")");
    putFirst(block, addReferencableElementDebugInformation(element));
  }
  putFirst(block, "call appendToFile(\"\\tPattern MATCHED. \",\"debug.txt\")");
  putFirst(block, addIndentToDebugTraceFile());
}

void addActionPartInformationToProcedure(Kel_Var_2 rule, Kel_Var_2 command) {
  // 1. Every element, with its property assignments.
  Kel_Var_2 element("ZEVA::ClassElement"), assignment("ZEVA::Assignment"),
      attribute("Kernel::Property");
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element)) {
    putBefore(command, addIndentToDebugTraceFile());
    if (hasElemType(element, "ElemType::Create"))
      putBefore(command, "call appendToFile(\"\\tCREATED: \",\"debug.txt\")");
    else if (hasElemType(element, "ElemType::Delete"))
      putBefore(command, "call appendToFile(\"\\tDELETED: \",\"debug.txt\")");
    else
      putBefore(command,
                "call appendToFile(\"\\tnot-changed: \",\"debug.txt\")");
    putBefore(command, addReferencableElementDebugInformation(element));
    for (bool more = FirstByLink(assignment, element, "assignment"); more;
         more = Next(assignment)) {
      if (!FirstByLink(attribute, assignment, "attribute"))
        continue;
      putBefore(command, addIndentToDebugTraceFile());
      putBefore(command,
                "call appendToFile(\"\\t\\tASSIGNED: \",\"debug.txt\")");
      putBefore(command,
                addPointerAttributeDebugInformation(element, attribute));
    }
  }
  // 2. Created and deleted association links.
  Kel_Var_2 link("ZEVA::Link"), from("ZEVA::ClassElement"),
      to("ZEVA::ClassElement");
  for (bool found = FirstByLink(link, rule, "ownedLink"); found;
       found = Next(link)) {
    if (!IsTypeOf(link, "ZEVA::AssocLink"))
      continue;
    std::string linkType = GetAttrEnum(link, "AssocLinkType");
    if (linkType == "AssocLinkType::Normal")
      continue;
    putBefore(command, addIndentToDebugTraceFile());
    if (!FirstByLink(from, link, "from") || !FirstByLink(to, link, "to"))
      continue;
    if (linkType == "AssocLinkType::Create")
      putBefore(command, "call appendToFile(\"\\tCREATED: \",\"debug.txt\")");
    else if (linkType == "AssocLinkType::Delete")
      putBefore(command, "call appendToFile(\"\\tDELETED: \",\"debug.txt\")");
    else
      continue;
    putBefore(command, "call appendToFile(\"" + GetClassElementName(from) +
                           "." + GetAssocLinkRoleName(false, link) + "." +
                           GetClassElementName(to) + "\",\"debug.txt\")");
  }
}

std::string addIndentToDebugTraceFile() {
  return "call appendToFile(_IDENTstr,\"debug.txt\")";
}

std::string addIncreaseDecreaseIdentToDebugTraceFile(int increase) {
  return std::string(increase == 1 ? "setVar _IDENTint=_IDENTint+1;"
                                   : "setVar _IDENTint=_IDENTint-1;") +
         "\ncall _resetIDENT()";
}

std::string addReferencableElementDebugInformation(Kel_Var_2 element) {
  Kel_Var_2 type("Kernel::Type");
  if (!GetReferencableElementType(element, type))
    return "";
  std::string x = GetReferencableElementName(element);
  return valueInformation(element, type, x, x, true);
}

std::string addPointerAttributeDebugInformation(Kel_Var_2 element,
                                                Kel_Var_2 property) {
  Kel_Var_2 type("Kernel::Type");
  if (!FirstByLink(type, property, "type"))
    return "";
  std::string p = GetPropertyName(property);
  return valueInformation(element, type, p,
                          GetReferencableElementName(element) + "." + p, false);
}

} // namespace zeva
