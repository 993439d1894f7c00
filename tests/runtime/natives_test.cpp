#include "natives.h"
#include "runtime_fixture.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace kel::test {

namespace {

template <class F> bool aborts(F f) {
  try {
    f();
  } catch (const Kel_Var_2_Exception &) {
    return true;
  }
  return false;
}

std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

} // namespace

TEST(Natives, TextsUseZeroBasedIndices) {
  EXPECT_EQ(SubString("abcdef", 1, 3), "bcd");
  EXPECT_EQ(SubString("abcdef", 2, 2), "c");
  EXPECT_EQ(SubString("abcdef", 4, 99), "ef");
  EXPECT_EQ(SubString("abcdef", 3, 2), "");
  EXPECT_EQ(Substring("abcdef", 0, 0), "a");
  EXPECT_TRUE(aborts([] { SubString("abc", 3, 3); }));
  EXPECT_TRUE(aborts([] { SubString("", 0, 0); }));
  EXPECT_EQ(Char("abc", 2), "c");
  EXPECT_TRUE(aborts([] { Char("abc", 3); }));

  EXPECT_EQ(Pos("abcabc", "ab", 0), 0);
  EXPECT_EQ(Pos("abcabc", "ab", 1), 3);
  EXPECT_EQ(Pos("abcabc", "ab", 4), -1);
  EXPECT_EQ(Pos("abc", "a", 10), -1);
  EXPECT_EQ(Pos("abc", "B", 0), -1); // case-sensitive

  EXPECT_EQ(Trim("  a b \t "), "a b \t");
  EXPECT_EQ(Trim("\ta "), "\ta");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Length("abc"), 3);
  EXPECT_EQ(Size(""), 0);
  EXPECT_EQ(toUpper("aBc1"), "ABC1");
  EXPECT_EQ(toLower("Kernel::PACKAGE"), "kernel::package");
}

TEST(Natives, IndicesAndLengthsCountWholeUtf8Characters) {
  // Characters of one to four bytes.
  const std::string text = "aȸ€😀b";
  EXPECT_EQ(Length(text), 5);
  EXPECT_EQ(SubString(text, 1, 3), "ȸ€😀");
  EXPECT_EQ(SubString(text, 3, 99), "😀b");
  EXPECT_TRUE(aborts([] { SubString("ȸ", 1, 1); }));
  EXPECT_EQ(Char(text, 2), "€");
  EXPECT_TRUE(aborts([&] { Char(text, 5); }));
  EXPECT_EQ(Pos(text, "b", 0), 4);
  EXPECT_EQ(Pos("ȸaȸa", "a", 2), 3);
  EXPECT_EQ(Pos("ȸ", "", 1), 1);
  EXPECT_EQ(Pos("ȸ", "", 2), -1);
  // A byte that starts no character counts as one.
  EXPECT_EQ(Length("\xC8"
                   "a\xB8"),
            3);
  EXPECT_EQ(SubString("\xC8"
                      "a",
                      1, 1),
            "a");
}

TEST(Natives, ConversionsAndTheirFailures) {
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToString(7), "7");
  EXPECT_EQ(BoolToStr(false), "false");
  EXPECT_EQ(RealToStr(2.5), "2.5");
  EXPECT_EQ(RealToStr(0.1 + 0.2), "0.3");
  EXPECT_EQ(RealToStr(1e20), "1e+20");
  EXPECT_TRUE(StrToBool("true"));
  EXPECT_TRUE(StrToBool("1"));
  for (const char *no : {"TRUE", "false", "0", ""})
    EXPECT_FALSE(StrToBool(no)) << no;
  EXPECT_TRUE(IsBool("false"));
  EXPECT_FALSE(IsBool("1"));
  EXPECT_EQ(StrToEnum("ElemType", "Create"), "ElemType::Create");
  EXPECT_EQ(EnumToStr("A::B::C"), "C");
  EXPECT_EQ(EnumToStr("ElemType::"), "");
  EXPECT_EQ(EnumToStr("Create"), "");
  EXPECT_TRUE(aborts([] { STOP(); }));
}

// One sign at most, digits, nothing around them; a real may have a point
// and an exponent. Conversions that fail abort; the tests answer false.
TEST(Natives, NumberTextsConvertExactlyWhenWellFormed) {
  constexpr double kNo = -999; // not a real
  struct Case {
    const char *text;
    bool isInt;
    double real; // the value of both conversions, or kNo
  } cases[] = {
      {"-12", true, -12},
      {"+7", true, 7},
      {"007", true, 7},
      {"-2147483648", true, -2147483648.0},
      {"2147483647", true, 2147483647.0},
      {"2147483648", false, 2147483648.0},
      {"99999999999", false, 99999999999.0},
      {"2.5e1", false, 25},
      {"-.5", false, -0.5},
      {"5.", false, 5},
      {"+1E-2", false, 0.01},
      {"1e-400", false, 0},
      {"+-5", false, kNo},
      {"-+5", false, kNo},
      {"--5", false, kNo},
      {"+", false, kNo},
      {"-", false, kNo},
      {"", false, kNo},
      {".", false, kNo},
      {" 1", false, kNo},
      {"1 ", false, kNo},
      {"12a", false, kNo},
      {"1.2.3", false, kNo},
      {"1e", false, kNo},
      {"1e+", false, kNo},
      {"e5", false, kNo},
      {"1e5x", false, kNo},
      {"1e400", false, kNo},
      {"-1e400", false, kNo},
      {"inf", false, kNo},
      {"nan", false, kNo},
      {"0x10", false, kNo},
      {"1,5", false, kNo},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsInt(c.text), c.isInt);
    if (c.isInt)
      EXPECT_EQ(StrToInt(c.text), static_cast<int>(c.real));
    else
      EXPECT_TRUE(aborts([&] { StrToInt(c.text); }));
    EXPECT_EQ(IsReal(c.text), c.real != kNo);
    if (c.real != kNo)
      EXPECT_EQ(StrToReal(c.text), c.real);
    else
      EXPECT_TRUE(aborts([&] { StrToReal(c.text); }));
  }
}

TEST_F(RuntimeTest, TimersFilesDialogsAndAttributeTests) {
  EXPECT_EQ(timers::format(0), " 00:00 0 0");
  double days = (3 * 3600 + 4 * 60 + 5) / 86400.0 + 0.067 / 86400.0;
  EXPECT_EQ(timers::format(days), " 03:04 5 67");
  startNthTimer(3);
  EXPECT_EQ(elapsedNthTimeString(3), " 00:00 0 0"); // not stopped yet
  stopNthTimer(3);
  EXPECT_TRUE(std::regex_match(elapsedNthTimeString(3),
                               std::regex(" \\d\\d:\\d\\d \\d+ \\d+")));
  stopNthTimer(9);
  EXPECT_EQ(elapsedNthTimeString(9), "");
  EXPECT_EQ(dialogs(), (std::vector<std::string>{"Timer 9 does not exist.",
                                                 "Timer 9 does not exist "}));
  startTimer();
  stopTimer();
  EXPECT_EQ(elapsedTimeString().substr(0, 7), " 00:00 ");

  std::string file = (std::filesystem::temp_directory_path() /
                      ("natives_" + std::to_string(::getpid()) + ".txt"))
                         .string();
  writeToFile("one\n", file);
  appendToFile("two", file);
  EXPECT_EQ(slurp(file), "one\ntwo");
  writeToFile("three", file);
  EXPECT_EQ(slurp(file), "three");
  std::filesystem::remove(file);
  dialogs().clear();
  writeToFile("x", "/nonexistent/dir/f.txt");
  EXPECT_EQ(dialogs().size(), 1u);
  // A write that fails part-way is reported as well.
  writeToFile("x", "/dev/full");
  appendToFile("x", "/dev/full");
  EXPECT_EQ(dialogs().size(), 3u);
  EXPECT_EQ(dialogs().back(),
            "Can not write file \"/dev/full\": No space left on device.");
  // A symbolic link in the file's place is replaced, not written through.
  std::filesystem::create_symlink(file + ".target", file);
  writeToFile("new", file);
  EXPECT_FALSE(std::filesystem::is_symlink(file));
  EXPECT_FALSE(std::filesystem::exists(file + ".target"));
  EXPECT_EQ(slurp(file), "new");
  std::filesystem::remove(file);

  dialogs().clear();
  showMsg("hello");
  bool yes = true, confirmed = true;
  ext_showMsgYesNo("sure?", yes);
  std::string answer = "old";
  ext_showMsgInputBox("name?", answer, confirmed);
  EXPECT_FALSE(yes);
  EXPECT_FALSE(confirmed);
  EXPECT_EQ(answer, "");
  EXPECT_EQ(dialogs(), (std::vector<std::string>{"hello"}));

  Kel_Var_2 p("ZEVA::Parameter");
  EXPECT_TRUE(IsAttrValEmpty(p, "paramNumber")); // null
  AddObj(p, "ZEVA::Parameter");
  EXPECT_TRUE(IsAttrValEmpty(p, "paramNumber"));
  SetAttrInt(p, "paramNumber", 0);
  EXPECT_FALSE(IsAttrValEmpty(p, "paramNumber"));
  EXPECT_TRUE(IsAttrValEmpty(p, "noSuchAttribute"));
}

} // namespace kel::test
