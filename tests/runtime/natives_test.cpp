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

TEST(Natives, ConversionsAndTheirFailures) {
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToString(7), "7");
  EXPECT_EQ(BoolToStr(false), "false");
  EXPECT_EQ(RealToStr(2.5), "2.5");
  EXPECT_EQ(RealToStr(0.1 + 0.2), "0.3");
  EXPECT_EQ(RealToStr(1e20), "1e+20");
  EXPECT_EQ(StrToInt("-12"), -12);
  EXPECT_EQ(StrToReal("2.5e1"), 25.0);
  for (const char *bad : {"", "1.5", "12a", " 1", "99999999999"}) {
    EXPECT_FALSE(IsInt(bad)) << bad;
    EXPECT_TRUE(aborts([&] { StrToInt(bad); })) << bad;
  }
  for (const char *bad : {"", "x", "1.2.3", " 1"}) {
    EXPECT_FALSE(IsReal(bad)) << bad;
    EXPECT_TRUE(aborts([&] { StrToReal(bad); })) << bad;
  }
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
