//===- large_stack.cpp - Run work on a thread with a large stack ----------===//

#include "large_stack.h"

#include <cstddef>
#include <pthread.h>

namespace zsupport {

namespace {

constexpr std::size_t kLargeStack = 512u << 20;

struct Job {
  void (*body)(void *);
  void *arg;
};

void *runJob(void *job) {
  auto *j = static_cast<Job *>(job);
  j->body(j->arg);
  return nullptr;
}

} // namespace

void runOnLargeStack(void (*body)(void *), void *arg) {
  Job job{body, arg};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, kLargeStack);
  pthread_t thread;
  int rc = pthread_create(&thread, &attr, runJob, &job);
  pthread_attr_destroy(&attr);
  if (rc != 0)
    runJob(&job);
  else
    pthread_join(thread, nullptr);
}

} // namespace zsupport
