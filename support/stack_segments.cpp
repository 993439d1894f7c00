//===- stack_segments.cpp - Deep recursion beyond one stack ---------------===//

#include "stack_segments.h"

#include <cstddef>
#include <exception>
#include <pthread.h>

namespace zsupport {

namespace {

/// A step may start with this much of its stack left: enough for the
/// deepest stretch of calls between two checks, in sanitized builds too.
constexpr std::size_t kMinRoom = 1u << 20;
/// Each fresh segment; its pages are only taken as they are used.
constexpr std::size_t kSegment = 64u << 20;

/// The lowest address of the calling thread's stack; null when unknown.
const char *stackLimit() {
  thread_local const char *limit = [] {
    pthread_attr_t attr;
    void *low = nullptr;
    std::size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
      return static_cast<const char *>(nullptr);
    if (pthread_attr_getstack(&attr, &low, &size) != 0)
      low = nullptr;
    pthread_attr_destroy(&attr);
    return static_cast<const char *>(low);
  }();
  return limit;
}

struct Segment {
  void (*call)(void *);
  void *arg;
  std::exception_ptr error;
};

void *runSegment(void *s) {
  auto *segment = static_cast<Segment *>(s);
  try {
    segment->call(segment->arg);
  } catch (...) {
    segment->error = std::current_exception();
  }
  return nullptr;
}

} // namespace

bool hasStackRoom() {
  const char *limit = stackLimit();
  // The frame address, not a local's: sanitizers may keep locals elsewhere.
  const char *here = static_cast<const char *>(__builtin_frame_address(0));
  return !limit || here < limit ||
         static_cast<std::size_t>(here - limit) > kMinRoom;
}

bool runOnFreshStack(void (*call)(void *), void *arg) {
  Segment segment{call, arg, nullptr};
  pthread_attr_t attr;
  pthread_t thread;
  bool started = false;
  if (pthread_attr_init(&attr) == 0) {
    started = pthread_attr_setstacksize(&attr, kSegment) == 0 &&
              pthread_create(&thread, &attr, runSegment, &segment) == 0;
    pthread_attr_destroy(&attr);
  }
  if (!started)
    return false;
  pthread_join(thread, nullptr);
  if (segment.error)
    std::rethrow_exception(segment.error);
  return true;
}

} // namespace zsupport
