//===- module_runner.cpp - Load the compiler module and run it ------------===//

#include "module_runner.h"

#include "host_dialogs.h"
#include "large_stack.h"

#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace zevac {

namespace {

void runEntry(void *entry) { reinterpret_cast<void (*)()>(entry)(); }

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
  kel::DialogHooks hooks = hostDialogs(files);
  setHooks(&hooks);
  zsupport::runOnLargeStack(runEntry, entry);
  ::dlclose(module);
  forgetDialogs();
  return true;
}

} // namespace zevac
