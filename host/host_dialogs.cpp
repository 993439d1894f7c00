//===- host_dialogs.cpp - Dialogs of the host -----------------------------===//

#include "host_dialogs.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace zevac {

namespace {

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

} // namespace zevac
