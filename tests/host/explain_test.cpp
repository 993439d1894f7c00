// zevac explain, and the note that points to it after a compilation.
#include "cli.h"

#include <sstream>

using namespace clitest;

namespace {

class ExplainTest : public ScratchTest {};

std::vector<std::string> lines(const std::string &text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    out.push_back(line);
  return out;
}

TEST(ZevacExplain, ExplainsListsAndRejects) {
  struct Case {
    const char *args;
    int status;
    const char *start;     ///< what the output starts with
    std::size_t lineCount; ///< 0: an explanation, wrapped at 80 columns
  };
  const Case cases[] = {
      {"explain 57", 0, "Message 57 (error): A rule is empty!\n\nA rule ", 0},
      {"explain 1001", 0,
       "Message 1001 (error): MODEL CONSISTENCE ERROR!!!!!!\n\nThe ", 0},
      {"explain 20", 0,
       "Message 20 (error): An unknown identifier \"NAME\" !\n\nThe ", 0},
      {"explain 0064", 0,
       "Message 64 (warning): Nothing selected to compile!\n\nNo ", 0},
      {"explain crash", 0,
       "Crash message (error): ZEVA compiler has crashed!\n\nThe ", 0},
      {"explain", 0, "    1  error    The parameter has no type", 98},
      {"explain 999", 2, "zevac: error: there is no compiler message 999", 1},
      {"explain abc", 2, "zevac: error: 'abc' is not a message number", 1},
      {"explain -3", 2, "zevac: error: '-3' is not a message number", 1},
  };
  for (const Case &c : cases) {
    // Errors go to stderr alone.
    Result r = zevac(c.args, ".", c.status ? "2>&1 >/dev/null" : "2>&1");
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_EQ(r.out.rfind(c.start, 0), 0u) << c.args << ":\n" << r.out;
    std::vector<std::string> out = lines(r.out);
    if (c.lineCount)
      EXPECT_EQ(out.size(), c.lineCount) << c.args;
    else
      for (std::size_t i = 2; i < out.size(); ++i)
        EXPECT_LE(out[i].size(), 80u) << c.args << ": " << out[i];
  }
  Result list = zevac("explain", ".");
  EXPECT_NE(list.out.find("\n   64  warning  Nothing selected to compile!\n"),
            std::string::npos);
  // The messages, then the warnings of --lint.
  EXPECT_NE(list.out.find(" 1001  error    MODEL CONSISTENCE ERROR!!!!!!\n"
                          "crash  error    ZEVA compiler has crashed!\n"
                          "   L1  lint     "),
            std::string::npos)
      << list.out;
  EXPECT_NE(zevac("--help", ".").out.find("explain"), std::string::npos);
}

// A start node without outgoing flow (68) and an end node without incoming
// flow (66); with a flow between them, a clean procedure.
std::string procedure(bool withFlow) {
  return std::string(R"({"format": "zeva-repository", "version": 1,
 "objects": [
  {"id": 1, "class": "ZEVA::Model", "links": {"ownedMember": [2]}},
  {"id": 2, "class": "ZEVA::Package",
   "attrs": {"name": "lib", "isUnit": true, "compileThis": true},
   "links": {"ownedMember": [3]}},
  {"id": 3, "class": "ZEVA::ZEVAprocedure", "attrs": {"name": "p"},
   "links": {"ownedElement": [4, 5]}},
  {"id": 4, "class": "ZEVA::Start"},
  {"id": 5, "class": "ZEVA::End"})") +
         (withFlow ? R"(,
  {"id": 6, "class": "ZEVA::Flow", "links": {"from": [4], "to": [5]}})"
                   : "") +
         "]}";
}

TEST_F(ExplainTest, CompileEndsItsMessagesWithOneNote) {
  write("two.json", procedure(false));
  write("clean.json", procedure(true));
  Result two = zevac("compile two.json", dir);
  EXPECT_EQ(two.status, 1);
  EXPECT_EQ(two.out, "zevac: wrote MMscript.txt\n"
                     "two.json: error: 68 - No outgoing control flow! "
                     "[ZEVA::Start #4 lib_p]\n"
                     "two.json: error: 66 - No incoming control flow! "
                     "[ZEVA::End #5 lib_p]\n"
                     "zevac: note: run 'zevac explain 68' to learn more about "
                     "message 68\n");
  EXPECT_EQ(zevac("compile two.json", dir, "2>/dev/null").out, "")
      << "messages and note on stderr";
  // The stats line stays the last one.
  Result stats = zevac("compile two.json --stats", dir);
  EXPECT_NE(stats.out.find("message 68\nzevac: stats: "), std::string::npos)
      << stats.out;

  EXPECT_EQ(zevac("compile two.json --quiet", dir).out, "");
  EXPECT_EQ(zevac("compile clean.json", dir).out,
            "zevac: wrote MMscript.txt\n");
}

} // namespace
