//===- statements.h - Call, loop and text statements ------------*- C++ -*-===//
//
// The segments of calls, loops and text statements: each starts at the flow
// end's label, holds the statement's commands and ends with the jump to the
// successor; the flow end's "lastkom" is the segment's last command.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

using kel::Kel_Var_2;

/// Actual parameters that name a variable of the caller are passed as
/// they are; any other is evaluated into a temporary first.
void CreateFlowEndBodyCallStatement(Kel_Var_2 call)
    KEL_FUNC(CreateFlowEndBodyCallStatement);
/// The loop's segment jumps to its head rule, which iterates and then
/// jumps to the loop's continuation label.
void CreateFlowEndBodyForeachLoop(Kel_Var_2 loop)
    KEL_FUNC(CreateFlowEndBodyForeachLoop);
/// The segment jumps to the loop's head: its first flow end without an
/// incoming flow.
void CreateFlowEndBodyWhileLoop(Kel_Var_2 loop)
    KEL_FUNC(CreateFlowEndBodyWhileLoop);
/// An Ifthenkom: the constraint as its condition, the assignments and the
/// normal jump in its then-branch, the ELSE jump in its else-branch.
void CreateFlowEndBodyTextStatement(Kel_Var_2 statement)
    KEL_FUNC(CreateFlowEndBodyTextStatement);

} // namespace zeva
