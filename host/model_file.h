//===- model_file.h - Models read from JSON or notation files ---*- C++ -*-===//
#pragma once

#include "import.h"
#include "repository.h"

#include <memory>
#include <string>

namespace zevac {

/// Whether `path` names a notation file (".zeva").
bool isNotationFile(const std::string &path);
/// `path` with its ".zeva" ending replaced by `ending`.
std::string withEnding(const std::string &path, const char *ending);

/// A model read from a repository file or imported from a notation file;
/// for the latter, the text and where each object was written.
struct ModelFile {
  std::unique_ptr<zrep::Repository> repo;
  std::unique_ptr<notation::SourceFile> source;
  notation::SourceMap map;
};

/// False, after saying why, when writing `out` would overwrite the notation
/// file `model`.
bool checkNotOverwritten(const std::string &model, const std::string &out);

/// Reads a model, printing every problem on stderr; `repo` is null when
/// there were any.
ModelFile readModel(const std::string &path);

} // namespace zevac
