// The warning table, and models that must lint clean: the examples (but
// for the mistakes made on purpose), the benchmark models and generated
// ones.
#include "lint.h"
#include "notation_support.h"

#include "repo_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path &p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

/// The repository of a repository file or a notation file.
std::unique_ptr<zrep::Repository> load(const fs::path &p) {
  if (p.extension() == ".zeva")
    return notationtest::importOk(slurp(p));
  zrep::LoadResult r = zrep::loadRepositoryFile(p.string());
  EXPECT_TRUE(r.repo) << p;
  return std::move(r.repo);
}

/// Each warning as "L<code> #<element>: text", but those of code `except`.
std::string listed(const zrep::Repository &repo, int except = 0) {
  std::string out;
  for (const zlint::Warning &w : zlint::lint(repo))
    if (w.code != except)
      out += "L" + std::to_string(w.code) + " #" + std::to_string(w.element) +
             ": " + w.text + "\n";
  return out;
}

TEST(LintTable, EveryCodeFromL1ToL17IsExplained) {
  const std::vector<zlint::WarningInfo> &table = zlint::warningTable();
  ASSERT_EQ(table.size(), 17u);
  for (std::size_t i = 0; i < table.size(); ++i) {
    const zlint::WarningInfo &w = table[i];
    EXPECT_EQ(w.code, int(i + 1));
    EXPECT_EQ(zlint::warningInfo(w.code), &w);
    EXPECT_TRUE(w.title && *w.title) << w.code;
    EXPECT_GT(std::string(w.explain ? w.explain : "").size(), 100u) << w.code;
  }
  // docs/lint.md has a section for each.
  std::string doc = slurp(fs::path(ZEVA_SOURCE_DIR) / "docs/lint.md");
  for (const zlint::WarningInfo &w : table)
    EXPECT_NE(doc.find("\n### L" + std::to_string(w.code) + ": "),
              std::string::npos)
        << w.code;
  EXPECT_EQ(zlint::warningInfo(0), nullptr);
  EXPECT_EQ(zlint::warningInfo(18), nullptr);
}

TEST(LintClean, ExamplesAndBenchmarkModels) {
  const fs::path root = ZEVA_SOURCE_DIR;
  for (const char *file :
       {"examples/library/model.json", "examples/library/library.zeva",
        "bench/mutex/mutex.zeva", "bench/run/chain.zeva"}) {
    auto repo = load(root / file);
    ASSERT_TRUE(repo) << file;
    EXPECT_EQ(listed(*repo), "") << file;
  }
}

TEST(LintClean, MistakesExampleWarnsOnlyOnItsMistakes) {
  const fs::path root = ZEVA_SOURCE_DIR;
  // Its repository file and its notation file warn alike; each warning's
  // code is named in its README.
  auto json = load(root / "examples/mistakes/model.json");
  auto text = load(root / "examples/mistakes/mistakes.zeva");
  ASSERT_TRUE(json && text);
  EXPECT_EQ(listed(*json), listed(*text));
  std::string readme = slurp(root / "examples/mistakes/README.md");
  for (const zlint::Warning &w : zlint::lint(*json))
    EXPECT_NE(readme.find("L" + std::to_string(w.code) + " "),
              std::string::npos)
        << w.code << ": " << w.text;
}

TEST(LintClean, GeneratedModels) {
  fs::path dir = fs::temp_directory_path() /
                 ("zeva_lint_gen_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::vector<std::string> args = {"120 1", "120 2", "40 3"};
  for (const char *shape : {"packages", "classes", "pattern", "expression",
                            "brackets", "flowends", "parameters", "mains"})
    args.push_back(std::string("--shape ") + shape + " 20");
  for (const std::string &a : args) {
    fs::path out = dir / "model.json";
    std::string cmd = "'" MODEL_GENERATOR "' " + a + " '" + out.string() +
                      "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << a;
    auto repo = load(out);
    ASSERT_TRUE(repo) << a;
    // The generator puts NOT elements into traced procedures on purpose:
    // L17, a note on how their trace reads, is right there.
    EXPECT_EQ(listed(*repo, 17), "") << a;
  }
  fs::remove_all(dir);
}

} // namespace

namespace {

TEST(LintRobustness, LibraryWithAnyOneObjectRemoved) {
  // Each object missing in turn leaves links, classes and owners missing
  // everywhere the checks look; linting must go through and say the same
  // twice.
  const std::string text =
      slurp(fs::path(ZEVA_SOURCE_DIR) / "examples/library/library.zeva");
  auto original = notationtest::importOk(text);
  ASSERT_TRUE(original);
  std::vector<zrep::ObjectId> ids;
  original->forEachObject([&](const zrep::Object &o) { ids.push_back(o.id); });
  std::size_t warned = 0;
  for (zrep::ObjectId id : ids) {
    auto repo = notationtest::importOk(text);
    ASSERT_TRUE(repo->deleteObject(id)) << id;
    std::string first = listed(*repo);
    EXPECT_EQ(listed(*repo), first) << id;
    warned += !first.empty();
  }
  // Some removals are structure the checks see (a flow, a procedure's
  // element).
  EXPECT_GT(warned, 0u);
}

} // namespace
