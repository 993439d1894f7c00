//===- module_runner.cpp - Load the compiler module and run it ------------===//

#include "module_runner.h"

#include "dialogs.h"

#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <iostream>
#include <pthread.h>
#include <string>
#include <unistd.h>

namespace zevac {

namespace {

/// The compiler's recursion carries on on fresh stack segments when a stack
/// runs low; a large first stack spares most models the switches.
constexpr std::size_t kRunStack = 512u << 20;

std::string gAnswer; ///< The last input-box answer, valid until the next.
std::vector<SideFile> *gFiles = nullptr; ///< Of the run under way.

void printDialog(const char *text) {
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
  auto it = std::find_if(gFiles->begin(), gFiles->end(),
                         [&](const SideFile &f) { return f.path == path; });
  if (it == gFiles->end())
    it = gFiles->insert(it, {path, ""});
  it->error = error ? error : "";
}

void *runEntry(void *entry) {
  reinterpret_cast<void (*)()>(entry)();
  return nullptr;
}

} // namespace

std::string defaultModulePath() {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec)
    return kModuleName;
  for (fs::path dir :
       {self.parent_path().parent_path() / "lib", self.parent_path()})
    if (fs::exists(dir / kModuleName, ec))
      return (dir / kModuleName).string();
  return (self.parent_path().parent_path() / "lib" / kModuleName).string();
}

bool runCompilerModule(const std::string &path, std::vector<SideFile> &files,
                       std::string &error) {
  void *module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    error = std::string("cannot load the compiler module: ") + ::dlerror();
    return false;
  }
  void *entry = ::dlsym(module, "Kel_LibMain");
  auto setHooks = reinterpret_cast<void (*)(const kel::DialogHooks *)>(
      ::dlsym(module, "Kel_SetDialogHooks"));
  if (!entry || !setHooks) {
    error = "'" + path + "' is not a compiler module (no Kel_LibMain)";
    ::dlclose(module);
    return false;
  }
  gFiles = &files;
  kel::DialogHooks hooks{printDialog, yesNo, input, fileWritten};
  setHooks(&hooks);

  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, kRunStack);
  pthread_t thread;
  int rc = pthread_create(&thread, &attr, runEntry, entry);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    runEntry(entry); // no big stack to be had: run on this thread
  } else {
    pthread_join(thread, nullptr);
  }
  ::dlclose(module);
  gFiles = nullptr;
  return true;
}

} // namespace zevac
