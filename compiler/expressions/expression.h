//===- expression.h - Simple expressions into Kel elements ------*- C++ -*-===//
//
// A ZEVA expression text (already cut into lexems) becomes a chain of Kel
// expression elements: attributes, variables, constants, operators,
// brackets and function calls. Parts that need computing first (function
// arguments, type tests) become commands appended to a block; they run
// before the command that holds the expression, which the caller appends
// after the translation.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

using kel::Kel_Var_2;

/// Translates the lexems from `lexem` to the end of its chain into
/// `expression`, each element of `expectedType`; auxiliary commands go to
/// `block`. `element` is the context ("self", bare attribute names, the
/// procedure's names) and carries the messages. A message ends the
/// translation; a message in a function argument ends only that argument.
/// `depth` is the bracket depth, 0 for callers.
void PrintExpression(Kel_Var_2 expression, Kel_Var_2 block, Kel_Var_2 element,
                     Kel_Var_2 expectedType, Kel_Var_2 &lexem, int depth)
    KEL_FUNC(PrintExpression);

/// Guesses the type of the expression that starts at `lexem` from its
/// first lexems; `type` is null when no type is found.
bool GetExpressionType(Kel_Var_2 lexem, Kel_Var_2 element, Kel_Var_2 &type)
    KEL_FUNC(GetExpressionType);

/// Translates a one-argument built-in call whose "(" is `bracket`: the
/// argument goes, as `argType`, into a temporary set before the call, and
/// a Funct `functionName` of `resultType` with that temporary as its
/// parameter is appended to `expression`. `end` receives the ")". False
/// when nothing was appended (message 8 or 9, or no closing bracket).
bool printOneArgumentFunction(Kel_Var_2 bracket, Kel_Var_2 &end,
                              std::string argType, Kel_Var_2 block,
                              Kel_Var_2 element, Kel_Var_2 expression,
                              std::string functionName, std::string resultType)
    KEL_FUNC(printOneArgumentFunction);

} // namespace zeva
