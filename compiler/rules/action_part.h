//===- action_part.h - A rule's actions -------------------------*- C++ -*-===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

using kel::Kel_Var_2;

/// Appends the rule's actions to `block`: new objects, new links, then the
/// deletions that the pattern collected in the rule's "tempblock" (which is
/// deleted).
void PrintActionPart(Kel_Var_2 rule, Kel_Var_2 block) KEL_FUNC(PrintActionPart);

} // namespace zeva
