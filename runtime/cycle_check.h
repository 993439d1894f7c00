//===- cycle_check.h - Cycles in walks over the model -----------*- C++ -*-===//
//
// Walks along owners and generalizations end at a root in a sound model,
// however deep it is; a broken one (a generalization cycle, packages that
// own each other) would make them endless. These checks find the element
// at which such a walk comes back, so that the run can be aborted there.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repository_user.h"

#include <unordered_set>

namespace kel {

/// For a walk from element to element along a single-valued link (an
/// owner chain): whether the walk has come back to an element it passed.
/// Brent's method: no memory, and a cycle is found within a few rounds of
/// it.
class ChainCycleCheck {
public:
  /// Takes the walk's next element; true once the walk is in a cycle.
  bool revisits(ObjectId id) {
    if (id == mark_)
      return true;
    if (++steps_ == power_) {
      mark_ = id;
      power_ *= 2;
      steps_ = 0;
    }
    return false;
  }

private:
  ObjectId mark_ = badObjID;
  std::size_t power_ = 1, steps_ = 0;
};

/// For a depth-first walk: the elements on the path from its start to the
/// element in hand. Reaching one of them again is a cycle; reaching an
/// element twice along different paths is not.
class PathCycleCheck {
public:
  /// False when `id` is on the path already.
  bool enter(ObjectId id) { return path_.insert(id).second; }
  void leave(ObjectId id) { path_.erase(id); }

private:
  std::unordered_set<ObjectId> path_;
};

/// Aborts the run: following `role` from the object `id` in `walk` leads
/// back to it.
[[noreturn]] void abortCycle(const char *walk, ObjectId id, const char *role);

} // namespace kel
