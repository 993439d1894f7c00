//===- repo_file.h - Load and save repository files -------------*- C++ -*-===//
//
// The JSON repository file: {"format": "zeva-repository", "version": 1,
// "objects": [...]} with objects in repository order, text attribute values
// and links listed per end. Loading checks everything and loads nothing when
// any problem is found; saving replaces the target atomically.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zrep {

class Metamodel;
class Repository;

struct LoadResult {
  std::unique_ptr<Repository> repo; ///< Null when there were problems.
  /// One line per problem: "FILE: error: WHERE: WHAT".
  std::vector<std::string> problems;
  std::size_t unreported = 0; ///< Problems beyond the reporting limit.
};

inline constexpr std::size_t kMaxReportedProblems = 50;

/// Loads a repository file of the built-in metamodel; the path names the
/// file in messages.
LoadResult loadRepositoryFile(const std::string &path);
/// Loads repository text held in memory; `name` names it in messages.
LoadResult loadRepositoryText(std::string text, std::string_view name);
/// As above, with the objects' classes, attributes and ends from `mm` (the
/// built-in metamodel when null); the repository keeps `mm` alive.
LoadResult loadRepositoryFile(const std::string &path,
                              std::shared_ptr<const Metamodel> mm);
LoadResult loadRepositoryText(std::string text, std::string_view name,
                              std::shared_ptr<const Metamodel> mm);

/// Renders the repository in file form.
std::string saveRepositoryText(const Repository &repo);
/// Writes the repository to `path` through a temporary file in the same
/// folder and a rename, so the target is either the old or the new file.
/// An attribute value that is not UTF-8, which loading would refuse, fails
/// the save before any file is written. On failure returns false and
/// describes the problem in `error`.
bool saveRepositoryFile(const Repository &repo, const std::string &path,
                        std::string &error);

/// Writes `data` to `path` atomically as above.
bool writeFileAtomically(const std::string &path, std::string_view data,
                         std::string &error);

} // namespace zrep
