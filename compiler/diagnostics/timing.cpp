//===- timing.cpp - Run time of a procedure into debug.txt ----------------===//

#include "timing.h"

#include "../program/chains.h"
#include "../program/declarations.h"
#include "../program/names.h"
#include "../queries/names.h"
#include "debug_trace.h"
#include "messages.h"

using namespace kel;

namespace zeva {

namespace {

Kel_Var_2 newSkom(const std::string &text) {
  Kel_Var_2 skom("Skom");
  AddObj(skom, "Skom");
  SetAttrStr(skom, "text", text);
  return skom;
}

bool isReturn(const Kel_Var_2 &kom) {
  if (!IsTypeOf(kom, "Skom"))
    return false;
  Kel_Var_2 skom("Skom");
  SetPointer(skom, kom);
  return GetAttrStr(skom, "text") == "return";
}

} // namespace

void addTimingInformationToProcedure(Kel_Var_2 procedure) {
  // 1.
  Kel_Var_2 procFunct("ProcFunct"), block("Komblock");
  if (!FirstByLink(procFunct, procedure, "procfunct") ||
      !FirstByLink(block, procFunct, "block")) {
    printError(1001, procedure, "");
    return;
  }
  // 2.
  const std::string textVariable = "_timer_str";
  DeclareVa("String", textVariable, procedure);
  std::string timer = GenerateUniqueName("");
  std::string name = GetZEVAElementFullName(procedure);
  // 3. Made in the order they run (indent, text, append, start) and put
  // first from the last one on.
  Kel_Var_2 indent = newSkom(addIndentToDebugTraceFile());
  Kel_Var_2 text =
      newSkom("setVar " + textVariable + "=\"Starting " + name + " ... \"");
  Kel_Var_2 append =
      newSkom("call appendToFile(" + textVariable + ",\"debug.txt\")");
  Kel_Var_2 start = newSkom("call startNthTimer(" + timer + ")");
  for (const Kel_Var_2 *kom : {&start, &append, &text, &indent})
    AddKomToKomblockStart(*kom, block);
  // 4.
  addTimingInformationToRETURN(indent, procedure, timer, textVariable);
}

void addTimingInformationToRETURN(Kel_Var_2 command, Kel_Var_2 procedure,
                                  std::string timer, std::string textVariable) {
  std::string name = GetZEVAElementFullName(procedure);
  // The chain, which can be very long, is walked in a loop; only the
  // branches of an Ifthenkom are recursed into. The current command is held
  // on the extent, not reached along "next1": inserting before a "return"
  // replaces the link that leads to it.
  Kel_Var_2 kom("Kom");
  SetPointer(kom, command);
  while (true) {
    if (IsTypeOf(kom, "Ifthenkom")) {
      // 1.
      Kel_Var_2 branch("Komblock"), first("Kom");
      for (const char *role : {"then1", "else1"})
        if (FirstByLink(branch, kom, role) &&
            FirstByLink(first, branch, "start"))
          addTimingInformationToRETURN(first, procedure, timer, textVariable);
    } else if (isReturn(kom)) {
      // 2.
      AddKomBeforeKom(kom, newSkom("call stopNthTimer(" + timer + ")"));
      AddKomBeforeKom(kom, newSkom("setVarF " + textVariable +
                                   "=elapsedNthTimeString(" + timer + ")"));
      AddKomBeforeKom(kom, newSkom("setVar " + textVariable + "=" +
                                   textVariable + "+\"\""));
      AddKomBeforeKom(kom, newSkom("setVar " + textVariable + "=\"" + name +
                                   " executed in \"+" + textVariable));
      AddKomBeforeKom(kom, newSkom(addIndentToDebugTraceFile()));
      AddKomBeforeKom(kom, newSkom("call appendToFile(" + textVariable +
                                   ",\"debug.txt\")"));
    }
    // 3.
    Kel_Var_2 next("Kom");
    if (!FirstByLink(next, kom, "next1"))
      return;
    SetPointer(kom, next);
  }
}

} // namespace zeva
