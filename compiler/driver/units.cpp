//===- units.cpp - Selection of units and the main procedure's steps ------===//

#include "driver.h"

#include "../procedures/headers.h"
#include "../program/chains.h"
#include "../program/prelude.h"
#include "../queries/names.h"
#include "cycle_check.h"
#include "messages.h"

#include <vector>

using namespace kel;

namespace zeva {

namespace {

bool isProcedure(Kel_Var_2 &element) {
  return IsTypeOf(element, "ZEVA::ZEVAprocedure") ||
         IsTypeOf(element, "ZEVA::ExternalProcedure");
}

void addDirective(Kel_Var_2 &transformation, const char *val,
                  const std::string &fileName) {
  Kel_Var_2 directive("Directive");
  AddObj(directive, "Directive");
  SetAttrStr(directive, "val", val);
  SetAttrStr(directive, "file_name", fileName);
  AddLink(transformation, directive, "dir");
}

} // namespace

void CompileHeader(Kel_Var_2 element, Kel_Var_2 transformation, bool inUnit) {
  // The package tree is walked depth first with a stack of its own, since
  // packages may nest as deep as the model likes: each open package keeps
  // its place among its members, the Transformation and the in-unit flag
  // they get, and whether its procedures are skipped.
  struct Open {
    ObjectId package;
    Kel_Var_2 member;
    bool more;
    Kel_Var_2 transformation;
    bool inUnit, skipsProcedures;
  };
  std::vector<Open> open;
  PathCycleCheck path;
  auto push = [&](const Kel_Var_2 &package, const Kel_Var_2 &transformation,
                  bool inUnit, bool skipsProcedures) {
    open.push_back({CurId(package), Kel_Var_2("ZEVA::PackageableElement"),
                    false, transformation, inUnit, skipsProcedures});
    open.back().more = FirstByLink(open.back().member, package, "ownedMember");
  };
  // One element as the recursive description has it; a package's members
  // are then visited through the stack.
  auto visit = [&](Kel_Var_2 element, Kel_Var_2 transformation, bool inUnit) {
    if (GetAttrBool(element, "doNotCompile"))
      return;
    if (isProcedure(element)) {
      // Under a model root marked "compileThis" but outside every selected
      // unit the transformation is null: the procedure is compiled all the
      // same, and linking it to no program is refused by the model layer.
      CompileProcedureHeader(element, transformation);
      return;
    }
    Kel_Var_2 package("ZEVA::Package");
    SetPointer(package, element);
    if (!path.enter(CurId(package)))
      abortCycle("CompileHeader", CurId(package), "ownedMember");
    bool isUnit = GetAttrBool(package, "isUnit");
    if (isUnit && GetAttrBool(package, "compileThis")) {
      Kel_Var_2 unit("Transformation");
      AddObj(unit, "Transformation");
      AddLink(package, unit, "transf");
      SetAttrStr(unit, "name1",
                 GetProjectPath() + GetZEVAElementFullName(package));
      push(package, unit, true, false);
    } else if (!isUnit && inUnit) {
      push(package, transformation, true, false);
    } else {
      // Procedures outside a selected unit are not compiled; nested
      // packages are still searched for selected units.
      push(package, transformation, false, true);
    }
  };
  visit(element, transformation, inUnit);
  while (!open.empty()) {
    Open &top = open.back();
    if (!top.more) {
      path.leave(top.package);
      open.pop_back();
      if (!open.empty())
        open.back().more = Next(open.back().member);
      continue;
    }
    std::size_t depth = open.size();
    if (!top.skipsProcedures || !isProcedure(top.member))
      visit(top.member, top.transformation, top.inUnit);
    // A member that opened no package is done.
    if (open.size() == depth)
      open.back().more = Next(open.back().member);
  }
}

void CompileMainProcedure(Kel_Var_2 procedure, Kel_Var_2 transformation) {
  addDirective(transformation, "useMM", "MMscript.txt");
  InitializeZEVAnativeFunctions(transformation);
  Kel_Var_2 package("ZEVA::Package"), target("Transformation");
  for (bool found = First(package, "ZEVA::Package"); found;
       found = Next(package))
    if (GetAttrBool(package, "isUnit") &&
        !GetAttrBool(package, "doNotCompile") &&
        (!FirstByLink(target, package, "transf") ||
         PtrNe(target, transformation)))
      addDirective(transformation, "useUnit",
                   GetZEVAElementFullName(package) + ".txt");

  // The main function found or made by an earlier main procedure of this
  // run answers without a walk over every function compiled so far.
  static auto *knownMain = new Kel_Var_2("ProcFunct");
  if (!IsNull(*knownMain) && GetAttrBool(*knownMain, "is_main")) {
    printError(50, procedure, "");
    return;
  }
  Kel_Var_2 procFunct("ProcFunct");
  for (bool found = First(procFunct, "ProcFunct"); found;
       found = Next(procFunct))
    if (GetAttrBool(procFunct, "is_main")) {
      SetPointer(*knownMain, procFunct);
      printError(50, procedure, "");
      return;
    }
  Kel_Var_2 &mainFunction = *knownMain;
  AddObj(mainFunction, "ProcFunct");
  AddLink(transformation, mainFunction, "pf");
  SetAttrStr(mainFunction, "name1", "_mainZEVAfunction");
  SetAttrBool(mainFunction, "is_main", true);
  SetAttrBool(mainFunction, "debug_mode", false);
  SetAttrBool(mainFunction, "is_native", false);
  SetAttrStr(mainFunction, "return_type", "");
  Kel_Var_2 defblock("Defblock"), block("Komblock");
  AddObj(defblock, "Defblock");
  AddLink(mainFunction, defblock, "pfblock");
  AddObj(block, "Komblock");
  AddLink(mainFunction, block, "block");
  Kel_Var_2 own("ProcFunct");
  FirstByLink(own, procedure, "procfunct");
  AddSkomToKomBlock("call " + GetAttrStr(own, "name1") + "()", block);
}

} // namespace zeva
