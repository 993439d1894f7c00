//===- statements.cpp - Call, loop and text statements --------------------===//

#include "statements.h"

#include "../expressions/expression.h"
#include "../expressions/lexer.h"
#include "../program/chains.h"
#include "../program/cleanup.h"
#include "../program/declarations.h"
#include "../program/names.h"
#include "../queries/identifiers.h"
#include "../queries/names.h"
#include "../rules/action_part.h"
#include "../rules/constraint.h"
#include "control_flow.h"
#include "messages.h"

#include <unordered_map>

using namespace kel;

namespace zeva {

namespace {

/// The flow checks of calls and loops: an incoming flow, and a normal but
/// no ELSE outgoing flow.
void checkStatementFlows(const Kel_Var_2 &flowEnd) {
  if (IsFlow(flowEnd, true, true) != 2 && IsFlow(flowEnd, false, true) != 2)
    printError(66, flowEnd, "");
  if (IsFlow(flowEnd, true, false) == 2)
    printError(67, flowEnd, "");
  else if (IsFlow(flowEnd, false, false) == 0)
    printError(68, flowEnd, "");
}

/// Ends the segment at `last` with the jump to the successor. Without one
/// (a successor without label) the links of a null jump are refused by the
/// model layer, which says so.
void endSegment(const Kel_Var_2 &flowEnd, const Kel_Var_2 &last) {
  Kel_Var_2 jump("Kom");
  FindNextFlowEndAndCreateGotoKom(flowEnd, jump, false);
  AddLink(last, jump, "next1");
  AddLink(flowEnd, jump, "lastkom");
}

/// The first member of `owner`'s `role` list for each "paramNumber", found
/// in one pass.
std::unordered_map<int, Kel_Var_2> byNumber(const Kel_Var_2 &owner,
                                            const char *role, const char *cls) {
  std::unordered_map<int, Kel_Var_2> numbered;
  Kel_Var_2 member(cls);
  for (bool found = FirstByLink(member, owner, role); found;
       found = Next(member))
    numbered.try_emplace(GetAttrInt(member, "paramNumber"), member);
  return numbered;
}

/// Evaluates the actual parameter `text` into a new temporary of the
/// formal's type: its commands, then its assignment, follow `last`, which
/// moves to the assignment. Returns the temporary's name.
std::string printArgument(const Kel_Var_2 &call, const Kel_Var_2 &formalType,
                          const std::string &text, Kel_Var_2 &last) {
  Kel_Var_2 block("Komblock"), assign("Skom");
  AddObj(block, "Komblock");
  AddObj(assign, "Skom");
  std::string typeName = GetKernelElementFullName(formalType);
  bool isPointer = IsTypeOf(formalType, "Kernel::Class");
  Kel_Var_2 temp =
      isPointer ? DeclarePoCon(typeName, call) : DeclareVaCon(typeName, call);
  SetAttrStr(assign, "text", isPointer ? "setPointer " : "setVar ");
  Kel_Var_2 value("Expression"), lexem("Le");
  AddObj(value, "Expression");
  AddLink(assign, value, "expr2");
  GetLexems(text, lexem);
  PrintExpression(value, block, call, formalType, lexem, 0);
  ClearLexems();
  Kel_Var_2 first("Kom"), blockLast("Kom");
  if (FirstByLink(first, block, "start") &&
      FirstByLink(blockLast, block, "lastkom")) {
    AddLink(last, first, "next1");
    // Reached through the block, which goes now: held on the extent.
    Kel_Var_2 held("Kom");
    SetPointer(held, blockLast);
    last = held;
  }
  DeleteObj(block);
  std::string name = GetAttrStr(temp, "name1");
  SetAttrStr(assign, "text", GetAttrStr(assign, "text") + name + "=");
  AddLink(last, assign, "next1");
  last = assign;
  return name;
}

/// Steps 3 to 6 of a call: the arguments and the call command after
/// `last`. False, with the command left out, when the actuals do not match
/// the formals.
bool printCall(const Kel_Var_2 &call, const Kel_Var_2 &callee,
               Kel_Var_2 &last) {
  Kel_Var_2 command("Skom");
  AddObj(command, "Skom");
  AddLink(call, command, "kom");
  std::string args;
  auto formals = byNumber(callee, "params", "ZEVA::Parameter");
  auto actuals = byNumber(call, "params", "ZEVA::CallParam");
  int n = 1;
  for (; formals.count(n); ++n) {
    const Kel_Var_2 &formal = formals.at(n);
    auto actual = actuals.find(n);
    if (actual == actuals.end()) {
      printError(53, call, "");
      return false;
    }
    if (n > 1)
      args += ",";
    Kel_Var_2 formalType("Kernel::Type");
    if (!FirstByLink(formalType, formal, "type"))
      continue;
    std::string text = GetAttrStr(actual->second, "expr");
    Kel_Var_2 named("ZEVA::ReferencableElement"), namedType("Kernel::Type");
    if (IsIdentificatorReferencableElement(text, call, named)) {
      if (!FirstByLink(namedType, named, "type"))
        continue;
      if (AreTypesCompatible(formalType, namedType))
        args += ExtractRefVarName(text);
      else
        printError(52, call, text);
      continue;
    }
    args += printArgument(call, formalType, text, last);
  }
  if (actuals.count(n)) {
    printError(54, call, "");
    return false;
  }
  AddLink(last, command, "next1");
  last = command;
  SetAttrStr(command, "text",
             IsTypeOf(callee, "ZEVA::ZEVAprocedure")
                 ? "call " + GetZEVAElementFullName(callee) + "(" + args + ")"
                 : "call ext_" + GetAttrStr(callee, "name") + "(" + args + ")");
  return true;
}

} // namespace

void CreateFlowEndBodyCallStatement(Kel_Var_2 call) {
  // 1.
  Kel_Var_2 last("Kom"), procedure("ZEVA::ZEVAprocedure");
  if (!FirstByLink(last, call, "label") ||
      !FirstByLink(procedure, call, "owningProcedure"))
    return;
  // 2 to 6.
  Kel_Var_2 callee("ZEVA::Procedure");
  if (!FirstByLink(callee, call, "proc"))
    printError(51, call, "");
  else if (!GetAttrBool(callee, "doNotCompile"))
    printCall(call, callee, last);
  // 7, 8.
  endSegment(call, last);
  checkStatementFlows(call);
}

void CreateFlowEndBodyForeachLoop(Kel_Var_2 loop) {
  Kel_Var_2 label("Skom"), head("ZEVA::Rule"), headLabel("Skom"),
      continuation("Skom");
  if (!FirstByLink(label, loop, "label"))
    return;
  if (!FirstByLink(head, loop, "loophead")) {
    printError(63, loop, "");
    return;
  }
  if (!FirstByLink(headLabel, head, "label"))
    return;
  Kel_Var_2 toHead = CreateGoto(headLabel);
  AddLink(label, toHead, "next1");
  if (!FirstByLink(continuation, loop, "kom"))
    return;
  AddLink(toHead, continuation, "next1");
  endSegment(loop, continuation);
  checkStatementFlows(loop);
}

void CreateFlowEndBodyWhileLoop(Kel_Var_2 loop) {
  Kel_Var_2 label("Skom"), endLabel("Skom"), continuation("Skom");
  if (!FirstByLink(label, loop, "label") ||
      !FirstByLink(endLabel, loop, "endlabel") ||
      !FirstByLink(continuation, loop, "kom"))
    return;
  Kel_Var_2 member("ZEVA::FlowEnd"), incoming("ZEVA::Flow"), headLabel("Skom");
  bool found = FirstByLink(member, loop, "ownedFlowEnd");
  for (; found; found = Next(member))
    if (!FirstByLink(incoming, member, "destination") &&
        FirstByLink(headLabel, member, "label"))
      break;
  if (!found) {
    printError(75, loop, "");
    return;
  }
  Kel_Var_2 toHead = CreateGoto(headLabel);
  AddLink(label, toHead, "next1");
  AddLink(toHead, continuation, "next1");
  endSegment(loop, continuation);
  checkStatementFlows(loop);
}

void CreateFlowEndBodyTextStatement(Kel_Var_2 statement) {
  // 1 to 3.
  Kel_Var_2 label("Skom");
  if (!FirstByLink(label, statement, "label"))
    return;
  auto [ifThen, condition, then, otherwise] =
      program::createIfThenAfter(label, statement);
  // 4, 5.
  Kel_Var_2 text("ZEVA::TextStatement");
  SetPointer(text, statement);
  PrintConstraint(GetAttrStr(text, "constraint"), statement, condition);
  Kel_Var_2 assignment("ZEVA::Assignment");
  for (bool found = FirstByLink(assignment, statement, "ownedAssign"); found;
       found = Next(assignment))
    PrintAssignment(assignment, then);
  // 6, 7. One jump variable serves both branches: when the ELSE flow leads
  // nowhere it keeps the then-branch's jump, which moves to the else-block.
  Kel_Var_2 jump("Kom");
  FindNextFlowEndAndCreateGotoKom(statement, jump, false);
  AddKomToKomblock(jump, then);
  FindNextFlowEndAndCreateGotoKom(statement, jump, true);
  AddKomToKomblock(jump, otherwise);
  AddLink(statement, ifThen, "lastkom");
  // 8. An ELSE flow is allowed.
  if (IsFlow(statement, true, true) != 2 && IsFlow(statement, false, true) != 2)
    printError(66, statement, "");
  if (IsFlow(statement, true, false) == 0 &&
      IsFlow(statement, false, false) == 0)
    printError(68, statement, "");
}

} // namespace zeva
