//===- names.h - Generated names, labels and jumps --------------*- C++ -*-===//
//
// Generated names draw on the one "LabelGenerator" counter of the run, shared
// by every prefix ("_mlabel_", "_mvar_", "_mpointer_", "_").
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// `prefix` + the counter's next number; empty without a "LabelGenerator".
std::string GenerateUniqueName(std::string prefix) KEL_FUNC(GenerateUniqueName);
/// A new label Skom ("label " + a fresh "_mlabel_" name), in no block.
Kel_Var_2 CreateLabel() KEL_FUNC(CreateLabel);
/// A new Gotokom to `label` (no target when it is null), in no block.
Kel_Var_2 CreateGoto(Kel_Var_2 label) KEL_FUNC(CreateGoto);

} // namespace zeva
