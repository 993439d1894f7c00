//===- module_runner.h - Load the compiler module and run it ----*- C++ -*-===//
#pragma once

#include <string>

namespace zevac {

/// The compiler module's file name.
inline constexpr const char *kModuleName = "libzevac_compiler.so";

/// Where the module is looked for: beside the zevac binary's lib folder
/// (../lib, as installed and in the build tree), then beside the binary.
std::string defaultModulePath();

/// Loads the module, installs the host's dialogs and calls Kel_LibMain once
/// on a thread with a large stack, on the repository connected now. False
/// with a description in `error` when the module cannot be loaded.
bool runCompilerModule(const std::string &path, std::string &error);

} // namespace zevac
