//===- prelude.h - Native declarations and the program prelude --*- C++ -*-===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

/// Adds to the unit's Transformation the global trace variables, the three
/// written procedures that set up and tear down a run, and the declarations
/// of the twelve native functions the compiled program calls.
void InitializeZEVAnativeFunctions(kel::Kel_Var_2 transformation)
    KEL_FUNC(InitializeZEVAnativeFunctions);

} // namespace zeva
