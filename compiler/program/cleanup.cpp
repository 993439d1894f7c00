//===- cleanup.cpp - Removing program objects -----------------------------===//

#include "cleanup.h"

#include "kel_var.h"
#include "message_table.h"

using namespace kel;

namespace zeva {

namespace {

/// Deletes every object of `cls` and its subclasses.
void deleteAll(const char *cls) {
  Kel_Var_2 v(cls);
  for (bool found = First(v, cls); found; found = Next(v))
    DeleteObj(v);
}

} // namespace

void RemoveEmptyKomBlocks() {
  Kel_Var_2 block("Komblock"), first("Kom");
  Kel_Var_2 procFunct("ProcFunct"), ifThen("Ifthenkom");
  for (bool found = First(block, "Komblock"); found; found = Next(block)) {
    if (FirstByLink(first, block, "start"))
      continue;
    if (FirstByLink(procFunct, block, "procfunct"))
      continue; // a procedure's body may be empty
    if (!FirstByLink(ifThen, block, "NameIf")) {
      DeleteObj(block);
      continue;
    }
    // The condition always holds: the then-branch takes the Ifthenkom's
    // place in its chain.
    Kel_Var_2 thenBlock("Komblock"), thenFirst("Kom"), thenLast("Kom");
    Kel_Var_2 previous("Kom"), next("Kom");
    if (!FirstByLink(thenBlock, ifThen, "then1") ||
        !FirstByLink(thenFirst, thenBlock, "start") ||
        !FirstByLink(thenLast, thenBlock, "lastkom") ||
        !FirstByLink(previous, ifThen, "Name"))
      return;
    AddLink(previous, thenFirst, "next1");
    if (FirstByLink(next, ifThen, "next1"))
      AddLink(thenLast, next, "next1");
    DeleteObj(thenBlock);
    Kel_Var_2 elseBlock("Komblock"), elseFirst("Kom");
    if (!FirstByLink(elseBlock, ifThen, "else1") ||
        !FirstByLink(elseFirst, elseBlock, "start"))
      return;
    DeleteObj(elseFirst);
    DeleteObj(elseBlock);
    DeleteObj(ifThen);
    DeleteObj(block);
  }
}

void ClearZEVA2compilerStuff() {
  Kel_Var_2 generator("LabelGenerator");
  if (First(generator, "LabelGenerator"))
    DeleteObj(generator);
  deleteAll("PatternElementMarker");
  // The crash guard of this run is the newest message; older guards go.
  Kel_Var_2 message("Utility::CompilerMessages");
  for (bool found = First(message, "Utility::CompilerMessages"); found;) {
    Kel_Var_2 current = message;
    found = Next(message);
    if (!found && GetAttrStr(current, "text") == kCrashGuardText)
      break;
    DeleteObj(current);
  }
}

void ClearLexems() { deleteAll("Le"); }

void ClearTovMM() {
  for (const char *cls :
       {"Kom", "Komblock", "ProcFunct", "Parameter", "Defblock", "Defin",
        "Expression", "Eelem", "Param", "Transformation", "Directive"})
    deleteAll(cls);
}

} // namespace zeva
