//===- subclasses.h - Exact-type tests over a subclass tree -----*- C++ -*-===//
//
// A search along an association end that is declared on another class than
// the element's may meet objects of any class at that end. The compiler
// then excludes them: one "type x!=C" test per class of the element's
// subclass tree jumps to a label past an unlabelled jump, so that only
// objects of one of these classes get past the tests.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// Appends "type " + def's refName + "!=" + C with "else1" `elseLabel` for
/// `cls` and, in pre-order, for each of its subclasses.
void CreateTypeNotEqualCommandsForSubClasses(Kel_Var_2 cls, Kel_Var_2 block,
                                             std::string elseLabel,
                                             Kel_Var_2 def)
    KEL_FUNC(CreateTypeNotEqualCommandsForSubClasses);
/// Whether the end of `link` at the element (its "from" end when `dir` is
/// 1, else its "to" end) is missing or typed by another type than `type`.
bool IsLinkToClassElementToAbstractClass(Kel_Var_2 link, Kel_Var_2 type,
                                         int dir)
    KEL_FUNC(IsLinkToClassElementToAbstractClass);

namespace rules {

/// Appends the test "type " + `name` + "!=" + C with "else1" `elseLabel`:
/// whether the object that `name` points to is not exactly of class `cls`.
void appendTypeTest(const Kel_Var_2 &block, const std::string &name,
                    const Kel_Var_2 &cls, const std::string &elseLabel);
/// Appends to `block` the type tests for `type`, an unlabelled jump and the
/// tests' label. False, with nothing appended, when `type` is no class.
bool appendSubclassTest(const Kel_Var_2 &type, const Kel_Var_2 &block,
                        const Kel_Var_2 &def);

} // namespace rules
} // namespace zeva
