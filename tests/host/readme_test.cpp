// Every zevac command that README.md and docs/notation.md show is run here,
// in a scratch copy of the examples, and must print exactly what the
// document says it prints; every notation example of docs/notation.md must
// import.
//
// A block fenced as ```LANG FILE (```json tutorial.json, ```zeva shop.zeva)
// is written to FILE before the commands that follow it run; in a
// ```console block, each line "$ CMD" is a command and the lines up to the
// next one are its output (stdout and stderr together). In
// docs/notation.md, a block fenced ```zeva is a whole notation file,
// ```zeva model the class model that the fragments use, ```zeva unit the
// contents of a unit and ```zeva body the body of a procedure.
#include "cli.h"

#include <functional>
#include <vector>

namespace {

using namespace clitest;

struct Block {
  int line; ///< of the opening fence
  std::string info, body;
};

std::vector<Block> fencedBlocks(const fs::path &file) {
  std::ifstream in(file);
  EXPECT_TRUE(in) << file;
  std::vector<Block> blocks;
  bool inside = false;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!inside && line.rfind("```", 0) == 0) {
      blocks.push_back({number, line.substr(3), ""});
      inside = true;
    } else if (inside && line == "```") {
      inside = false;
    } else if (inside) {
      blocks.back().body += line + '\n';
    }
  }
  EXPECT_FALSE(inside) << file << ": a fenced block does not end";
  return blocks;
}

class DocumentTest : public ScratchTest {
protected:
  /// Writes the file blocks and runs the console blocks of `document`, in
  /// order; hands every other block to `other`. Returns the commands run.
  int runDocument(const std::string &document,
                  const std::function<void(const Block &)> &other = {}) {
    fs::copy(fs::path(ZEVA_SOURCE_DIR) / "examples", dir / "examples",
             fs::copy_options::recursive);
    std::string bin = fs::path(ZEVAC_BINARY).parent_path().string();
    int ran = 0;
    for (const Block &b : fencedBlocks(fs::path(ZEVA_SOURCE_DIR) / document)) {
      std::size_t space = b.info.find(' ');
      std::string file =
          space == std::string::npos ? "" : b.info.substr(space + 1);
      if (b.info == "console") {
        ran += runConsole(document, b, bin);
      } else if (!file.empty() && !isFragmentKind(file)) {
        write(file, b.body);
      } else if (other) {
        other(b);
      }
    }
    return ran;
  }

  static bool isFragmentKind(const std::string &word) {
    return word == "model" || word == "unit" || word == "body";
  }

private:
  int runConsole(const std::string &document, const Block &b,
                 const std::string &bin) {
    struct Command {
      int line;
      std::string text, output;
    };
    std::vector<Command> commands;
    std::istringstream lines(b.body);
    std::string line;
    for (int number = b.line + 1; std::getline(lines, line); ++number) {
      if (line.rfind("$ ", 0) == 0)
        commands.push_back({number, line.substr(2), ""});
      else if (!commands.empty())
        commands.back().output += line + '\n';
    }
    for (const Command &c : commands) {
      Result r = run("PATH='" + bin + "':\"$PATH\" " + c.text, dir);
      EXPECT_EQ(r.out, c.output)
          << document << ":" << c.line << ": $ " << c.text;
    }
    return static_cast<int>(commands.size());
  }
};

TEST_F(DocumentTest, ReadmeCommandsPrintWhatTheReadmeShows) {
  EXPECT_GT(runDocument("README.md"), 0) << "no command found in README.md";
}

TEST_F(DocumentTest,
       NotationDocumentExamplesImportAndItsCommandsPrintWhatItShows) {
  std::string model;
  int examples = 0;
  int ran = runDocument("docs/notation.md", [&](const Block &b) {
    std::string text;
    if (b.info == "zeva" || b.info == "zeva model") {
      text = b.body;
      if (b.info == "zeva model")
        model = b.body;
    } else if (b.info == "zeva unit" || b.info == "zeva body") {
      ASSERT_FALSE(model.empty()) << "docs/notation.md:" << b.line
                                  << ": a fragment before the ```zeva model";
      bool unit = b.info == "zeva unit";
      text = model + "transformation Doc {\n  unit doc {\n" +
             (unit ? "" : "    procedure example() {\n") + b.body +
             (unit ? "" : "    }\n") + "  }\n}\n";
    } else {
      ASSERT_EQ(b.info.rfind("zeva", 0), std::string::npos)
          << "docs/notation.md:" << b.line << ": unknown kind ```" << b.info;
      return;
    }
    write("example.zeva", text);
    Result r = zevac("import example.zeva -o example.json", dir);
    EXPECT_EQ(r.status, 0) << "docs/notation.md:" << b.line << ":\n" << r.out;
    EXPECT_EQ(r.out, "") << "docs/notation.md:" << b.line;
    ++examples;
  });
  EXPECT_GT(ran, 0);
  EXPECT_GT(examples, 10);
}

} // namespace
