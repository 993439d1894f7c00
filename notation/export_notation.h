//===- export_notation.h - From a repository to notation text ------------*- C++
//-*-===//
#pragma once

#include "repository.h"

#include <string>
#include <vector>

namespace notation {

struct ExportResult {
  std::string text;
  /// Objects of the model that the text cannot hold as they are, one line
  /// each ("#ID (CLASS): WHAT").
  std::vector<std::string> warnings;
  /// Objects of the compiled program and compiler messages, which the text
  /// does not hold.
  std::size_t programObjects = 0;
};

/// Writes the transformation and class model of `repo` as notation text,
/// in the canonical form: the same repository always gives the same text,
/// and importing the text gives a repository that compiles the same.
ExportResult exportNotation(const zrep::Repository &repo);

} // namespace notation
