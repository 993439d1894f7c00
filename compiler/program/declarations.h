//===- declarations.h - Variable and pointer declarations -------*- C++ -*-===//
//
// Definitions ("Va" for values, "Po" for pointers) go into the Defblock of
// the ProcFunct that a ZEVA procedure was compiled into. Note the orders:
// DeclareVa takes the type first, DeclareVaInDefBlock the name first.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// A new Va in `procedure`'s definitions; message 1001 and an unlinked Va
/// when the procedure has no ProcFunct or Defblock.
Kel_Var_2 DeclareVa(std::string type, std::string name, Kel_Var_2 procedure)
    KEL_FUNC(DeclareVa);
Kel_Var_2 DeclarePo(std::string type, std::string name, Kel_Var_2 procedure)
    KEL_FUNC(DeclarePo);
/// A new Va with a generated "_mvar_" name in the procedure owning
/// `element`; message 1001 and null when no procedure owns it.
Kel_Var_2 DeclareVaCon(std::string type, Kel_Var_2 element)
    KEL_FUNC(DeclareVaCon);
/// As DeclareVaCon, a Po with a "_mpointer_" name.
Kel_Var_2 DeclarePoCon(std::string type, Kel_Var_2 element)
    KEL_FUNC(DeclarePoCon);
void DeclareVaInDefBlock(std::string name, std::string type, Kel_Var_2 defblock)
    KEL_FUNC(DeclareVaInDefBlock);
void DeclarePoInDefBlock(std::string name, std::string type, Kel_Var_2 defblock)
    KEL_FUNC(DeclarePoInDefBlock);

} // namespace zeva
