//===- lexer.h - Expression texts cut into lexems ---------------*- C++ -*-===//
//
// An expression text becomes a chain of scratch "Le" objects ("val",
// "sort"), linked in text order by "next1" (inverse "prev1"). The text is
// not scanned left to right: the first occurrence of the highest-ranked
// token kind splits it, and the parts on either side are cut the same way.
// The caller deletes the chain with ClearLexems when it is done with it.
//
// Lexem variables that these operations hand back are positioned through
// the class extent, not through a link, so that they stay on their lexem
// when a neighbour is deleted.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// Creates the lexems of `text`, linked in text order; `lexem` is the one
/// that split the whole text (or the single word lexem), not necessarily
/// the first. An unterminated string constant shows a message and stops
/// the run.
void divideIntoLexems(std::string text, Kel_Var_2 &lexem)
    KEL_FUNC(divideIntoLexems);
/// The first lexem of `lexem`'s chain (along "prev1"); null for null.
void findFirstLexem(Kel_Var_2 lexem, Kel_Var_2 &first) KEL_FUNC(findFirstLexem);
/// The last lexem of `lexem`'s chain (along "next1"); null for null.
void findLastLexem(Kel_Var_2 lexem, Kel_Var_2 &last) KEL_FUNC(findLastLexem);
/// Deletes the "space" and "new_line" lexems from `lexem` to the end of the
/// chain and relinks their neighbours; a deleted `lexem` moves on to the
/// next lexem (null if none is left).
void TrimLexems(Kel_Var_2 &lexem) KEL_FUNC(TrimLexems);
/// Lexes `text` and trims the chain; `lexem` is its first lexem, or null
/// when only blanks and line breaks were there.
void GetLexems(std::string text, Kel_Var_2 &lexem) KEL_FUNC(GetLexems);
/// The first lexem of sort `sort` from `lexem` on (itself included);
/// false and `found` unchanged when there is none.
bool findLexem(std::string sort, Kel_Var_2 lexem, Kel_Var_2 &found)
    KEL_FUNC(findLexem);
/// From the lexem after `lexem`, the comma or right bracket that ends the
/// current argument at bracket depth `depth` (1 when `lexem` is an argument
/// list's opening bracket or one of its commas); `end` is unchanged when
/// the chain ends first.
void findEndOfExpression(Kel_Var_2 lexem, Kel_Var_2 &end, int depth)
    KEL_FUNC(findEndOfExpression);

} // namespace zeva
