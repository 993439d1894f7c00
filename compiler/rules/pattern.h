//===- pattern.h - A rule's pattern as nested searches ----------*- C++ -*-===//
//
// Each class element of a rule's pattern that is not yet bound becomes an
// FNkom search whose "suchthat1" block holds everything that must hold for
// the candidate; a link between two bound elements becomes an Ekom test.
// The walk starts at root elements and follows the links depth-first.
//
// The run's PatternElementMarker records what is bound: a "markedel" link
// to each bound element and a "markedlink" link to each link used. Deletions
// found on the way go to the start of the rule's "tempblock".
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

using kel::Kel_Var_2;

/// Fills `block` with the pattern of `rule`: constraints of reference
/// elements, then searches from the loop variable, the elements annotated
/// "single" or "start", the reference elements and every element left.
void PrintRulePattern(Kel_Var_2 rule, Kel_Var_2 block)
    KEL_FUNC(PrintRulePattern);
/// Compiles `element`, reached from `previous` along `link` traversed in
/// direction `dir` (0: from its "from" end to its "to" end), or as a root
/// when `link` is null, and what is reached from it.
void PrintPatternElement(Kel_Var_2 previous, Kel_Var_2 link, Kel_Var_2 element,
                         Kel_Var_2 block, int dir)
    KEL_FUNC(PrintPatternElement);
/// Looks, from the end of `link` that `dir` names ("from" for 1, else
/// "to"), along links unmarked in both markers, for a reference element or
/// one bound in `marker`. `root` ends at the element found, or else at that
/// end; `searchMarker` records the elements and links visited.
bool FindRootNode(Kel_Var_2 link, int dir, Kel_Var_2 &root, Kel_Var_2 marker,
                  Kel_Var_2 searchMarker) KEL_FUNC(FindRootNode);
void MarkClassElement(Kel_Var_2 element) KEL_FUNC(MarkClassElement);
void MarkAssocLink(Kel_Var_2 link) KEL_FUNC(MarkAssocLink);

} // namespace zeva
