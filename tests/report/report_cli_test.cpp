// `zevac report` as a user runs it: notation files compiled in memory
// without a file left behind, repository files, and faulty input and
// output.

#include "cli.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using clitest::slurp;
using clitest::zevac;
using clitest::fs::path;

class ReportCli : public clitest::ScratchTest {
protected:
  void copyExample(const char *name, const char *file, const char *as) {
    clitest::fs::copy_file(path(ZEVA_SOURCE_DIR) / "examples" / name / file,
                           dir / as);
  }
  std::set<std::string> files() const {
    std::set<std::string> names;
    for (auto &e : clitest::fs::recursive_directory_iterator(dir))
      names.insert(e.path().lexically_relative(dir).string());
    return names;
  }
};

TEST_F(ReportCli, NotationFileIsCompiledWithoutLeavingFiles) {
  copyExample("mistakes", "mistakes.zeva", "mistakes.zeva");
  clitest::Result r = zevac("report mistakes.zeva -o r.html", dir);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "zevac: wrote r.html (7 procedures, 9 messages)\n");
  EXPECT_EQ(files(), (std::set<std::string>{"mistakes.zeva", "r.html"}));
  std::string page = slurp(dir / "r.html");
  // Messages name their places in the text; the listing is there.
  EXPECT_NE(page.find("mistakes.zeva:53:7 &middot; rule nothing in "
                      "oops::emptyRule"),
            std::string::npos);
  EXPECT_NE(page.find("class=\"k\""), std::string::npos);
  EXPECT_EQ(page.find("Not compiled"), std::string::npos);
}

TEST_F(ReportCli, RepositoryFilesCompiledOrNot) {
  copyExample("library", "model.json", "model.json");
  clitest::Result r = zevac("report model.json -o plain.html", dir);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(
      r.out,
      "zevac: wrote plain.html (5 procedures, 0 messages, not compiled)\n");
  EXPECT_NE(slurp(dir / "plain.html").find("Not compiled"), std::string::npos);

  ASSERT_EQ(zevac("compile model.json -o compiled.json --quiet", dir).status,
            0);
  // An earlier page is replaced whole.
  write("page.html", "old");
  r = zevac("report compiled.json -o page.html", dir);
  EXPECT_EQ(r.status, 0) << r.out;
  std::string page = slurp(dir / "page.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(page.find("Not compiled"), std::string::npos);
  for (const std::string &f : files())
    EXPECT_EQ(f.find(".tmp"), std::string::npos) << f;
}

TEST_F(ReportCli, BadInputAndOutputExitTwoAndWriteNothing) {
  copyExample("library", "model.json", "model.json");
  write("broken.json", "{\"format\": \"zeva-repository\", \"version\": 1,");
  write("broken.zeva", "transformation T { unit u { procedure p( } }");
  clitest::fs::create_directory(dir / "folder");
  struct Case {
    const char *args;
    const char *says;
  } cases[] = {
      {"report model.json", "--output is required"},
      {"report -o r.html", "MODEL is required"},
      {"report missing.json -o r.html", "missing.json"},
      {"report broken.json -o r.html", "broken.json: error: "},
      {"report broken.zeva -o r.html", "broken.zeva:1:"},
      {"report model.json -o ''", "empty file name"},
      {"report model.json -o model.json", "would overwrite the model"},
      {"report model.json -o ./model.json", "would overwrite the model"},
      {"report model.json -o folder", "folder: error: "},
      {"report model.json -o missing/r.html", "missing/r.html: error: "},
  };
  std::string model = slurp(dir / "model.json");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args);
    clitest::Result r = zevac(c.args, dir);
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    EXPECT_FALSE(clitest::fs::exists(dir / "r.html"));
  }
  EXPECT_EQ(slurp(dir / "model.json"), model);
  EXPECT_EQ(files(), (std::set<std::string>{"model.json", "broken.json",
                                            "broken.zeva", "folder"}));
}

} // namespace
