//===- stack_room.h - Deep recursion beyond one thread's stack --*- C++ -*-===//
//
// Rule patterns and Boolean expressions are compiled by recursion that goes
// as deep as the model nests them. Instead of bounding the depth, or the
// model, by the stack that the host happened to give the run, a recursive
// step that finds its thread's stack nearly used up goes on on a fresh
// segment of stack: a new thread that runs the step while the calling
// thread waits for it. The run stays sequential, exceptions thrown by the
// step reach the caller, and the depth is bounded only by memory.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <type_traits>
#include <utility>

namespace kel {

/// Whether the calling thread's stack has room left for a few more levels
/// of recursion.
bool hasStackRoom();

/// Runs `call(arg)` on a new stack segment and waits for it; rethrows what
/// it threw. Aborts the run when no thread can be started.
void runOnFreshStack(void (*call)(void *), void *arg);

/// Calls `step` here while the stack has room, otherwise on a fresh stack
/// segment; returns its result.
template <class Step> decltype(auto) withStackRoom(Step &&step) {
  using Result = std::invoke_result_t<Step &>;
  if (hasStackRoom())
    return step();
  if constexpr (std::is_void_v<Result>) {
    runOnFreshStack([](void *s) { (*static_cast<Step *>(s))(); }, &step);
  } else {
    struct Call {
      std::remove_reference_t<Step> *step;
      Result result{};
    } call{&step};
    runOnFreshStack(
        [](void *c) {
          auto *self = static_cast<Call *>(c);
          self->result = (*self->step)();
        },
        &call);
    return call.result;
  }
}

} // namespace kel
