//===- project.h - The project's output folder ------------------*- C++ -*-===//
#pragma once

#include <string>

namespace zrep {
class Repository;
}

namespace zevac {

/// The folder into which the compiler writes its files: the first
/// "project::Project"'s "path" without its last 11 characters, then ".zeva/",
/// the first "ZEVA::Model"'s "name" and "/kel/". Empty without a project, a
/// path or a model.
std::string projectFolder(const zrep::Repository &repo);

/// Creates the project folder and its missing parents; true when there is
/// none to create.
bool createProjectFolder(const zrep::Repository &repo, std::string &error);

} // namespace zevac
