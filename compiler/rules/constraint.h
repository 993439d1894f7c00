//===- constraint.h - Constraints of pattern elements -----------*- C++ -*-===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// Appends to `block` the commands that test the Boolean constraint `text`
/// of `element` (a class element or a text statement).
void PrintConstraint(std::string text, Kel_Var_2 element, Kel_Var_2 block)
    KEL_FUNC(PrintConstraint);

} // namespace zeva
