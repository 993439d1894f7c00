//===- stack_segments.h - Deep recursion beyond one stack -------*- C++ -*-===//
//
// Recursion that goes as deep as a model nests (patterns, expressions,
// packages, loops) must not be bounded by the stack its thread happened to
// get. A recursive step that finds its thread's stack nearly used up goes on
// on a fresh segment of stack: a new thread that runs the step while the
// calling thread waits. The work stays sequential, exceptions thrown by the
// step reach the caller, and the depth is bounded only by memory.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <new>
#include <type_traits>

namespace zsupport {

/// Whether the calling thread's stack has room left for a few more levels
/// of recursion.
bool hasStackRoom();

/// Runs `call(arg)` on a new stack segment and waits for it; rethrows what
/// it threw. False, without calling, when no thread can be started.
bool runOnFreshStack(void (*call)(void *), void *arg);

/// Calls `step()` here while the stack has room, otherwise on a fresh stack
/// segment; throws std::bad_alloc when no segment can be had.
template <class Step> void withStackRoom(Step &&step) {
  static_assert(std::is_void_v<std::invoke_result_t<Step &>>);
  if (hasStackRoom())
    return step();
  if (!runOnFreshStack([](void *s) { (*static_cast<Step *>(s))(); }, &step))
    throw std::bad_alloc();
}

} // namespace zsupport
