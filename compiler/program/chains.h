//===- chains.h - Command chains of the program model -----------*- C++ -*-===//
//
// Commands hang in blocks as singly linked chains: a block's "start" and
// "lastkom", each command's "next1". These roles are single-valued at both
// ends, so linking replaces the old link; the operations rely on that and
// delete a link only where they must.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// Appends `kom` at the end of `block`.
void AddKomToKomblock(Kel_Var_2 kom, Kel_Var_2 block)
    KEL_FUNC(AddKomToKomblock);
/// Puts `kom` at the start of `block`.
void AddKomToKomblockStart(Kel_Var_2 kom, Kel_Var_2 block)
    KEL_FUNC(AddKomToKomblockStart);
/// Moves all commands of `from` to the end of `to`; `from` ends empty.
void MoveKomsFromKomBlock(Kel_Var_2 from, Kel_Var_2 to)
    KEL_FUNC(MoveKomsFromKomBlock);
/// Inserts `newKom` before `kom`; nothing when `kom` is in no chain.
void AddKomBeforeKom(Kel_Var_2 kom, Kel_Var_2 newKom) KEL_FUNC(AddKomBeforeKom);
/// Inserts `newKom` after `kom`; nothing when `kom` is in no chain.
void AddKomAfterKom(Kel_Var_2 kom, Kel_Var_2 newKom) KEL_FUNC(AddKomAfterKom);
/// Creates a Skom with `text` and appends it to `block`.
void AddSkomToKomBlock(std::string text, Kel_Var_2 block)
    KEL_FUNC(AddSkomToKomBlock);
/// Appends an expression element ("start", "lastelem", "next1").
void AddEelemToExpression(Kel_Var_2 elem, Kel_Var_2 expression)
    KEL_FUNC(AddEelemToExpression);

namespace program {

/// An Ifthenkom with its condition, then- and else-blocks.
struct IfThen {
  Kel_Var_2 command{"Ifthenkom"}, condition{"Komblock"}, then{"Komblock"},
      otherwise{"Komblock"};
};

/// A new Ifthenkom after `label` ("next1"), linked as `flowEnd`'s "kom",
/// with new blocks, made in the order condition, then, else.
IfThen createIfThenAfter(const Kel_Var_2 &label, const Kel_Var_2 &flowEnd);

} // namespace program
} // namespace zeva
