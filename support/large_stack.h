//===- large_stack.h - Run work on a thread with a large stack --*- C++ -*-===//
//
// A compilation or a program run recurses as deep as the model nests; the
// thread it starts on gets a large stack, so that most runs never need the
// fresh stack segments of stack_segments.h.
//
//===----------------------------------------------------------------------===//
#pragma once

namespace zsupport {

/// Runs `body(arg)` on a thread with a large stack and waits for it (on the
/// calling thread when no thread can be started).
void runOnLargeStack(void (*body)(void *), void *arg);

} // namespace zsupport
