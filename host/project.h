//===- project.h - The project's output folder ------------------*- C++ -*-===//
#pragma once

#include <string>
#include <vector>

namespace zrep {
class Repository;
}

namespace zevac {

/// The folder into which the compiler writes its files, as the compiler's
/// project path names it: the first "project::Project"'s "path" without its
/// last 11 characters (a shorter path is kept whole), then ".zeva/", the
/// first "ZEVA::Model"'s "name" and "/kel/". Empty without a project or a
/// model: the files then go to the current folder. `modelName` receives the
/// model's name when there are a project and a model.
std::string projectFolder(const zrep::Repository &repo,
                          std::string *modelName = nullptr);

/// Whether `name` is one folder's name, so that the model's folder lies
/// below the project's own: not empty, "." or "..", without "/" or NUL.
bool isFolderName(const std::string &name);

/// The project folder of one run: made before the compiler writes into it,
/// and taken away again unless the run saved its results.
class ProjectFolder {
public:
  ProjectFolder() = default;
  ProjectFolder(const ProjectFolder &) = delete;
  ProjectFolder &operator=(const ProjectFolder &) = delete;
  ~ProjectFolder() { discard(); }

  /// Creates the folder and its missing parents; true when there is none to
  /// create. False with a one-line `error` when the model's name is no
  /// folder name or the folder cannot be made.
  bool create(const zrep::Repository &repo, std::string &error);
  /// Keeps what create() made.
  void keep() { made_.clear(); }
  /// Removes the script written into the folder and the folders that
  /// create() made, when they hold nothing else; also done on destruction
  /// unless keep() was called.
  void discard();

private:
  std::string folder_;
  std::vector<std::string> made_; ///< Innermost first.
};

} // namespace zevac
