//===- prelude.cpp - Native declarations and the program prelude ----------===//
//
// The prelude is the vocabulary shared by the compiler and the runtime:
// names, parameter names (note "attrName " with its trailing blank), types,
// passing modes and result types must stay exactly as they are.
//
//===----------------------------------------------------------------------===//

#include "prelude.h"

#include "chains.h"
#include "declarations.h"

#include <initializer_list>

using namespace kel;

namespace zeva {

namespace {

struct NativeParam {
  const char *name;
  const char *type;
  bool byRef;
};

struct NativeDecl {
  const char *name;
  std::initializer_list<NativeParam> params;
  const char *returnType;
};

const NativeDecl kNatives[] = {
    {"NotAttrValEmpty",
     {{"obj", "AnyClass", true}, {"attrName ", "String", true}},
     "Boolean"},
    {"IsAttrValEmpty",
     {{"obj", "AnyClass", true}, {"attrName ", "String", true}},
     "Boolean"},
    {"SetAttrValEmpty",
     {{"obj", "AnyClass", true}, {"attrName ", "String", true}},
     ""},
    {"toUpper", {{"s", "String", false}}, "String"},
    {"toLower", {{"s", "String", false}}, "String"},
    {"indexOf", {{"s", "String", false}, {"ss", "String", false}}, "Integer"},
    {"appendToFile", {{"s", "String", false}, {"ss", "String", false}}, ""},
    {"startNthTimer", {{"i", "Integer", false}}, ""},
    {"stopNthTimer", {{"i", "Integer", false}}, ""},
    {"elapsedNthTimeString", {{"i", "Integer", false}}, "String"},
    {"writeToFile", {{"s", "String", false}, {"ss", "String", false}}, ""},
    {"GetInstanceID", {{"obj", "AnyClass", true}}, "String"},
};

/// Rebuilds the trace's indentation prefix: a line feed, then one tab per
/// nesting level above 1.
const char *const kResetIdent = "setVar _IDENTstr=\"\\n\";\n"
                                "setVar i=_IDENTint;\n"
                                "label start;\n"
                                "var i>1 else ret;\n"
                                "setVar _IDENTstr=_IDENTstr+\"\\t\";\n"
                                "setVar i=i-1;\n"
                                "goto start;\n"
                                "label ret";

const char *const kTraceHeader =
    "call writeToFile(\"##################This is ZEVA transformation trace "
    "file#################################################\",\"debug.txt\")";

/// A written procedure with its Defblock and Komblock.
Kel_Var_2 writtenProcedure(Kel_Var_2 &transformation, const char *name,
                           Kel_Var_2 &defblock, Kel_Var_2 &block) {
  Kel_Var_2 procFunct("ProcFunct");
  AddObj(procFunct, "ProcFunct");
  AddLink(transformation, procFunct, "pf");
  SetAttrStr(procFunct, "name1", name);
  SetAttrBool(procFunct, "is_main", false);
  SetAttrBool(procFunct, "debug_mode", false);
  SetAttrBool(procFunct, "is_native", false);
  SetAttrStr(procFunct, "return_type", "");
  AddObj(defblock, "Defblock");
  AddLink(procFunct, defblock, "pfblock");
  AddObj(block, "Komblock");
  AddLink(procFunct, block, "block");
  return procFunct;
}

void declareNative(Kel_Var_2 &transformation, const NativeDecl &decl) {
  Kel_Var_2 procFunct("ProcFunct");
  AddObj(procFunct, "ProcFunct");
  AddLink(transformation, procFunct, "pf");
  SetAttrStr(procFunct, "name", decl.name);
  SetAttrStr(procFunct, "name1", decl.name);
  SetAttrBool(procFunct, "is_main", false);
  SetAttrBool(procFunct, "is_native", true);
  SetAttrStr(procFunct, "return_type", decl.returnType);
  Kel_Var_2 previous("Parameter");
  for (const NativeParam &p : decl.params) {
    Kel_Var_2 param("Parameter");
    AddObj(param, "Parameter");
    SetAttrStr(param, "name", p.name);
    SetAttrStr(param, "name1", p.name);
    SetAttrStr(param, "type1", p.type);
    SetAttrBool(param, "byRef", p.byRef);
    if (IsNull(previous))
      AddLink(procFunct, param, "param");
    else
      AddLink(previous, param, "next1");
    previous = param;
  }
}

} // namespace

void InitializeZEVAnativeFunctions(Kel_Var_2 transformation) {
  Kel_Var_2 globals("Defblock");
  AddObj(globals, "Defblock");
  AddLink(transformation, globals, "block");
  DeclareVaInDefBlock("_IDENTint", "Integer", globals);
  DeclareVaInDefBlock("_IDENTstr", "String", globals);

  Kel_Var_2 defblock("Defblock"), block("Komblock");
  writtenProcedure(transformation, "_resetIDENT", defblock, block);
  DeclareVaInDefBlock("i", "Integer", defblock);
  Kel_Var_2 reset("Skom");
  AddObj(reset, "Skom");
  SetAttrStr(reset, "text", kResetIdent);
  AddLink(block, reset, "start"); // the block gets no "lastkom"

  writtenProcedure(transformation, "_initializeZEVAtransformation", defblock,
                   block);
  AddSkomToKomBlock(kTraceHeader, block);
  AddSkomToKomBlock("setVar _IDENTint=1", block);
  AddSkomToKomBlock("setVar _IDENTstr=\"\\n\"", block);

  writtenProcedure(transformation, "_finalizeZEVAtransformation", defblock,
                   block);

  for (const NativeDecl &decl : kNatives)
    declareNative(transformation, decl);
}

} // namespace zeva
