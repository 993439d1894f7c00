//===- import.h - From notation text to a repository ------------*- C++ -*-===//
#pragma once

#include "repository.h"
#include "source.h"
#include "source_map.h"

#include <memory>

namespace notation {

struct ImportResult {
  /// Null when the text has errors (they are in the diagnostics).
  std::unique_ptr<zrep::Repository> repo;
  SourceMap map;
};

/// Reads a whole notation file: every error of the file is reported, and
/// a repository is made only when there is none.
ImportResult importNotation(const SourceFile &file, Diagnostics &diags);

/// "rule copyBooks in lib::copyBooks": what and where an imported object
/// is, in the words of the text; empty for an object the import did not
/// make.
std::string describeObject(const zrep::Repository &repo, const SourceMap &map,
                           zrep::ObjectId id);

} // namespace notation
