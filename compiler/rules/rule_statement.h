//===- rule_statement.h - A rule as a statement of the flow -----*- C++ -*-===//
//
// An ordinary rule becomes an Ifthenkom: the pattern in its condition, the
// actions and the jump along the normal flow in its then-branch, the jump
// along the ELSE flow in its else-branch. The loophead of a foreach loop
// becomes a Foreachkom over the matches; the loophead of a while loop an
// Ifthenkom whose then-branch runs the loop body and jumps back to the rule.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

using kel::Kel_Var_2;

void CreateFlowEndBodyRule(Kel_Var_2 rule) KEL_FUNC(CreateFlowEndBodyRule);

} // namespace zeva
