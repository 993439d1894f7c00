// Compiler messages: texts, severities and the element link.
#include "compiler_fixture.h"

#include "messages.h"

#include <algorithm>
#include <string_view>

namespace zeva::test {
namespace {

class MessagesTest : public CompilerTest {};

TEST_F(MessagesTest, TextsSpliceNamesAndKeepTheTableQuirks) {
  ObjectId m = model();
  kel::Kel_Var_2 element("ZEVA::Model");
  ASSERT_TRUE(kel::First(element, "ZEVA::Model"));
  std::pair<int, const char *> calls[] = {
      {20, "count"}, {20, ""}, {36, "isEmpty"}, {28, "ignored"}, {55, ""},
      {34, "x"},     {64, ""}, {500, "unused"}, {1001, ""},      {2, ""}};
  for (auto [number, name] : calls)
    printError(number, element, name);
  EXPECT_EQ(messages(),
            (std::vector<std::string>{
                "20 - An unknown identifier \"count\" !",
                "20 - An unknown identifier \"\" !",
                "36 - Incorrect syntax of the isEmpty method!",
                "28 - AND has no left operand",
                "55 - No loop variable in the loophead",
                "34 - An identifier  \"x\" after a dot is not attribute "
                "specification!",
                "64 - Nothing selected to compile!",
                "500 - Unknown error!",
                "1001 - MODEL CONSISTENCE ERROR!!!!!!",
                "2 - The parameter has no type specification!",
            }));
  for (ObjectId msg : all("Utility::CompilerMessages")) {
    bool warning = attr(msg, "text").starts_with("64 ");
    EXPECT_EQ(attr(msg, "CompilerMessageType"), warning ? "Warning" : "Error")
        << attr(msg, "text");
    EXPECT_EQ(partners(msg, "element"), std::vector<ObjectId>{m});
  }
}

TEST_F(MessagesTest, NullElementStillGivesAMessage) {
  kel::Kel_Var_2 none("ZEVA::Model");
  printError(3, none, "");
  EXPECT_EQ(messages(), std::vector<std::string>{
                            "3 - The variable has no type specification!"});
  ObjectId msg = all("Utility::CompilerMessages").at(0);
  EXPECT_EQ(attr(msg, "CompilerMessageType"), "Error");
  EXPECT_TRUE(partners(msg, "element").empty());
  EXPECT_EQ(dialogs(), std::vector<std::string>{"Null in AddLink."});
}

TEST(MessagesTable, HasARowForEachNumberAndNoOther) {
  for (int n = -1; n <= 1100; ++n) {
    const MessageRow *row = findMessage(n);
    bool inTable = (n >= 1 && n <= 79) || n == 1001;
    ASSERT_EQ(row != nullptr, inTable) << n;
    EXPECT_TRUE(!row || row->number == n) << n;
  }
}

// Explanations are printed wrapped, so they must be one paragraph of plain
// printable ASCII.
bool isPlainText(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return c >= ' ' && c <= '~';
  });
}

TEST(MessagesTable, EveryMessageHasAnExplanationAndNoOtherIs) {
  for (const MessageRow &row : allMessages())
    EXPECT_TRUE(isPlainText(findExplanation(row.number))) << row.number;
  int previous = 0;
  for (const Explanation &e : allExplanations()) {
    EXPECT_NE(findMessage(e.number), nullptr) << e.number;
    EXPECT_GT(e.number, previous) << "in increasing order";
    previous = e.number;
  }
  EXPECT_TRUE(isPlainText(crashExplanation()));
}

} // namespace
} // namespace zeva::test
