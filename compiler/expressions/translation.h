//===- translation.h - State shared by expression translation ---*- C++ -*-===//
#pragma once

#include "kel_var.h"

#include <string>

namespace zeva::expressions {

using kel::Kel_Var_2;

/// Where one translation writes, and what its elements must fit.
struct Translation {
  Kel_Var_2 expression; ///< receives the elements
  Kel_Var_2 block;      ///< receives the commands computed first
  Kel_Var_2 element;    ///< the context, and where messages go
  Kel_Var_2 expectedType;
  std::string typeName; ///< the Kel name of expectedType
};

/// Reports message `number` (with `name`) on the context element; false,
/// for the translation to end.
bool fail(const Translation &t, int number, const std::string &name = "");

/// Whether `name` is one of the built-in functions.
bool isBuiltinFunction(const std::string &name);
/// Translates the call of the built-in `name` whose "(" is `bracket`;
/// `lexem` moves to the call's ")". False when the translation of the
/// enclosing expression ends here.
bool printBuiltinFunction(const Translation &t, const std::string &name,
                          const Kel_Var_2 &bracket, Kel_Var_2 &lexem);
/// Declares a temporary of `type` in the context's procedure and appends to
/// the block "setVar " + its name + "=" with the value of the expression
/// from `argument` on, translated as `expectedType`. Returns the name, or
/// nothing when no temporary could be declared.
std::string printIntoTemporary(const Translation &t, const std::string &type,
                               const Kel_Var_2 &expectedType,
                               const Kel_Var_2 &argument);

} // namespace zeva::expressions
