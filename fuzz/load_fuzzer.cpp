//===- load_fuzzer.cpp - The repository file loader on any bytes ----------===//
//
// The input is a repository file. It is loaded from memory and from a file;
// both loads must agree. A loaded repository is saved, and the saved text
// must load again without problems and save to the same text.
//
//===----------------------------------------------------------------------===//

#include "fuzz_support.h"

#include "repo_file.h"
#include "repository.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void fail(const char *what, const std::string &detail) {
  std::fprintf(stderr, "load_fuzzer: %s\n%s\n", what, detail.c_str());
  std::abort();
}

std::string joined(const zrep::LoadResult &r) {
  std::string out;
  for (const std::string &p : r.problems)
    out += p + "\n";
  return out + std::to_string(r.unreported) + " unreported\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  static const std::string name = zeva::fuzz::scratchFolder() + "/fuzz.json";
  std::string text(reinterpret_cast<const char *>(data), size);
  zrep::LoadResult fromText = zrep::loadRepositoryText(text, name);

  {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  zrep::LoadResult fromFile = zrep::loadRepositoryFile(name);
  if (joined(fromText) != joined(fromFile) || !fromText.repo != !fromFile.repo)
    fail("loads from memory and from a file differ",
         joined(fromText) + "---\n" + joined(fromFile));
  if (!fromText.repo)
    return 0;
  if (!fromText.problems.empty())
    fail("a repository was loaded with problems", joined(fromText));

  std::string saved = zrep::saveRepositoryText(*fromText.repo);
  zrep::LoadResult again = zrep::loadRepositoryText(saved, name);
  if (!again.repo)
    fail("a saved repository does not load", joined(again) + saved);
  if (zrep::saveRepositoryText(*again.repo) != saved)
    fail("a saved repository saves differently after a load", saved);
  return 0;
}
