//===- recursion_guard.h - Bound the depth of model walks -------*- C++ -*-===//
//
// Walks along owners and generalizations recurse once per level. A broken
// or hostile model (a generalization cycle, packages nested a million deep)
// would recurse until the stack runs out; past kMaxDepth levels the run is
// aborted instead, like any other fatal runtime fault.
//
//===----------------------------------------------------------------------===//
#pragma once

namespace kel {

class RecursionGuard {
public:
  static constexpr int kMaxDepth = 5000;
  /// Aborts the run when more than kMaxDepth guards are alive.
  explicit RecursionGuard(const char *walk);
  ~RecursionGuard() { --depth_; }
  RecursionGuard(const RecursionGuard &) = delete;
  RecursionGuard &operator=(const RecursionGuard &) = delete;

private:
  static inline int depth_ = 0;
};

} // namespace kel
