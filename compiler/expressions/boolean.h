//===- boolean.h - Boolean expressions into commands ------------*- C++ -*-===//
//
// A Boolean expression (relations joined by "or", "and", "not" and
// brackets) becomes commands that leave its value in a Boolean variable:
// each operator works on temporaries, with a label of its own, and both
// operands are always evaluated.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// Appends to `block` the commands that set the Boolean variable `result`
/// to the value of the expression whose chain starts at `lexem`. The chain
/// is cut into pieces on the way. Messages go to `element`.
void PrintBooleanExpression(Kel_Var_2 lexem, std::string result,
                            Kel_Var_2 element, Kel_Var_2 block)
    KEL_FUNC(PrintBooleanExpression);

} // namespace zeva
