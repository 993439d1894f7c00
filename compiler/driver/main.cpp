//===- main.cpp - The compiler run ----------------------------------------===//

#include "driver.h"

#include "../mmscript/mmscript.h"
#include "../program/chains.h"
#include "../program/cleanup.h"
#include "../queries/names.h"
#include "globals.h"
#include "messages.h"
#include "natives.h"
#include "run_state.h"

using namespace kel;

namespace zeva {

void Main() {
  RunScope run;
  // 1. The crash guard: if the run stops abnormally it stays in the model.
  Kel_Var_2 guard("Utility::CompilerMessages");
  AddObj(guard, "Utility::CompilerMessages");
  SetAttrStr(guard, "text", std::string(kCrashGuardText));
  SetAttrEnum(guard, "CompilerMessageType", "CompilerMessageType::Error");
  Initialize();
  // 3. The script is written before, and whether or not, anything compiles.
  std::string script = printZEVA_MMscript();
  // A model name that leads out of the project folder gets no script.
  if (IsProjectPathBelowProject())
    writeToFile(script, GetProjectPath() + "MMscript.txt");
  else
    showMsg("MMscript.txt is not written: the model name would put it "
            "outside the project folder");
  Compile();
  Finalize();
  DeleteObj(guard);
}

void Initialize() {
  _TARGET_ = 1;
  ClearZEVA2compilerStuff();
  ClearLexems();
  ClearTovMM();
  Kel_Var_2 generator("LabelGenerator");
  AddObj(generator, "LabelGenerator");
  SetAttrInt(generator, "id", 1);
  Kel_Var_2 marker("PatternElementMarker");
  AddObj(marker, "PatternElementMarker");
}

void Compile() {
  Kel_Var_2 model("ZEVA::Model");
  if (!First(model, "ZEVA::Model"))
    return;
  // Only whether some unit is selected matters, not which.
  Kel_Var_2 package("ZEVA::Package");
  bool selected = false;
  for (bool found = First(package, "ZEVA::Package"); found && !selected;
       found = Next(package))
    selected =
        GetAttrBool(package, "isUnit") && GetAttrBool(package, "compileThis");
  if (!selected) {
    printError(64, model, "");
    return;
  }
  CompileHeader(model, Kel_Var_2("Transformation"),
                GetAttrBool(model, "compileThis"));
  RemoveEmptyKomBlocks();
}

void Finalize() {
  Kel_Var_2 mainFunction("ProcFunct");
  bool found = First(mainFunction, "ProcFunct");
  while (found && !GetAttrBool(mainFunction, "is_main"))
    found = Next(mainFunction);
  Kel_Var_2 block("Komblock");
  if (!found || !FirstByLink(block, mainFunction, "block"))
    return;
  Kel_Var_2 first("Skom");
  AddObj(first, "Skom");
  SetAttrStr(first, "text", "call _initializeZEVAtransformation()");
  AddKomToKomblockStart(first, block);
  Kel_Var_2 last("Skom");
  AddObj(last, "Skom");
  SetAttrStr(last, "text", "call _finalizeZEVAtransformation()");
  AddKomToKomblock(last, block);
}

} // namespace zeva
