//===- headers.cpp - Procedure headers ------------------------------------===//

#include "headers.h"

#include "../program/declarations.h"
#include "../queries/names.h"
#include "control_flow.h"
#include "driver.h"
#include "messages.h"

#include <unordered_map>

using namespace kel;

namespace zeva {

void CompileProcedureHeader(Kel_Var_2 procedure, Kel_Var_2 transformation) {
  Kel_Var_2 procFunct("ProcFunct");
  AddObj(procFunct, "ProcFunct");
  AddLink(procedure, procFunct, "procfunct");
  AddLink(transformation, procFunct, "pf");
  CompileParameters(procedure, procFunct);
  if (!IsTypeOf(procedure, "ZEVA::ZEVAprocedure")) {
    SetAttrStr(procFunct, "name1", "ext_" + GetAttrStr(procedure, "name"));
    SetAttrBool(procFunct, "is_main", false);
    SetAttrBool(procFunct, "is_native", true);
    return;
  }
  Kel_Var_2 body("ZEVA::ZEVAprocedure");
  SetPointer(body, procedure);
  SetAttrStr(procFunct, "name1", GetZEVAElementFullName(body));
  SetAttrBool(procFunct, "is_main", false);
  SetAttrBool(procFunct, "debug_mode", GetAttrBool(body, "debugOn"));
  SetAttrBool(procFunct, "is_native", false);
  SetAttrStr(procFunct, "return_type", "");
  Kel_Var_2 returnType("Kernel::Type");
  if (FirstByLink(returnType, body, "returnType"))
    SetAttrStr(procFunct, "return_type", GetKernelElementFullName(returnType));
  Kel_Var_2 defblock("Defblock"), block("Komblock");
  AddObj(defblock, "Defblock");
  AddLink(procFunct, defblock, "pfblock");
  AddObj(block, "Komblock");
  AddLink(procFunct, block, "block");
  CompileDefines(body);
  CompileProcedureBody(body);
  if (GetAttrBool(body, "isMain"))
    CompileMainProcedure(body, transformation);
}

void CompileParameters(Kel_Var_2 procedure, Kel_Var_2 procFunct) {
  bool external = IsTypeOf(procedure, "ZEVA::ExternalProcedure");
  const char *role = external ? "params" : "ownedElement";
  // The first parameter in link order with each number, found in one pass
  // over the members rather than one pass per number.
  std::unordered_map<int, Kel_Var_2> numbered;
  Kel_Var_2 candidate("ZEVA::ProcedureElement");
  for (bool more = FirstByLink(candidate, procedure, role); more;
       more = Next(candidate))
    if (IsTypeOf(candidate, "ZEVA::Parameter")) {
      Kel_Var_2 parameter("ZEVA::Parameter");
      SetPointer(parameter, candidate);
      numbered.try_emplace(GetAttrInt(parameter, "paramNumber"), parameter);
    }
  Kel_Var_2 previous("Parameter");
  for (int n = 1;; ++n) {
    auto found = numbered.find(n);
    if (found == numbered.end())
      return;
    Kel_Var_2 &parameter = found->second;
    Kel_Var_2 formal("Parameter");
    AddObj(formal, "Parameter");
    Kel_Var_2 type("Kernel::Type");
    if (!FirstByLink(type, parameter, "type")) {
      printError(external ? 1 : 2, parameter, "");
    } else {
      SetAttrStr(formal, "name1", GetAttrStr(parameter, "refName"));
      SetAttrStr(formal, "type1", GetKernelElementFullName(type));
      SetAttrBool(formal, "byRef", GetAttrBool(parameter, "inOut"));
      AddLink(parameter, formal, "pfparam");
      if (!external) {
        AddLink(procedure, parameter, "defines");
        AddLink(procedure, parameter, "params");
      }
      if (n == 1)
        AddLink(procFunct, formal, "param");
      else
        AddLink(previous, formal, "next1");
    }
    previous = formal;
  }
}

void CompileDefines(Kel_Var_2 procedure) {
  Kel_Var_2 member("ZEVA::ProcedureElement");
  for (bool found = FirstByLink(member, procedure, "ownedElement"); found;
       found = Next(member)) {
    if (!IsTypeOf(member, "ZEVA::Variable") &&
        !IsTypeOf(member, "ZEVA::ClassElementDef"))
      continue;
    Kel_Var_2 element("ZEVA::ReferencableElement"), type("Kernel::Type");
    SetPointer(element, member);
    if (!FirstByLink(type, element, "type")) {
      printError(3, element, "");
      continue;
    }
    AddLink(procedure, element, "defines");
    std::string typeName = GetKernelElementFullName(type);
    std::string name = GetAttrStr(element, "refName");
    Kel_Var_2 definition = IsTypeOf(type, "Kernel::Class")
                               ? DeclarePo(typeName, name, procedure)
                               : DeclareVa(typeName, name, procedure);
    AddLink(element, definition, "defin");
  }
}

} // namespace zeva
