// `zevac diagram` as a user runs it.

#include "cli.h"
#include "svg_groups.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace {

using clitest::slurp;
using clitest::zevac;
namespace fs = std::filesystem;

const std::string kLibrary =
    std::string(ZEVA_SOURCE_DIR) + "/examples/library/library.zeva";

std::set<std::string> filesIn(const fs::path &dir) {
  std::set<std::string> names;
  for (const auto &e : fs::directory_iterator(dir))
    names.insert(e.path().filename().string());
  return names;
}

class DiagramCli : public clitest::ScratchTest {};

TEST_F(DiagramCli, EveryProcedureIntoAFolder) {
  auto r = zevac("diagram '" + kLibrary + "' -o pics/all", dir);
  // Nothing else on either stream: a sanitized zevac reports no leak.
  EXPECT_EQ(r.out, "zevac: wrote 5 diagrams to pics/all\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(filesIn(dir / "pics/all"),
            (std::set<std::string>{
                "lib.main.svg", "lib.lendBook.svg", "lib.countAvailable.svg",
                "lib.recallReferenceLoans.svg", "audit.flagForeignLoans.svg"}));
  for (const std::string &name : filesIn(dir / "pics/all")) {
    std::string svg = slurp(dir / "pics/all" / name), error;
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u) << name;
    EXPECT_TRUE(diagramtest::wellFormedXml(svg, error)) << name << error;
  }
  // The notation's node names label the nodes.
  std::string lend = slurp(dir / "pics/all/lib.lendBook.svg");
  EXPECT_NE(lend.find(">markUnavailable<"), std::string::npos);

  // One procedure by name, or by unit and name: the same picture.
  for (const char *name : {"lendBook", "lib::lendBook"}) {
    r = zevac("diagram '" + kLibrary + "' --procedure " + name + " -o one.svg",
              dir);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(slurp(dir / "one.svg"), lend) << name;
  }
  // The repository file of the same model has no node names.
  r = zevac("diagram '" + std::string(ZEVA_SOURCE_DIR) +
                "/examples/library/model.json' --procedure lendBook -o j.svg",
            dir);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(slurp(dir / "j.svg").find(">text 1<"), std::string::npos);
}

TEST_F(DiagramCli, NamesThatAreUnknownOrAmbiguousAreUsageErrors) {
  write("two.zeva", R"(transformation T {
  unit a { procedure p() { start; } procedure lendBook() { start; } }
  unit b { procedure p() { start; } }
})");
  auto r = zevac("diagram two.zeva --procedure p -o p.svg", dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("ambiguous"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("a::p"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("b::p"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir / "p.svg"));
  r = zevac("diagram two.zeva --procedure b::p -o p.svg", dir);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(fs::exists(dir / "p.svg"));

  r = zevac("diagram '" + kLibrary + "' --procedure lendBok -o x.svg", dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("no procedure named 'lendBok'"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("lib::lendBook"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("lib::main"), std::string::npos) << r.out;
  r = zevac("diagram two.zeva --procedure zzzzzzzzz -o x.svg", dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("a::lendBook"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir / "x.svg"));
}

TEST_F(DiagramCli, FileNamesAreSafeAndUnique) {
  write("names.zeva", R"(transformation T {
  unit "my unit" {
    procedure "a/b" () { start; }
    procedure "a b" () { start; }
    procedure "A_B" () { start; }
    procedure "..\\..\\x" () { start; }
    procedure "-rf" () { start; }
    procedure "Ünïcode" () { start; }
  }
})");
  auto r = zevac("diagram names.zeva -o out", dir);
  EXPECT_EQ(r.status, 0) << r.out;
  std::set<std::string> files = filesIn(dir / "out");
  EXPECT_EQ(files.size(), 6u);
  std::set<std::string> folded;
  for (const std::string &f : files) {
    EXPECT_TRUE(
        std::regex_match(f, std::regex("[A-Za-z0-9_][A-Za-z0-9_.-]*\\.svg")))
        << f;
    std::string lower;
    for (char c : f)
      lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    folded.insert(lower);
  }
  EXPECT_EQ(folded.size(), files.size());
  // The same model names the files the same way again.
  r = zevac("diagram names.zeva -o again", dir);
  EXPECT_EQ(filesIn(dir / "again"), files);
}

TEST_F(DiagramCli, BadInputsAndOutputsFailWithStatus2) {
  write("bad.json", "{ not json");
  auto r = zevac("diagram bad.json -o out", dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("bad.json"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir / "out"));

  fs::create_directories(dir / "taken.svg");
  r = zevac("diagram '" + kLibrary + "' --procedure main -o taken.svg", dir);
  EXPECT_EQ(r.status, 2) << r.out;
  write("file", "x");
  r = zevac("diagram '" + kLibrary + "' -o file", dir);
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_EQ(slurp(dir / "file"), "x");
  r = zevac("diagram '" + kLibrary + "' -o file/sub", dir);
  EXPECT_EQ(r.status, 2) << r.out;
  fs::copy_file(kLibrary, dir / "m.zeva");
  r = zevac("diagram m.zeva --procedure main -o m.zeva", dir);
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_EQ(slurp(dir / "m.zeva"), slurp(kLibrary));
}

TEST_F(DiagramCli, ManyProceduresAreDrawnInBatches) {
  // More procedures than one forked copy draws, so that several copies
  // take part and the files still come out whole and in order.
  auto gen = clitest::run(
      std::string("'") + MODEL_GENERATOR + "' 150 7 big.json", dir);
  ASSERT_EQ(gen.status, 0) << gen.out;
  auto r = zevac("diagram big.json -o big", dir);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "zevac: wrote 150 diagrams to big\n");
  std::set<std::string> files = filesIn(dir / "big");
  ASSERT_EQ(files.size(), 150u);
  for (const std::string &name : files) {
    std::string svg = slurp(dir / "big" / name);
    EXPECT_NE(svg.find("</svg>"), std::string::npos) << name;
  }
}

TEST_F(DiagramCli, TheReadmePictureIsTheOneTheBuildDraws) {
  EXPECT_EQ(slurp(ZEVA_PICTURE),
            slurp(fs::path(ZEVA_SOURCE_DIR) / "docs/library-main.svg"))
      << "docs/library-main.svg is not the picture the build draws; "
         "`make pictures` draws it anew";
}

} // namespace
