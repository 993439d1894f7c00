//===- elements.h - Kinds of pattern elements and links ---------*- C++ -*-===//
//
// Predicates over the class elements and association links of a rule that
// the pattern, rule and action compilers share.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "kel_var.h"

namespace zeva::rules {

using kel::Kel_Var_2;

/// Whether the element's "ElemType" is `kind` ("ElemType::Normal", ...).
bool hasElemType(const Kel_Var_2 &element, const char *kind);
/// Normal and delete elements are searched by the pattern.
bool isSearchedKind(const Kel_Var_2 &element);
/// "CardConstraint::NOT" on an element or an association link.
bool isNot(const Kel_Var_2 &elementOrLink);
/// Whether one of the element's annotations reads exactly `text`.
bool hasAnnotation(const Kel_Var_2 &element, const char *text);
/// An exact ZEVA::AssocLink of kind Normal or Delete: the links a pattern
/// walks along. Create links are made by the action part instead.
bool isTraversedLink(const Kel_Var_2 &link);
/// Whether the element or link is marked by `marker` ("markedel" or
/// "markedlink").
bool isMarkedBy(const Kel_Var_2 &marker, const Kel_Var_2 &elementOrLink);
/// The refName of the element's source ("def" or "referElem"); false when
/// it has neither.
bool sourceName(const Kel_Var_2 &element, std::string &name);

} // namespace zeva::rules
