// Process-wide settings shared by the runtime and compiler tests: captured
// dialogs and a scratch working folder.
#pragma once

#include "dialogs.h"

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace zeva::testenv {

inline std::vector<std::string> &dialogs() {
  static std::vector<std::string> shown;
  return shown;
}

/// Routes the runtime's message dialogs into dialogs(), emptied.
inline void captureDialogs() {
  kel::DialogHooks hooks;
  hooks.message = [](const char *text) { dialogs().push_back(text); };
  kel::setDialogHooks(hooks);
  dialogs().clear();
}

/// Moves the process into a folder of its own, once, so that the files the
/// runtime writes to the current folder (Kel_trace.txt, MMscript.txt) are
/// not shared by tests running in parallel. Removed at exit.
inline void enterScratchFolder(const char *prefix) {
  struct Scratch {
    std::filesystem::path dir;
    explicit Scratch(const char *prefix)
        : dir(std::filesystem::temp_directory_path() /
              (std::string(prefix) + std::to_string(::getpid()))) {
      std::filesystem::create_directories(dir);
      std::filesystem::current_path(dir);
    }
    ~Scratch() {
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    }
  };
  static Scratch scratch(prefix);
}

} // namespace zeva::testenv
