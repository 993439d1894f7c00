//===- elements.h - Building Kel expressions --------------------*- C++ -*-===//
#pragma once

#include "kel_var.h"

#include <string>

namespace zeva::expressions {

using kel::Kel_Var_2;

/// Appends a new element of class `cls` ("Atr", "Vari", ...) to
/// `expression` and returns it, for its attributes to be set.
Kel_Var_2 appendElement(const Kel_Var_2 &expression, const char *cls);
void appendConst(const Kel_Var_2 &expression, const std::string &val,
                 const std::string &type);
void appendVari(const Kel_Var_2 &expression, const std::string &name,
                const std::string &type, bool isPointer);
/// An "Op" or "Brack" element with `val`.
void appendSign(const Kel_Var_2 &expression, const char *cls,
                const std::string &val);
/// Adds a Param after the Funct's last one.
void addParam(const Kel_Var_2 &funct, const std::string &name,
              const std::string &type);
/// A new Skom with `text` and a new Expression, its value ("expr2").
Kel_Var_2 createValueCommand(const std::string &text, Kel_Var_2 &expression);
/// `lexem`, positioned through the class extent instead of through a link:
/// a variable reached along a link counts as null once the lexem it was
/// reached from is deleted or relinked.
Kel_Var_2 onExtent(const Kel_Var_2 &lexem);
/// The lexem after `lexem` ("next1"), on the extent; false at the end.
bool nextLexem(const Kel_Var_2 &lexem, Kel_Var_2 &next);
/// The first Kernel::PrimitiveType named `name`.
bool findPrimitiveType(const std::string &name, Kel_Var_2 &type);

} // namespace zeva::expressions
