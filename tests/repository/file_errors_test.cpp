#include "repo_file.h"
#include "repository.h"

#include <gtest/gtest.h>

using namespace zrep;

namespace {

std::string wrap(const std::string &objects) {
  return R"({"format": "zeva-repository", "version": 1, "objects": [)" +
         objects + "]}";
}

/// All problems of a text, joined by newlines.
std::string problems(const std::string &text) {
  LoadResult r = loadRepositoryText(text, "m.json");
  EXPECT_EQ(r.repo == nullptr, !r.problems.empty());
  std::string all;
  for (const auto &p : r.problems)
    all += p + "\n";
  return all;
}

} // namespace

TEST(RepositoryFileErrors, EveryProblemIsReportedAndNothingLoaded) {
  std::string all = problems(wrap(R"(
    {"id": 1, "class": "ZEVA::Package", "attrs": {"colour": "red"}},
    {"id": 1, "class": "ZEVA::Package"},
    {"id": -4, "class": "ZEVA::Package"},
    {"id": 5, "class": "ZEVA::Nothing"},
    {"id": 6, "class": "ZEVA::FlowEnd"},
    {"id": 7, "class": "ZEVA::Parameter",
     "attrs": {"paramNumber": "two", "inOut": true}},
    {"id": 8, "class": "ZEVA::ClassElement", "attrs": {"ElemType": "Big"}},
    {"id": 9, "class": "ZEVA::Package",
     "links": {"flows": [1], "ownedMember": [99, 8, 5]}},
    {"id": 10, "class": "ZEVA::Rule", "links": {"loop": [11, 12]}},
    {"id": 11, "class": "ZEVA::WhileLoop"},
    {"id": 12, "class": "ZEVA::WhileLoop"},
    {"id": 13, "class": "ZEVA::Package", "extra": 1}
  )"));
  for (const char *expected : {
           "m.json: error: object 1 (objects[0]): attrs.colour: class "
           "\"ZEVA::Package\" has no attribute \"colour\"",
           "object 1 (objects[1]): duplicate id; first used by objects[0]",
           "objects[2]: \"id\" must be a positive 32-bit integer",
           "object 5 (objects[3]): unknown class \"ZEVA::Nothing\"",
           "object 6 (objects[4]): class \"ZEVA::FlowEnd\" is abstract",
           "attrs.paramNumber: \"two\" is not a decimal 32-bit integer",
           "attrs.ElemType: \"Big\" is not a literal of enumeration "
           "\"ElemType\"",
           "links.flows: class \"ZEVA::Package\" has no association end "
           "\"flows\"",
           "links.ownedMember[0]: partner 99 does not exist",
           "links.ownedMember[1]: partner 8 of class \"ZEVA::ClassElement\" "
           "does not fit",
           "links.ownedMember[2]: partner 5 is not a valid object",
           "object 10: links.loop: single-valued end holds 2 partners",
           "object 13 (objects[11]): unknown key \"extra\"",
       })
    EXPECT_NE(all.find(expected), std::string::npos) << expected << "\n" << all;
}

TEST(RepositoryFileErrors, BrokenDocumentsAndCycles) {
  EXPECT_NE(problems("{\n  \"format\": \"zeva-repository\",\n  \"version\" 1")
                .find("m.json: error: 3:13: malformed JSON"),
            std::string::npos);
  std::string header = problems(R"({"format": "other", "objects": {}})");
  EXPECT_NE(header.find("format: expected \"zeva-repository\""),
            std::string::npos);
  EXPECT_NE(header.find("version: missing"), std::string::npos);
  EXPECT_NE(header.find("objects: expected an array, found an object"),
            std::string::npos);
  EXPECT_NE(problems(R"({"format": "zeva-repository", "version": 2,
                         "objects": []})")
                .find("version: unsupported version"),
            std::string::npos);
  EXPECT_NE(problems(wrap(R"(5, {"id": 2, "class": "Skom", "attrs": [],
                             "links": {"next1": "3"}})"))
                .find("objects[0]: expected an object, found a number"),
            std::string::npos);

  // A package that owns itself through another package; a loop that owns
  // itself through its own flow ends is a second, separate cycle.
  std::string cycle = problems(wrap(R"(
    {"id": 1, "class": "ZEVA::Package", "links": {"ownedMember": [2]}},
    {"id": 2, "class": "ZEVA::Package", "links": {"ownedMember": [1]}},
    {"id": 3, "class": "ZEVA::WhileLoop", "links": {"ownedFlowEnd": [3]}},
    {"id": 4, "class": "ZEVA::Package", "links": {"ownedMember": [5]}},
    {"id": 5, "class": "ZEVA::Package"}
  )"));
  EXPECT_NE(cycle.find("containment cycle: 1 -> 2 -> 1"), std::string::npos)
      << cycle;
  EXPECT_NE(cycle.find("containment cycle: 3 -> 3"), std::string::npos)
      << cycle;
  EXPECT_EQ(cycle.find(" 4 "), std::string::npos) << cycle;

  // Reporting stops at a limit but the count of the rest is kept.
  std::string many;
  for (int i = 0; i < 80; ++i)
    many += std::string(i ? "," : "") + R"({"id": 0, "class": "Skom"})";
  LoadResult r = loadRepositoryText(wrap(many), "m.json");
  EXPECT_EQ(r.problems.size(), kMaxReportedProblems);
  EXPECT_EQ(r.unreported, 80 - kMaxReportedProblems);

  LoadResult missing = loadRepositoryFile("/nonexistent/m.json");
  ASSERT_EQ(missing.problems.size(), 1u);
  EXPECT_NE(missing.problems[0].find("cannot open"), std::string::npos);
}

TEST(RepositoryFileErrors, FaultyTextsAreOneLineProblemsNamingThePlace) {
  auto letters = [](int n) {
    std::string s;
    while (n-- > 0)
      s += "ȸ";
    return s;
  };
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  const std::string big = std::string(1 << 20, 'k');
  struct Case {
    std::string text, expected;
  } cases[] = {
      {deep, "m.json: error: 1:1002: values nested more than 1000 levels deep"},
      {wrap(R"({"id": 1, "class": "Skom", "attrs": {"text": )" + deep + "}}"),
       "values nested more than 1000 levels deep"},
      {R"({"format": "zeva-repository", "version": 1, "version": 1,
           "objects": []})",
       "top level: duplicate key \"version\""},
      {wrap(R"({"id": 1, "id": 2, "class": "Skom"})"),
       "object 1 (objects[0]): duplicate key \"id\""},
      {wrap(R"({"id": 1, "class": "Skom", "class": "Skom"})"),
       "duplicate key \"class\""},
      {wrap(R"({"id": 1, "class": "Skom", "attrs": {}, "attrs": {}})"),
       "duplicate key \"attrs\""},
      {wrap(R"({"id": 1, "class": "Skom", "links": {}, "links": {}})"),
       "duplicate key \"links\""},
      {wrap(
           R"({"id": 1, "class": "Skom", "attrs": {"text": "a", "text": "b"}})"),
       "object 1 (objects[0]): attrs.text: listed twice"},
      {wrap(
           R"({"id": 1, "class": "Skom", "links": {"next1": [], "next1": []}})"),
       "object 1 (objects[0]): links.next1: listed twice"},
      {R"({"format": "zeva-repository\u0000x", "version": 1, "objects": []})",
       "format: expected \"zeva-repository\""},
      {wrap(R"({"id": 1, "class": "Skom", "attrs": {"text": "a\u0000b"}})"),
       R"(attrs.text: "a\x00b" contains a NUL character)"},
      {wrap(R"({"id": -7, "class": "Skom"})"),
       "objects[0]: \"id\" must be a positive 32-bit integer, found -7"},
      {wrap(R"({"id": 4294967296, "class": "Skom"})"), "found 4294967296"},
      {wrap(R"({"id": 0, "class": "Skom"})"),
       "objects[0]: \"id\" must be a positive 32-bit integer, found 0"},
      {wrap(R"({"id": 1e3, "class": "Skom"})"), "integer, found 1e3"},
      {wrap(R"({"id": -0, "class": "Skom"})"), "integer, found -0"},
      {"\xEF\xBB\xBF" + wrap(""),
       "m.json: error: 1:1: file starts with a UTF-8 byte-order mark; remove "
       "it"},
      {wrap(R"({"id": "\r\u001b[2J", "class": "Skom"})"),
       R"(found "\r\x1B[2J")"},
      {wrap(R"({"id": 1, "class": "\u202Eevil\u0085"})"),
       R"(unknown class "\u202Eevil\u0085")"},
      {wrap(R"({"id": 1, "class": "Skom", "k\n\u001b[2J)" + big + R"(": 1})"),
       R"(unknown key "k\n\x1B[2J)" + big.substr(0, 54) + "...\""},
      // Echoes are cut after 60 whole characters.
      {wrap(R"({"id": 1, "class": ")" + letters(70) + "\"}"),
       "unknown class \"" + letters(60) + "...\""},
      // No class after an object whose class name was kept further on.
      {wrap(R"({"id": 1, "attrs": {"text": "x"}, "class": "Skom"}, {"id": 2})"),
       "object 2 (objects[1]): missing \"class\""},
      {wrap(R"({"id": 1, "class": 5})"), "\"class\" must be a string"},
      {wrap(R"({"id": 1, "class": "Skom", "attrs": {"te\u0007xt": 1}})"),
       R"(attrs.te\x07xt: class "Skom" has no attribute "te\x07xt")"},
      {wrap("{\"id\": 1, \"class\": \"Skom\", \"attrs\": {\"t\xff\": 1}}"),
       "object 1 (objects[0]): attrs: a key is not valid UTF-8"},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  // Overlong forms, surrogates, code points past U+10FFFF, cut and stray
  // bytes.
  for (const char *bytes : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                            "\xF4\x90\x80\x80", "\xE2\x82", "\x80", "\xFF"})
    all.push_back(
        {wrap(std::string(R"({"id": 1, "class": "Skom", "attrs": {"text": ")") +
              bytes + "\"}}"),
         "object 1 (objects[0]): attrs.text: a string is not valid UTF-8"});
  for (const Case &c : all) {
    LoadResult r = loadRepositoryText(c.text, "m.json");
    EXPECT_FALSE(r.repo);
    std::string lines;
    for (const std::string &p : r.problems) {
      EXPECT_EQ(p.find('\n'), std::string::npos) << p;
      EXPECT_LT(p.size(), 300u) << p.substr(0, 300);
      lines += p + "\n";
    }
    EXPECT_NE(lines.find(c.expected), std::string::npos) << c.expected << "\n"
                                                         << lines;
  }
  // Every valid form still loads, and saves as it was.
  std::string ok =
      wrap("{\"id\":1,\"class\":\"Skom\",\"attrs\":{\"text\":"
           "\"\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\xEF\xBF\xBF\"}}");
  LoadResult r = loadRepositoryText(ok, "m.json");
  ASSERT_TRUE(r.repo);
  EXPECT_NE(saveRepositoryText(*r.repo).find("\xC3\xA9\xE2\x82\xAC\xF0\x9D"),
            std::string::npos);
  // Only regular files are read: a directory has no text, a device none
  // that ends.
  for (const char *path : {"/", "/dev/zero"}) {
    LoadResult special = loadRepositoryFile(path);
    ASSERT_EQ(special.problems.size(), 1u) << path;
    EXPECT_EQ(special.problems[0],
              std::string(path) + ": error: not a regular file");
  }
}
