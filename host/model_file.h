//===- model_file.h - Models read from JSON or notation files ---*- C++ -*-===//
#pragma once

#include "import.h"
#include "repository.h"

#include <functional>
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

/// Where an element of a notation file is written ("PATH:LINE:COL", `path`
/// naming the file) and what it is there; false for an element without a
/// place. Empty for a repository file. `file` must outlive it.
std::function<bool(int id, std::string &where, std::string &label)>
sourceLocator(const ModelFile &file, const std::string &path);

/// The name a node has in a notation file (empty for none, and for every
/// node of a repository file). `file` must outlive it.
std::function<std::string(int id)> sourceNodeNames(const ModelFile &file);

/// False, after saying why, when writing `out` would overwrite the notation
/// file `model`.
bool checkNotOverwritten(const std::string &model, const std::string &out);

/// Reads a model, printing every problem on stderr; `repo` is null when
/// there were any.
ModelFile readModel(const std::string &path);

/// Reads an instance model of `mm` from a repository file or a notation
/// file, printing every problem on stderr; null when there were any.
std::unique_ptr<zrep::Repository>
readInstances(const std::string &path,
              std::shared_ptr<const zrep::Metamodel> mm);

/// The instance model a program runs on.
struct InstanceModel {
  std::unique_ptr<zrep::Repository> repo; ///< Null after problems.
};

/// Reads the instance model of a run, as readInstances. A notation file is
/// never overwritten: without `output` the changed model goes to `out`, the
/// file's name with ".json"; an `output` naming the file itself is refused.
InstanceModel readInstanceModel(const std::string &path,
                                const std::string &output,
                                std::shared_ptr<const zrep::Metamodel> mm,
                                std::string &out);

} // namespace zevac
