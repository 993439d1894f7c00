//===- host_dialogs.h - Dialogs of the host ---------------------*- C++ -*-===//
//
// How zevac stands in for the dialogs of a run (a message is a line on
// stderr; a question is answered from the terminal, or No; an input box is
// cancelled without one), and which files a run wrote.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "dialogs.h"

#include <string>
#include <vector>

namespace zevac {

/// A file that the run's native functions wrote, or failed to write.
struct SideFile {
  std::string path;
  std::string error; ///< Why it was not written; empty when it was.
};

/// The hooks; files written are recorded in `files` (each once, in the
/// order of the first write, with the outcome of the last).
kel::DialogHooks hostDialogs(std::vector<SideFile> &files);
/// The text of the last message dialog shown; empty when none was.
const std::string &lastDialog();
void forgetDialogs(); ///< Also stops recording files.

} // namespace zevac
