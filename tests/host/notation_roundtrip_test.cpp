// Every model of the benchmarks' generator, and every valid repository file
// of the fuzz corpus, goes to text and back and compiles the same.
#include "cli.h"

#include <regex>

namespace {

using namespace clitest;

class NotationRoundTripTest : public ScratchTest {
protected:
  /// Messages without the file name and object ids, which the import
  /// gives anew.
  static std::string messages(const std::string &out) {
    static const std::regex file("(original|b)\\.json: "), id(" #[0-9]+");
    return std::regex_replace(std::regex_replace(out, file, ""), id, "");
  }

  /// Export, import, export: the same text; the original and the imported
  /// repository compile to the same listing and messages.
  void roundTrip(const std::string &model) {
    SCOPED_TRACE(model);
    ASSERT_EQ(zevac("export '" + model + "' -o a.zeva", dir).status, 0);
    ASSERT_EQ(zevac("import a.zeva -o b.json", dir).status, 0);
    EXPECT_EQ(zevac("export b.json -o -", dir, "2>/dev/null").out,
              slurp(dir / "a.zeva"));
    fs::copy_file(model, dir / "original.json",
                  fs::copy_options::overwrite_existing);
    Result original = zevac("compile original.json -o c1.json --listing "
                            "l1.txt",
                            dir, "2>&1 >/dev/null");
    Result imported = zevac("compile b.json -o c2.json --listing l2.txt", dir,
                            "2>&1 >/dev/null");
    EXPECT_EQ(original.status, imported.status);
    EXPECT_EQ(messages(original.out), messages(imported.out));
    EXPECT_EQ(slurp(dir / "l1.txt"), slurp(dir / "l2.txt"));
  }
};

TEST_F(NotationRoundTripTest, GeneratedModels) {
  for (const char *args :
       {"12 1", "--shape packages 100", "--shape classes 100",
        "--shape pattern 100", "--shape expression 5000",
        "--shape brackets 2000", "--shape flowends 100",
        "--shape parameters 100", "--shape mains 3"}) {
    fs::path model = dir / "generated.json";
    ASSERT_EQ(run(std::string("'" MODEL_GENERATOR "' ") + args + " '" +
                      model.string() + "'",
                  dir)
                  .status,
              0)
        << args;
    roundTrip(model.string());
  }
}

TEST_F(NotationRoundTripTest, ValidFilesOfTheFuzzCorpus) {
  int valid = 0;
  for (const auto &entry : fs::directory_iterator(fs::path(ZEVA_SOURCE_DIR) /
                                                  "fuzz" / "corpus" / "load")) {
    if (zevac("check '" + entry.path().string() + "'", dir).status != 0)
      continue;
    ++valid;
    roundTrip(entry.path().string());
  }
  EXPECT_GE(valid, 5);
}

} // namespace
