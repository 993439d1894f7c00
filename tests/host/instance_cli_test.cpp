// zevac import, export and run with instance models written in the
// notation: the library example from its text, and what failures write.
#include "cli.h"

namespace {

using namespace clitest;

const fs::path kExample = fs::path(ZEVA_SOURCE_DIR) / "examples" / "library";
const std::string kScript =
    " --metamodel library/.zeva/Library/kel/MMscript.txt";

class InstanceCliTest : public ScratchTest {
protected:
  void SetUp() override {
    ScratchTest::SetUp();
    for (const char *f : {"model.json", "instance.json", "instance.zeva"})
      fs::copy_file(kExample / f, dir / f);
    Result r = zevac("compile model.json -o compiled.json --quiet", dir);
    ASSERT_EQ(r.status, 0) << r.out;
  }
};

TEST_F(InstanceCliTest, ExportImportAndRunFromText) {
  // The export beside the repository file is the checked-in text, and its
  // import saves as the repository file does.
  fs::copy_file(dir / "instance.json", dir / "copy.json");
  Result r = zevac("export copy.json" + kScript, dir);
  ASSERT_EQ(r.status, 0) << r.out;
  expectFile(kExample / "instance.zeva", slurp(dir / "copy.zeva"));
  ASSERT_EQ(zevac("import copy.zeva" + kScript, dir).status, 0);
  ASSERT_EQ(
      zevac("import instance.json" + kScript + " -o saved.json", dir).status,
      0);
  EXPECT_EQ(slurp(dir / "copy.json"), slurp(dir / "saved.json"));
  // A notation file is formatted to standard output.
  r = zevac("export instance.zeva" + kScript, dir, "2>/dev/null");
  EXPECT_EQ(r.out, slurp(kExample / "instance.zeva"));

  // A run on the text writes the changed model beside it, never into it.
  fs::remove(dir / "instance.json");
  std::string natives = std::string(" --natives '") + LIBRARY_NATIVES + "'";
  r = zevac("run compiled.json --model instance.zeva" + natives, dir);
  ASSERT_EQ(r.status, 0) << r.out;
  expectFile(kExample / "expected-output.json", slurp(dir / "instance.json"));
  expectFile(kExample / "instance.zeva", slurp(dir / "instance.zeva"));
  r = zevac("run compiled.json --model instance.zeva -o instance.zeva" +
                natives,
            dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("would overwrite the notation file instance.zeva"),
            std::string::npos)
      << r.out;
}

TEST_F(InstanceCliTest, ErrorsWriteNothing) {
  // Text errors, then the loader's checks once the text is right.
  write("bad.zeva", "instances {\n  b: library::Book { copies = two; }\n}\n");
  Result r = zevac("import bad.zeva" + kScript, dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
            "bad.zeva:2:31: error: the attribute 'copies' of 'library::Book' "
            "takes an integer");
  write("two.zeva", "instances {\n  a: library::Library { books -> b; }\n"
                    "  c: library::Library { books -> b; }\n"
                    "  b: library::Book {}\n}\n");
  r = zevac("import two.zeva" + kScript, dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("two.zeva:4:3: error: 'b' has 2 partners at the "
                       "single-valued role 'library'"),
            std::string::npos)
      << r.out;
  r = zevac("run compiled.json --model bad.zeva", dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("bad.zeva:2:31: error:"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir / "bad.json"));
  EXPECT_FALSE(fs::exists(dir / "two.json"));
  // A script with a problem, and an instance text read as a model.
  write("bad.txt", "MMDefStart;\nklass x;\nMMDefEnd;\n");
  r = zevac("export instance.json --metamodel bad.txt -o out.zeva", dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("bad.txt:2:1: error: unknown statement"),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(fs::exists(dir / "out.zeva"));
  r = zevac("import instance.zeva -o out.json", dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("instance.zeva: note: the file holds an instance "
                       "model, which import and export read with "
                       "--metamodel MMscript.txt"),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(fs::exists(dir / "out.json"));
}

} // namespace
