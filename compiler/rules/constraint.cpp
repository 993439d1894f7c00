//===- constraint.cpp - Constraints of pattern elements -------------------===//

#include "constraint.h"

namespace zeva {

// Constraint texts are compiled by the expression compiler; until it is
// part of the module, a constraint adds no test to its block.
void PrintConstraint(std::string, Kel_Var_2, Kel_Var_2) {}

} // namespace zeva
