// Importing and exporting notation texts held in memory.
#pragma once

#include "export_notation.h"
#include "import.h"
#include "repo_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace notationtest {

struct Imported {
  std::unique_ptr<zrep::Repository> repo;
  std::string errors; ///< as printed
  notation::SourceMap map;
};

inline Imported importText(const std::string &text,
                           const std::string &name = "t.zeva") {
  notation::SourceFile file(name, text);
  notation::Diagnostics diags(file);
  notation::ImportResult r = notation::importNotation(file, diags);
  std::ostringstream os;
  diags.print(os);
  return {std::move(r.repo), os.str(), std::move(r.map)};
}

/// Imports a text that must have no errors.
inline std::unique_ptr<zrep::Repository> importOk(const std::string &text) {
  Imported r = importText(text);
  EXPECT_TRUE(r.repo) << r.errors;
  return std::move(r.repo);
}

inline std::unique_ptr<zrep::Repository> loadJson(const std::string &json) {
  zrep::LoadResult r = zrep::loadRepositoryText(json, "t.json");
  EXPECT_TRUE(r.repo) << (r.problems.empty() ? "" : r.problems.front());
  return std::move(r.repo);
}

} // namespace notationtest
