//===- identifiers.h - What identifiers name, and type checks ---*- C++ -*-===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// The attribute `name` of `cls` (own attributes first, then each
/// generalization's class depth first).
bool IsIdentificatorAttribute(std::string name, Kel_Var_2 cls,
                              Kel_Var_2 &property)
    KEL_FUNC(IsIdentificatorAttribute);
/// The variable, parameter or class element of `element`'s procedure whose
/// refName is `name` (a leading "@" ignored).
bool IsIdentificatorReferencableElement(std::string name, Kel_Var_2 element,
                                        Kel_Var_2 &referencable)
    KEL_FUNC(IsIdentificatorReferencableElement);
/// The class whose full name is `name`, compared case-insensitively; `cls`
/// walks the class extent itself and is null when nothing matches.
bool IsIdentificatorClassSpecification(std::string name, Kel_Var_2 &cls)
    KEL_FUNC(IsIdentificatorClassSpecification);
/// Whether a value of type `actual` may stand where `formal` is expected: a
/// class takes itself and its subclasses; other types only themselves.
bool AreTypesCompatible(Kel_Var_2 formal, Kel_Var_2 actual)
    KEL_FUNC(AreTypesCompatible);

} // namespace zeva
