//===- host_dialogs.cpp - Dialogs and the run thread of the host ----------===//

#include "host_dialogs.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <pthread.h>
#include <unistd.h>

namespace zevac {

namespace {

/// Recursion carries on on fresh stack segments when a stack runs low; a
/// large first stack spares most runs the switches.
constexpr std::size_t kRunStack = 512u << 20;

std::string gAnswer; ///< The last input-box answer, valid until the next.
std::string gLast;   ///< The last message shown.
std::vector<SideFile> *gFiles = nullptr; ///< Of the run under way.

void printDialog(const char *text) {
  gLast = text;
  std::fprintf(stderr, "zevac: dialog: %s\n", text);
  std::fflush(stderr);
}

bool readLine(std::string &line) {
  return static_cast<bool>(std::getline(std::cin, line));
}

int yesNo(const char *, const char *text) {
  printDialog(text);
  if (!::isatty(STDIN_FILENO))
    return 0;
  std::fprintf(stderr, "zevac: answer yes or no [y/N]: ");
  std::string line;
  return readLine(line) && (line == "y" || line == "Y" || line == "yes");
}

int input(const char *, const char *prompt, const char **answer) {
  printDialog(prompt);
  if (!::isatty(STDIN_FILENO) || !readLine(gAnswer))
    return 0;
  *answer = gAnswer.c_str();
  return 1;
}

void fileWritten(const char *path, const char *error) {
  if (!gFiles)
    return;
  auto it = std::find_if(gFiles->begin(), gFiles->end(),
                         [&](const SideFile &f) { return f.path == path; });
  if (it == gFiles->end())
    it = gFiles->insert(it, {path, ""});
  it->error = error ? error : "";
}

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

kel::DialogHooks hostDialogs(std::vector<SideFile> &files) {
  gFiles = &files;
  gLast.clear();
  return {printDialog, yesNo, input, fileWritten};
}

const std::string &lastDialog() { return gLast; }

void forgetDialogs() {
  gFiles = nullptr;
  gLast.clear();
}

void runOnLargeStack(void (*body)(void *), void *arg) {
  Job job{body, arg};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, kRunStack);
  pthread_t thread;
  int rc = pthread_create(&thread, &attr, runJob, &job);
  pthread_attr_destroy(&attr);
  if (rc != 0)
    runJob(&job); // no big stack to be had: run on this thread
  else
    pthread_join(thread, nullptr);
}

} // namespace zevac
