// Every zevac command that README.md shows is run here, in a scratch copy
// of the examples, and must print exactly what the README says it prints.
//
// In the README, a block fenced as ```json FILE is written to FILE before
// the commands that follow it run; in a ```console block, each line "$ CMD"
// is a command and the lines up to the next one are its output (stdout and
// stderr together).
#include "cli.h"

#include <vector>

namespace {

using namespace clitest;

struct Command {
  int line;
  std::string text, output;
};

class ReadmeTest : public ScratchTest {};

TEST_F(ReadmeTest, CommandsPrintWhatTheReadmeShows) {
  fs::copy(fs::path(ZEVA_SOURCE_DIR) / "examples", dir / "examples",
           fs::copy_options::recursive);
  std::ifstream readme(fs::path(ZEVA_SOURCE_DIR) / "README.md");
  ASSERT_TRUE(readme) << "README.md";
  std::string bin = fs::path(ZEVAC_BINARY).parent_path().string();
  std::string line, file, body;
  enum { Text, Json, Console } block = Text;
  std::vector<Command> commands;
  int ran = 0;
  auto runAll = [&] {
    for (const Command &c : commands) {
      Result r = run("PATH='" + bin + "':\"$PATH\" " + c.text, dir);
      EXPECT_EQ(r.out, c.output) << "README.md:" << c.line << ": $ " << c.text;
      ++ran;
    }
    commands.clear();
  };
  for (int number = 1; std::getline(readme, line); ++number) {
    if (block == Text) {
      if (line.rfind("```json ", 0) == 0) {
        block = Json;
        file = line.substr(8);
        body.clear();
      } else if (line == "```console") {
        block = Console;
      }
    } else if (line == "```") {
      if (block == Json)
        write(file, body);
      else
        runAll();
      block = Text;
    } else if (block == Json) {
      body += line + '\n';
    } else if (line.rfind("$ ", 0) == 0) {
      commands.push_back({number, line.substr(2), ""});
    } else if (!commands.empty()) {
      commands.back().output += line + '\n';
    }
  }
  EXPECT_GT(ran, 0) << "no command found in README.md";
}

} // namespace
