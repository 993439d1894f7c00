//===- headers.h - Procedure headers ----------------------------*- C++ -*-===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

using kel::Kel_Var_2;

/// Makes the ProcFunct of a ZEVA procedure in `transformation`: parameters,
/// and for a ZEVAprocedure its definitions and body (and, for the unit's
/// main procedure, the unit-level steps); an external procedure becomes a
/// native "ext_" declaration.
void CompileProcedureHeader(Kel_Var_2 procedure, Kel_Var_2 transformation)
    KEL_FUNC(CompileProcedureHeader);
/// Formal parameters numbered 1, 2, ...; the first gap ends the list.
void CompileParameters(Kel_Var_2 procedure, Kel_Var_2 procFunct)
    KEL_FUNC(CompileParameters);
/// Va/Po definitions for the procedure's variables and class-element
/// definitions.
void CompileDefines(Kel_Var_2 procedure) KEL_FUNC(CompileDefines);

} // namespace zeva
