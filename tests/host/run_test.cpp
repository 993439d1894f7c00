// zevac run: the library example end to end, and what a user sees for bad
// input, bad programs and run-time faults.

#include "cli.h"

#include <rapidjson/document.h>

#include <map>
#include <regex>

namespace {

using namespace clitest;

const fs::path kExample = fs::path(ZEVA_SOURCE_DIR) / "examples" / "library";

class RunTest : public ScratchTest {
protected:
  /// Compiles a copy of the library example into compiled.json.
  void compileExample() {
    fs::copy_file(kExample / "model.json", dir / "model.json");
    fs::copy_file(kExample / "instance.json", dir / "instance.json");
    Result r = zevac("compile model.json -o compiled.json --quiet", dir);
    ASSERT_EQ(r.status, 0) << r.out;
  }
  static std::string natives() {
    return std::string(" --natives '") + LIBRARY_NATIVES + "'";
  }
  /// The debug trace with its one timing figure masked.
  std::string debugTrace() {
    return std::regex_replace(slurp(dir / "debug.txt"),
                              std::regex("(executed in ).*"), "$1<time>");
  }
};

TEST_F(RunTest, LibraryExampleGivesTheExpectedModelAndTrace) {
  compileExample();
  Result r = zevac("run compiled.json --model instance.json" + natives(), dir,
                   "2>/dev/null");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "Available books: 1\n");
  expectFile(kExample / "expected-output.json", slurp(dir / "instance.json"));
  expectFile(kExample / "expected-debug.txt", debugTrace());
  expectFile(kExample / "expected-mmscript.txt",
             slurp(dir / "library/.zeva/Library/kel/MMscript.txt"));

  // The same from the notation source, into another file; the trace names
  // each flow end and what the rules bound.
  fs::copy_file(kExample / "library.zeva", dir / "library.zeva");
  fs::copy_file(kExample / "instance.json", dir / "again.json");
  ASSERT_EQ(zevac("compile library.zeva -o fromtext.json --quiet", dir).status,
            0);
  r = zevac("run fromtext.json --model again.json -o out.json --trace --stats" +
                natives(),
            dir);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(slurp(dir / "out.json"), slurp(dir / "instance.json"));
  EXPECT_EQ(slurp(dir / "again.json"), slurp(kExample / "instance.json"));
  EXPECT_NE(r.out.find(": matched lib=#1\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(": iteration ln=#13, m=#10, bk=#5\n"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("zevac: stats: load "), std::string::npos) << r.out;
}

TEST_F(RunTest, InputErrorsWriteNothing) {
  compileExample();
  std::string before = slurp(dir / "instance.json");
  // The external procedure's library is missing.
  Result r = zevac("run compiled.json --model instance.json", dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("the external procedure printReport (symbol "
                       "Kel_Func_ext_printReport) is in no library"),
            std::string::npos)
      << r.out;
  // An instance object of a class the metamodel does not have.
  write("bad.json", R"({"format": "zeva-repository", "version": 1,
    "objects": [{"id": 1, "class": "library::Shelf"}]})");
  r = zevac("run compiled.json --model bad.json" + natives(), dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("library::Shelf"), std::string::npos) << r.out;
  // A model that was never compiled has no program.
  r = zevac("run model.json --model instance.json" + natives(), dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("no unit with a main procedure"), std::string::npos)
      << r.out;
  r = zevac("run compiled.json --model instance.json --unit nosuch" + natives(),
            dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("no unit named \"nosuch\""), std::string::npos);
  // The metamodel script is looked for where the program names it.
  fs::path script = dir / "library/.zeva/Library/kel/MMscript.txt";
  fs::rename(script, dir / "classes.txt");
  r = zevac("run compiled.json --model instance.json" + natives(), dir);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("the metamodel script "
                       "library/.zeva/Library/kel/MMscript.txt (useMM "
                       "\"MMscript.txt\" of library/.zeva/Library/kel/lib) "
                       "is not there"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(slurp(dir / "instance.json"), before);
  EXPECT_FALSE(fs::exists(dir / "debug.txt"));
  r = zevac("run compiled.json --model instance.json --metamodel classes.txt" +
                natives(),
            dir, "2>/dev/null");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Available books: 1\n");
}

TEST_F(RunTest, ProgramProblemsNameProcedureCommandAndElement) {
  compileExample();
  // A statement that names a variable the procedure does not have.
  std::string compiled = slurp(dir / "compiled.json");
  std::size_t at = compiled.find("\"setVar _IDENTint=1\"");
  ASSERT_NE(at, std::string::npos);
  compiled.replace(at, 20, "\"setVar _nosuch=1\"");
  write("compiled.json", compiled);
  Result r = zevac("run compiled.json --model instance.json" + natives(), dir);
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_NE(r.out.find("compiled.json: error: in procedure "
                       "_initializeZEVAtransformation, at `setVar "
                       "_nosuch=1`: \"_nosuch\" is not a variable"),
            std::string::npos)
      << r.out;
}

TEST_F(RunTest, RunTimeFaultLeavesTheModelAsItWas) {
  write("shop.zeva", R"(project Shop at "shop/Project.zvp";
classmodel Classes {
  primitive Integer;
  package Shop { class Item { stock: Integer; } }
}
transformation Shop {
  unit store compile {
    main procedure main() {
      def it: Item;
      start;
      text restock { it.stock := 10; }
      end;
      start -> restock;
      restock -> end;
    }
  }
}
)");
  ASSERT_EQ(zevac("compile shop.zeva -o shop.json --quiet", dir).status, 0);
  std::string model = R"({"format": "zeva-repository", "version": 1,
    "objects": [{"id": 1, "class": "shop::Item", "attrs": {"stock": "3"}}]})";
  write("items.json", model);
  Result r = zevac("run shop.json --model items.json", dir);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("items.json: error: run-time fault in procedure "
                       "store_main, at `setAttr it.stock=`"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Attempt to use unexisting object"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("nothing was saved"), std::string::npos);
  EXPECT_EQ(slurp(dir / "items.json"), model);
}

TEST_F(RunTest, FaultInAComparedValueNamesTheStatementThatReadsIt) {
  // The constraint reads an attribute of a pointer that was never set; the
  // fault names the assignment that reads it, whichever step the
  // comparison became.
  write("shop.zeva", R"(project Shop at "shop/Project.zvp";
classmodel Classes {
  primitive Integer;
  primitive Boolean;
  package Shop { class Item { stock: Integer; } }
}
transformation Shop {
  unit store compile {
    main procedure main() {
      def it: Item;
      def other: Item;
      start;
      rule low {
        other: Item;
        it where stock < other.stock;
      }
      end;
      start -> low;
      low -> end;
      low else -> end;
    }
  }
}
)");
  ASSERT_EQ(
      zevac("compile shop.zeva -o shop.json --listing listing.txt --quiet", dir)
          .status,
      0);
  std::string listing = slurp(dir / "listing.txt");
  std::size_t read = listing.find("=it.stock");
  ASSERT_NE(read, std::string::npos) << listing;
  // Messages show a statement up to its "=".
  std::size_t begin = listing.rfind("setVar", read);
  std::string statement = listing.substr(begin, read + 1 - begin);
  write("items.json", R"({"format": "zeva-repository", "version": 1,
    "objects": [{"id": 1, "class": "shop::Item", "attrs": {"stock": "3"}}]})");
  Result r = zevac("run shop.json --model items.json", dir);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("at `" + statement + "`"), std::string::npos)
      << statement << "\n"
      << r.out;
  EXPECT_NE(r.out.find("Attempt to use unexisting object"), std::string::npos)
      << r.out;
}

TEST_F(RunTest, MutexBenchmarkPassesTheResourceOnceAroundTheRing) {
  // The benchmark's transformation compiles without a message and, from a
  // ring of two processes, grows the ring to seven, lets each process take
  // and release the resource in turn, and leaves the token with the first.
  Result r = zevac("compile '" + std::string(ZEVA_SOURCE_DIR) +
                       "/bench/mutex/mutex.zeva' -o mutex.json",
                   dir);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("error"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("warning"), std::string::npos) << r.out;
  const std::string ring =
      R"({"format": "zeva-repository", "version": 1, "objects": [
{"id": 1, "class": "mutex::Ring", "attrs": {"size": "7"}},
{"id": 2, "class": "mutex::Process", "links": {"next": [3], "prev": [3]}},
{"id": 3, "class": "mutex::Process", "links": {"next": [2], "prev": [2]}}]})";
  write("ring.json", ring);
  r = zevac("run mutex.json --model ring.json --stats", dir);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("objects 3 before, 9 after;"), std::string::npos)
      << r.out;
  // Traced, every rule runs as a call of its own; untraced, the rules are
  // copied into the loops that call them. The counts and the model agree.
  write("again.json", ring);
  Result traced = zevac(
      "run mutex.json --model again.json -o traced.json --stats --trace", dir);
  ASSERT_EQ(traced.status, 0) << traced.out;
  auto counts = [](const std::string &out) {
    std::size_t at = out.find("after; ");
    return at == std::string::npos ? out : out.substr(at);
  };
  EXPECT_EQ(counts(traced.out), counts(r.out));
  EXPECT_NE(r.out.find(" 38 calls,"), std::string::npos) << r.out;
  EXPECT_EQ(slurp(dir / "traced.json"), slurp(dir / "ring.json"));

  rapidjson::Document doc;
  doc.Parse(slurp(dir / "ring.json").c_str());
  ASSERT_FALSE(doc.HasParseError());
  std::map<int, int> next;
  std::string resourceLinks;
  for (const rapidjson::Value &o : doc["objects"].GetArray()) {
    std::string cls = o["class"].GetString();
    if (cls == "mutex::Resource") {
      for (const auto &l : o["links"].GetObject())
        resourceLinks += std::string(l.name.GetString()) + "=" +
                         std::to_string(l.value[0].GetInt()) + ";";
    } else if (cls == "mutex::Process") {
      const rapidjson::Value &links = o["links"];
      ASSERT_EQ(links["next"].Size(), 1u);
      EXPECT_FALSE(links.HasMember("request"));
      next[o["id"].GetInt()] = links["next"][0].GetInt();
    }
  }
  EXPECT_EQ(resourceLinks, "token=2;");
  ASSERT_EQ(next.size(), 7u);
  int at = 2, steps = 0;
  do {
    at = next[at];
    ++steps;
  } while (at != 2 && steps <= 7);
  EXPECT_EQ(steps, 7) << "one ring through every process";
}

} // namespace
