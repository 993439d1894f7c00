// zevac import, export, and check and compile of notation files.
#include "cli.h"

namespace {

using namespace clitest;

class NotationCliTest : public ScratchTest {};

TEST_F(NotationCliTest, BadTextIsReportedAndNothingIsWritten) {
  write("bad.zeva", "classmodel K {\n  class A { x: Strng; }\n"
                    "  primitive String;\n}\nproject P\n");
  write("bad.json", "untouched");
  for (const char *command :
       {"import bad.zeva", "import bad.zeva -o out.json", "check bad.zeva",
        "compile bad.zeva", "export bad.zeva -o out.zeva"}) {
    Result r = zevac(command, dir);
    EXPECT_EQ(r.status, 2) << command;
    EXPECT_EQ(r.out, "bad.zeva:2:16: error: unknown type 'Strng'; did you "
                     "mean 'String'?\n"
                     " 2 |   class A { x: Strng; }\n"
                     "   |                ^\n"
                     "bad.zeva:5:10: error: expected ';'\n"
                     " 5 | project P\n"
                     "   |          ^\n")
        << command;
  }
  EXPECT_EQ(slurp(dir / "bad.json"), "untouched");
  EXPECT_FALSE(fs::exists(dir / "out.json") || fs::exists(dir / "out.zeva"));
}

TEST_F(NotationCliTest, TextIsReadWhereverAModelIs) {
  write("m.zeva", "project P at \"p/P.zvp\";\n"
                  "classmodel K { primitive Integer; }\n"
                  "transformation T { unit u compile { main procedure m() {\n"
                  "  var n: Integer; start; text t { n := 1; } end;\n"
                  "  start -> t; t -> end;\n} } }\n");
  Result r = zevac("check m.zeva", dir);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "m.zeva: valid, 13 objects\n");
  r = zevac("compile m.zeva --listing - --quiet", dir, "2>/dev/null");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("setVar n=1"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(dir / "m.json")); // beside the text, never into it
  // Export formats: the same text whatever the form it came from.
  r = zevac("export m.zeva -o -", dir);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(zevac("import m.zeva", dir).status, 0);
  EXPECT_EQ(zevac("export m.json -o -", dir).out, r.out);
  EXPECT_EQ(zevac("export m.json", dir).status, 0);
  EXPECT_EQ(slurp(dir / "m.zeva"), r.out);
  // The text is never overwritten with a repository file.
  for (const char *command :
       {"import m.zeva -o m.zeva", "compile m.zeva -o ./m.zeva"})
    EXPECT_EQ(zevac(command, dir).status, 2) << command;
  EXPECT_EQ(slurp(dir / "m.zeva"), r.out);
}

} // namespace
