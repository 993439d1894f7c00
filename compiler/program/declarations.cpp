//===- declarations.cpp - Variable and pointer declarations ---------------===//

#include "declarations.h"

#include "messages.h"
#include "names.h"

using namespace kel;

namespace zeva {

namespace {

/// A new, unlinked Va or Po.
Kel_Var_2 definition(const char *cls, const std::string &name,
                     const std::string &type) {
  Kel_Var_2 def(cls);
  AddObj(def, cls);
  SetAttrStr(def, "name1", name);
  SetAttrStr(def, "type1", type);
  return def;
}

Kel_Var_2 declare(const char *cls, const std::string &type,
                  const std::string &name, Kel_Var_2 &procedure) {
  Kel_Var_2 def = definition(cls, name, type);
  Kel_Var_2 procFunct("ProcFunct"), defblock("Defblock");
  if (!FirstByLink(procFunct, procedure, "procfunct") ||
      !FirstByLink(defblock, procFunct, "pfblock")) {
    printError(1001, procedure, "");
    return def;
  }
  AddLink(defblock, def, "def");
  return def;
}

Kel_Var_2 declareGenerated(const char *cls, const char *prefix,
                           const std::string &type, Kel_Var_2 &element) {
  Kel_Var_2 procedure("ZEVA::ZEVAprocedure");
  if (!FirstByLink(procedure, element, "owningProcedure")) {
    printError(1001, element, "");
    return Kel_Var_2(cls);
  }
  return declare(cls, type, GenerateUniqueName(prefix), procedure);
}

void declareIn(const char *cls, const std::string &name,
               const std::string &type, Kel_Var_2 &defblock) {
  AddLink(defblock, definition(cls, name, type), "def");
}

} // namespace

Kel_Var_2 DeclareVa(std::string type, std::string name, Kel_Var_2 procedure) {
  return declare("Va", type, name, procedure);
}

Kel_Var_2 DeclarePo(std::string type, std::string name, Kel_Var_2 procedure) {
  return declare("Po", type, name, procedure);
}

Kel_Var_2 DeclareVaCon(std::string type, Kel_Var_2 element) {
  return declareGenerated("Va", "_mvar_", type, element);
}

Kel_Var_2 DeclarePoCon(std::string type, Kel_Var_2 element) {
  return declareGenerated("Po", "_mpointer_", type, element);
}

void DeclareVaInDefBlock(std::string name, std::string type,
                         Kel_Var_2 defblock) {
  declareIn("Va", name, type, defblock);
}

void DeclarePoInDefBlock(std::string name, std::string type,
                         Kel_Var_2 defblock) {
  declareIn("Po", name, type, defblock);
}

} // namespace zeva
