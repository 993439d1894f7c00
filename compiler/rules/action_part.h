//===- action_part.h - A rule's actions -------------------------*- C++ -*-===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

using kel::Kel_Var_2;

/// Appends the rule's actions to `block`: new objects, new links, the
/// assignments of its elements, then the deletions that the pattern
/// collected in the rule's "tempblock" (which is deleted).
void PrintActionPart(Kel_Var_2 rule, Kel_Var_2 block) KEL_FUNC(PrintActionPart);
/// Appends the command of one assignment (of a class element's property,
/// or of a whole variable) with the commands its value needs first.
void PrintAssignment(Kel_Var_2 assignment, Kel_Var_2 block)
    KEL_FUNC(PrintAssignment);

} // namespace zeva
