//===- code_places.h - Jump targets of instruction lists --------*- C++ -*-===//
//
// The checker's rewrites of a procedure's code move and drop steps; these
// find the places a step may jump to and keep them right.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "code.h"

#include <vector>

namespace kel {

/// Calls `f` on each jump target of `in` (its `a` and `b` where they are
/// places in the code; -1 for none).
template <class F> void forEachTarget(Instr &in, F &&f) {
  switch (in.op) {
  case Instr::Jump:
  case Instr::Leave:
  case Instr::Compare:
  case Instr::CompareValues:
  case Instr::PtrCompare:
  case Instr::TypeTest:
  case Instr::LinkTest:
  case Instr::SearchBegin:
  case Instr::Matched:
    f(in.a);
    return;
  case Instr::First:
  case Instr::ForeachBegin:
  case Instr::ForeachNext:
    f(in.a);
    f(in.b);
    return;
  case Instr::NoPartner:
    f(in.b);
    return;
  default:
    return;
  }
}

/// Drops the steps marked in `removed`; a place that was dropped becomes
/// the next step that stays.
inline void squeeze(std::vector<Instr> &code,
                    const std::vector<bool> &removed) {
  std::vector<std::int32_t> moved(code.size() + 1);
  std::int32_t kept = 0;
  for (std::size_t i = 0; i < code.size(); ++i) {
    moved[i] = kept;
    if (!removed[i])
      ++kept;
  }
  moved[code.size()] = kept;
  std::vector<Instr> out;
  out.reserve(static_cast<std::size_t>(kept));
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (removed[i])
      continue;
    Instr &in = code[i];
    forEachTarget(in, [&](std::int32_t &t) {
      if (t >= 0)
        t = moved[static_cast<std::size_t>(t)];
    });
    out.push_back(std::move(in));
  }
  code = std::move(out);
}

/// Sends jumps to a jump (or a Leave) straight on, drops the steps no path
/// from the first reaches, then drops jumps to the next step
/// (check_fuse.cpp).
void tidyJumps(std::vector<Instr> &code);

} // namespace kel
