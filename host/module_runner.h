//===- module_runner.h - Load the compiler module and run it ----*- C++ -*-===//
#pragma once

#include "host_dialogs.h"

#include <string>
#include <vector>

namespace zevac {

/// The compiler module's file name.
inline constexpr const char *kModuleName = "libzevac_compiler.so";

/// Where the module is looked for: beside the zevac binary's lib folder
/// (../lib, as installed and in the build tree), then beside the binary.
std::string defaultModulePath();

/// Loads the module, installs the host's dialogs and calls Kel_LibMain once
/// on a thread with a large stack, on the repository connected now. The
/// files the run wrote are put in `files`, each once, in the order of their
/// first write, with the outcome of the last. False with a description in
/// `error` when the module cannot be loaded.
bool runCompilerModule(const std::string &path, std::vector<SideFile> &files,
                       std::string &error);

} // namespace zevac
