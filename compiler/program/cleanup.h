//===- cleanup.h - Removing program objects ---------------------*- C++ -*-===//
#pragma once

#include "export.h"

namespace zeva {

/// After compilation: deletes empty blocks that belong to nothing and
/// replaces each Ifthenkom whose condition block is empty (a condition that
/// always holds) by its then-branch. Some broken shapes end the pass early.
void RemoveEmptyKomBlocks() KEL_FUNC(RemoveEmptyKomBlocks);
/// Deletes the label counter, the pattern markers and the compiler messages
/// of earlier runs (the current run's crash guard stays).
void ClearZEVA2compilerStuff() KEL_FUNC(ClearZEVA2compilerStuff);
/// Deletes every lexem.
void ClearLexems() KEL_FUNC(ClearLexems);
/// Deletes the whole program model of earlier runs.
void ClearTovMM() KEL_FUNC(ClearTovMM);

} // namespace zeva
