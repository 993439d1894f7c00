// The bundled examples compile to their checked-in listings and messages,
// and each model.json is what `zevac import` makes of the example's source.
#include "cli.h"

namespace {

using namespace clitest;

class ExamplesTest : public ScratchTest {
protected:
  /// Compiles examples/NAME/model.json in the scratch folder and compares
  /// the listing and the messages with the example's expected files.
  void check(const std::string &name, int status) {
    fs::path example = fs::path(ZEVA_SOURCE_DIR) / "examples" / name;
    fs::copy_file(example / "model.json", dir / "model.json");
    Result r = zevac("compile model.json --listing listing.txt", dir);
    EXPECT_EQ(r.status, status) << r.out;
    expectFile(example / "expected-listing.txt", slurp(dir / "listing.txt"));
    expectFile(example / "expected-messages.txt", r.out);
  }

  /// The notation source is what model.json is made from, and model.json
  /// goes through its canonical text and back unchanged.
  void checkSource(const std::string &name) {
    fs::path example = fs::path(ZEVA_SOURCE_DIR) / "examples" / name;
    fs::copy_file(example / (name + ".zeva"), dir / (name + ".zeva"));
    Result r = zevac("import " + name + ".zeva -o imported.json", dir);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(slurp(dir / "imported.json"), slurp(example / "model.json"));
    ASSERT_EQ(zevac("export imported.json -o canonical.zeva", dir).status, 0);
    ASSERT_EQ(zevac("import canonical.zeva -o again.json", dir).status, 0);
    EXPECT_EQ(slurp(dir / "again.json"), slurp(example / "model.json"));
    ASSERT_EQ(zevac("export again.json -o -", dir, "2>/dev/null").out,
              slurp(dir / "canonical.zeva"));
  }
};

TEST_F(ExamplesTest, Library) {
  check("library", 0);
  checkSource("library");
}

TEST_F(ExamplesTest, Mistakes) {
  check("mistakes", 1);
  checkSource("mistakes");
  // Compiled from the text, each message names its line and column.
  Result r = zevac("compile mistakes.zeva", dir, "2>&1 >/dev/null");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("mistakes.zeva:53:7: error: 57 - A rule is empty! "
                       "[rule nothing in oops::emptyRule]\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("mistakes.zeva:79:9: error: 61 - A NOT-element must be "
                       "a normal class element! [element ln in "
                       "oops::deleteMissingLoan]\n"),
            std::string::npos)
      << r.out;
  EXPECT_TRUE(fs::exists(dir / "mistakes.json"));
}

} // namespace
