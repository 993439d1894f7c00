//===- script_file.h - A metamodel script read for a command ----*- C++ -*-===//
#pragma once

#include "metamodel.h"

#include <memory>
#include <string>

namespace zevac {

/// The metamodel of the metamodel script at `path`, after printing its
/// problems on stderr; null when there were any.
std::shared_ptr<const zrep::Metamodel> readScriptFile(const std::string &path);

} // namespace zevac
