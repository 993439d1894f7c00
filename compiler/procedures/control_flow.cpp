//===- control_flow.cpp - Procedure bodies as labelled segments -----------===//

#include "control_flow.h"

#include "../program/names.h"
#include "../rules/rule_statement.h"
#include "debug_trace.h"
#include "messages.h"
#include "statements.h"
#include "timing.h"

#include <initializer_list>

using namespace kel;

namespace zeva {

namespace {

constexpr std::initializer_list<const char *> kFlowEndKinds = {
    "ZEVA::CallStatement", "ZEVA::Rule", "ZEVA::ForeachLoop",
    "ZEVA::WhileLoop",     "ZEVA::End",  "ZEVA::TextStatement",
    "ZEVA::Start"};

bool isFlowEnd(Kel_Var_2 &element) {
  for (const char *kind : kFlowEndKinds)
    if (IsTypeOf(element, kind))
      return true;
  return false;
}

bool isLoop(Kel_Var_2 &element) {
  return IsTypeOf(element, "ZEVA::ForeachLoop") ||
         IsTypeOf(element, "ZEVA::WhileLoop");
}

/// The first flow of `flowEnd` along `role` ("source": outgoing,
/// "destination": incoming) whose "isElse" is `isElse`; `flow` walks on.
bool findFlow(Kel_Var_2 &flowEnd, const char *role, bool isElse,
              Kel_Var_2 &flow) {
  for (bool found = FirstByLink(flow, flowEnd, role); found; found = Next(flow))
    if (GetAttrBool(flow, "isElse") == isElse)
      return true;
  return false;
}

} // namespace

void CompileProcedureBody(Kel_Var_2 procedure) {
  CreateFlowEndLabels(procedure);
  Kel_Var_2 flowEnd("ZEVA::FlowEnd");
  for (bool found = FirstByLink(flowEnd, procedure, "flowend"); found;
       found = Next(flowEnd))
    CreateFlowEndBody(flowEnd);
  CompleteProcFunctCommandFlow(procedure);
  if (GetAttrBool(procedure, "debugOn")) {
    addControlFlowDebugInformationToProcedure(procedure);
    addTimingInformationToProcedure(procedure);
  }
}

void CreateFlowEndLabels(Kel_Var_2 procedure) {
  Kel_Var_2 member("ZEVA::ProcedureElement");
  for (bool found = FirstByLink(member, procedure, "ownedElement"); found;
       found = Next(member)) {
    if (!isFlowEnd(member))
      continue;
    if (!IsTypeOf(member, "ZEVA::Start"))
      AddLink(member, CreateLabel(), "label");
    AddLink(procedure, member, "flowend");
    if (isLoop(member)) {
      AddLink(member, CreateLabel(), "endlabel");
      AddLink(member, CreateLabel(), "kom");
    }
  }
}

void CreateFlowEndBody(Kel_Var_2 flowEnd) {
  if (IsTypeOf(flowEnd, "ZEVA::CallStatement"))
    CreateFlowEndBodyCallStatement(flowEnd);
  else if (IsTypeOf(flowEnd, "ZEVA::Rule"))
    CreateFlowEndBodyRule(flowEnd);
  else if (IsTypeOf(flowEnd, "ZEVA::ForeachLoop"))
    CreateFlowEndBodyForeachLoop(flowEnd);
  else if (IsTypeOf(flowEnd, "ZEVA::WhileLoop"))
    CreateFlowEndBodyWhileLoop(flowEnd);
  else if (IsTypeOf(flowEnd, "ZEVA::End"))
    CreateFlowEndBodyEnd(flowEnd);
  else if (IsTypeOf(flowEnd, "ZEVA::Start"))
    CreateFlowEndBodyStart(flowEnd);
  else if (IsTypeOf(flowEnd, "ZEVA::TextStatement"))
    CreateFlowEndBodyTextStatement(flowEnd);
}

void CreateFlowEndBodyStart(Kel_Var_2 start) {
  Kel_Var_2 flow("ZEVA::Flow");
  if (!FirstByLink(flow, start, "source")) {
    printError(68, start, "");
    return;
  }
  Kel_Var_2 next("ZEVA::FlowEnd"), label("Skom"),
      procedure("ZEVA::ZEVAprocedure");
  Kel_Var_2 procFunct("ProcFunct"), block("Komblock");
  if (!FirstByLink(next, flow, "to") || !FirstByLink(label, next, "label") ||
      !FirstByLink(procedure, start, "owningProcedure") ||
      !FirstByLink(procFunct, procedure, "procfunct") ||
      !FirstByLink(block, procFunct, "block")) {
    printError(1001, start, "");
    return;
  }
  AddLink(block, label, "start");
  if (IsFlow(start, true, false) == 2) {
    printError(67, start, "");
    return;
  }
  if (IsFlow(start, false, false) == 0) {
    printError(68, start, "");
    return;
  }
  if (Next(flow))
    printError(7, start, "");
}

void CreateFlowEndBodyEnd(Kel_Var_2 end) {
  Kel_Var_2 label("Skom");
  if (!FirstByLink(label, end, "label")) {
    printError(1001, end, "");
    return;
  }
  Kel_Var_2 ret("Skom");
  AddObj(ret, "Skom");
  SetAttrStr(ret, "text", "return");
  AddLink(end, ret, "lastkom");
  AddLink(end, ret, "kom");
  AddLink(label, ret, "next1");
  if (IsFlow(end, true, true) != 2 && IsFlow(end, false, true) != 2)
    printError(66, end, "");
}

bool FindNextFlowEndAndCreateGotoKom(Kel_Var_2 flowEnd, Kel_Var_2 &kom,
                                     bool isElse) {
  Kel_Var_2 flow("ZEVA::Flow");
  if (findFlow(flowEnd, "source", isElse, flow)) {
    Kel_Var_2 next("ZEVA::FlowEnd"), label("Skom");
    if (!FirstByLink(next, flow, "to") || !FirstByLink(label, next, "label"))
      return false;
    kom = CreateGoto(label);
    // The first flow is used; another of the same kind is a fault.
    while (Next(flow))
      if (GetAttrBool(flow, "isElse") == isElse) {
        printError(7, flowEnd, "");
        break;
      }
    return true;
  }
  Kel_Var_2 container("ZEVA::FlowEndContainer");
  if (FirstByLink(container, flowEnd, "owningContainer")) {
    Kel_Var_2 endLabel("Skom");
    if (!FirstByLink(endLabel, container, "endlabel"))
      return false;
    kom = CreateGoto(endLabel);
    return true;
  }
  Kel_Var_2 ret("Skom");
  AddObj(ret, "Skom");
  SetAttrStr(ret, "text", "return");
  kom = ret;
  return false;
}

int IsFlow(Kel_Var_2 flowEnd, bool isElse, bool incoming) {
  Kel_Var_2 flow("ZEVA::Flow");
  if (findFlow(flowEnd, incoming ? "destination" : "source", isElse, flow))
    return 2;
  Kel_Var_2 container("ZEVA::FlowEndContainer");
  return FirstByLink(container, flowEnd, "owningContainer") ? 1 : 0;
}

void CompleteProcFunctCommandFlow(Kel_Var_2 procedure) {
  Kel_Var_2 procFunct("ProcFunct"), block("Komblock"), first("Skom");
  Kel_Var_2 firstEnd("ZEVA::FlowEnd"), last("Kom");
  if (!FirstByLink(procFunct, procedure, "procfunct") ||
      !FirstByLink(block, procFunct, "block") ||
      !FirstByLink(first, block, "start") ||
      !FirstByLink(firstEnd, first, "stflowend") ||
      !FirstByLink(last, firstEnd, "lastkom"))
    return;
  Kel_Var_2 flowEnd("ZEVA::FlowEnd"), label("Skom"), segmentEnd("Kom");
  for (bool found = FirstByLink(flowEnd, procedure, "flowend"); found;
       found = Next(flowEnd)) {
    if (IsTypeOf(flowEnd, "ZEVA::Start") || PtrEq(flowEnd, firstEnd))
      continue;
    if (!FirstByLink(label, flowEnd, "label") ||
        !FirstByLink(segmentEnd, flowEnd, "lastkom"))
      return;
    AddLink(last, label, "next1");
    last = segmentEnd;
    AddLink(block, last, "lastkom");
  }
}

} // namespace zeva
