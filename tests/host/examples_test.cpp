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

  /// examples/NAME/model.json must be made anew whenever NAME.zeva changes.
  void checkSource(const std::string &name) {
    fs::path example = fs::path(ZEVA_SOURCE_DIR) / "examples" / name;
    Result r = zevac("import '" + (example / (name + ".zeva")).string() +
                         "' -o model.json",
                     dir);
    EXPECT_EQ(r.status, 0) << r.out;
    expectFile(example / "model.json", slurp(dir / "model.json"));
  }
};

TEST_F(ExamplesTest, Library) { check("library", 0); }

TEST_F(ExamplesTest, Mistakes) { check("mistakes", 1); }

TEST_F(ExamplesTest, ModelFilesAreImportsOfTheirSources) {
  checkSource("library");
  checkSource("mistakes");
}

} // namespace
