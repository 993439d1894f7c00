//===- run_state.h - What a compiler run keeps beside the model -*- C++ -*-===//
//
// Everything a run compiles into lives in the repository. The only
// bookkeeping kept in memory is the pattern compiler's view of its marks,
// which lets it recognise a re-rooting that would repeat itself forever.
// It belongs to one run: Main opens a RunScope for its duration, so that
// two runs in one process never see each other's state.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repository_user.h"

#include <cstdint>
#include <set>
#include <tuple>

namespace zeva {

/// The marks of the run's PatternElementMarker, as a count and an
/// order-independent fingerprint of the marked (object, role) pairs, kept
/// up to date as marks are added and removed.
struct MarkBook {
  long count = 0;
  std::uint64_t fingerprint = 0;

  void add(kel::ObjectId target, bool isLink);
  void remove(kel::ObjectId target, bool isLink);

  /// Re-rootings whose recursion has not finished: (link, count,
  /// fingerprint) of the marks at their start.
  std::set<std::tuple<kel::ObjectId, long, std::uint64_t>> unfinishedReRoots;
};

struct RunState {
  MarkBook marks;
};

/// The state of the run in progress; an internal error outside any run.
RunState &currentRun();

/// Gives the calling run a fresh state until it ends.
class RunScope {
public:
  RunScope();
  ~RunScope();
  RunScope(const RunScope &) = delete;
  RunScope &operator=(const RunScope &) = delete;

private:
  RunState state_;
  RunState *outer_;
};

} // namespace zeva
