//===- notation_fuzzer.cpp - Notation texts imported and exported ---------===//
//
// The input is notation text. A text that imports without errors is
// exported; the export must import without errors and export to the same
// text again, and the imported repository must save and load again without
// problems.
//
//===----------------------------------------------------------------------===//

#include "export_notation.h"
#include "import.h"
#include "repo_file.h"
#include "repository.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

void fail(const char *what, const std::string &detail) {
  std::fprintf(stderr, "notation_fuzzer: %s\n%s\n", what, detail.c_str());
  std::abort();
}

std::string printed(const notation::Diagnostics &diags) {
  std::ostringstream os;
  diags.print(os, 20);
  return os.str();
}

/// Imports `text`; null when it has errors, which are then in `errors`.
std::unique_ptr<zrep::Repository> import(const char *name, std::string text,
                                         std::string &errors) {
  notation::SourceFile file(name, std::move(text));
  notation::Diagnostics diags(file);
  notation::ImportResult r = notation::importNotation(file, diags);
  if (!r.repo != (diags.errorCount() != 0))
    fail("an import made a repository despite errors, or none without",
         printed(diags));
  if (!r.repo)
    errors = printed(diags);
  return std::move(r.repo);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  std::string errors;
  auto first =
      import("fuzz.zeva",
             std::string(reinterpret_cast<const char *>(data), size), errors);
  if (std::getenv("ZEVA_FUZZ_VERBOSE"))
    std::fprintf(stderr, "%s", errors.c_str());
  if (!first)
    return 0;

  std::string text = notation::exportNotation(*first).text;
  auto second = import("export.zeva", text, errors);
  if (!second)
    fail("an export does not import", errors + "---\n" + text);
  std::string again = notation::exportNotation(*second).text;
  if (again != text)
    fail("an export exports differently after an import",
         text + "---\n" + again);

  std::string saved = zrep::saveRepositoryText(*first);
  zrep::LoadResult loaded = zrep::loadRepositoryText(saved, "fuzz.json");
  if (!loaded.repo || !loaded.problems.empty()) {
    std::string problems;
    for (const std::string &p : loaded.problems)
      problems += p + "\n";
    fail("an imported repository does not load again", problems + saved);
  }
  return 0;
}
