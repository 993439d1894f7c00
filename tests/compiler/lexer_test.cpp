#include "compiler_fixture.h"

#include "../../compiler/expressions/lexer.h"
#include "../../compiler/program/cleanup.h"

#include <algorithm>

namespace zeva::test {

using kel::CurId;
using kel::Kel_Var_2;

class LexerTest : public CompilerTest {
protected:
  /// "val:sort" of the chain from `from` on, blank-separated; checks that
  /// every "prev1" mirrors "next1" and counts the lexems in `walked`.
  std::string render(const Kel_Var_2 &from) {
    std::string out;
    ObjectId before = 0;
    walked = 0;
    for (ObjectId l = CurId(from); l; ++walked) {
      if (before) {
        EXPECT_EQ(partners(l, "prev1"), std::vector<ObjectId>{before});
      }
      out += (before ? " " : "") + attr(l, "val") + ":" + attr(l, "sort");
      before = l;
      auto next = partners(l, "next1");
      l = next.empty() ? 0 : next[0];
    }
    return out;
  }
  std::size_t walked = 0;
  /// "val" of every lexem in creation order, joined by "|".
  std::string created() {
    std::vector<ObjectId> ids = all("Le");
    std::sort(ids.begin(), ids.end());
    std::string out;
    for (ObjectId id : ids)
      out += (out.empty() ? "" : "|") + attr(id, "val");
    return out;
  }
};

TEST_F(LexerTest, TextsBecomeChainsBySplittingAtTheHighestRankedToken) {
  struct Case {
    const char *text;
    bool trimmed; // GetLexems, or divideIntoLexems and the first lexem
    const char *chain;
  } cases[] = {
      {"a<>b x=1", true,
       "a:ident !=:rel_sign b:ident x:ident ==:rel_sign 1:Integer"},
      {"p->name a>=b a<=b", true,
       "p:ident ->:arrow name:ident a:ident >=:rel_sign b:ident a:ident "
       "<=:rel_sign b:ident"},
      // ">=" outranks "->", so the arrow is never formed.
      {"a->=b", true, "a:ident -:minus_sign >=:rel_sign b:ident"},
      // The blank between ":=" and the string is a part of its own, and
      // blank-only parts are dropped.
      {"s := \"a b\" + t", false,
       "s:ident  :space :=:as_sign \"a b\":String  :space +:plus_sign  :space "
       "t:ident"},
      {"s := \"a b\" + t", true,
       "s:ident :=:as_sign \"a b\":String +:plus_sign t:ident"},
      {"f(\"a,b\")", true,
       "f:ident (:left_bracket \"a,b\":String ):right_bracket"},
      {"not x and y", true, "not:boolop x:ident and:boolop y:ident"},
      {"NULL null And true", true,
       "NULL:null null:ident And:ident true:Boolean"},
      {"a.b(1,2)", true,
       "a:ident .:dot b:ident (:left_bracket 1:Integer ,:comma 2:Integer "
       "):right_bracket"},
      {"12ab a\tb", true, "12ab:Integer a\tb:ident"},
      // Both ends of the digits, and the characters just outside them.
      {"0x 9 /a :b", true, "0x:Integer 9:Integer /a:ident :b:ident"},
      // The line feed takes the character before it, even a blank or the
      // "=" of ":=", since it outranks them.
      {"a\r\nb", false, "a:ident \r\n:new_line b:ident"},
      {"a \nb", false, "a:ident  \n:new_line b:ident"},
      {"x:=\n", false, "x::ident =\n:new_line"},
      // That character is a whole UTF-8 character, of two, three or four
      // bytes.
      {"ȸ\n", false, "ȸ\n:new_line"},
      {"aȸ\nb€\r\n😀\n", false,
       "a:ident ȸ\n:new_line b€:ident \r\n:new_line 😀\n:new_line"},
      {"=€\n", false, "==:rel_sign €\n:new_line"},
      // At the start of a piece the line feed stands alone.
      {"\nx", false, "\n:new_line x:ident"},
      {"\"s\"\nx", false, "\"s\":String \n:new_line x:ident"},
      // Trimming removes runs of blank and line lexems, the first included.
      {" x  \n y ", true, "x:ident y:ident"},
      {"   ", true, ""},
      {"", false, ":ident"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    ClearLexems();
    Kel_Var_2 lexem("Le"), first("Le");
    if (c.trimmed) {
      GetLexems(c.text, lexem);
      first = lexem;
    } else {
      divideIntoLexems(c.text, lexem);
      findFirstLexem(lexem, first);
    }
    EXPECT_EQ(render(first), c.chain);
    EXPECT_EQ(kel::IsNull(first), *c.chain == '\0');
    EXPECT_TRUE(partners(CurId(first), "prev1").empty());
    EXPECT_EQ(all("Le").size(), walked) << "lexems outside the chain";
  }
}

TEST_F(LexerTest, SortSearchAndArgumentEnds) {
  Kel_Var_2 lexem("Le"), call("Le"), end("Le"), found("Le"), last("Le");
  GetLexems("f(g(1,2),3)", lexem);
  ASSERT_TRUE(findLexem("left_bracket", lexem, call));
  // Depth 1 from the call's bracket passes over g's arguments.
  findEndOfExpression(call, end, 1);
  EXPECT_EQ(render(end), ",:comma 3:Integer ):right_bracket");
  findEndOfExpression(end, end, 1);
  EXPECT_EQ(render(end), "):right_bracket");

  // The chain ends before the argument does: `end` stays where it was.
  end = lexem;
  findEndOfExpression(call, end, 2);
  EXPECT_EQ(CurId(end), CurId(lexem));
  findLastLexem(lexem, last);
  findEndOfExpression(last, end, 1);
  EXPECT_EQ(CurId(end), CurId(lexem));

  // findLexem starts at the lexem itself and leaves `found` alone on a miss.
  ASSERT_TRUE(findLexem("ident", lexem, found));
  EXPECT_EQ(CurId(found), CurId(lexem));
  EXPECT_FALSE(findLexem("String", lexem, found));
  EXPECT_EQ(CurId(found), CurId(lexem));

  Kel_Var_2 none("Le");
  findFirstLexem(none, found);
  EXPECT_TRUE(kel::IsNull(found));
}

TEST_F(LexerTest, UnterminatedStringStopsTheRun) {
  Kel_Var_2 lexem("Le");
  bool stopped = false;
  try {
    GetLexems("x + \"a\" + \"b", lexem);
  } catch (const kel::Kel_Var_2_Exception &) {
    stopped = true;
  }
  EXPECT_TRUE(stopped);
  EXPECT_EQ(dialogs(),
            std::vector<std::string>{"String constant formation ERROR"});
  // It stops when the piece holding the open quote comes up: after the
  // first string and the whole part to its left.
  EXPECT_EQ(created(), "\"a\"| |x| |+");
}

TEST_F(LexerTest, LexemsAreCreatedTokenFirstThenLeftPartThenRightPart) {
  Kel_Var_2 lexem("Le");
  divideIntoLexems("f(x) := \"s\" + a*b", lexem);
  EXPECT_EQ(created(), "\"s\"|:=| |(|f|)|x| | |+|*|a|b");
  // The out lexem is the one that split the whole text.
  EXPECT_EQ(CurId(lexem), all("Le").front());
}

TEST_F(LexerTest, AHundredThousandLexemsNeedNoDeepRecursion) {
  // Each split leaves all the rest of the text to its right part, so
  // recursive splitting would go 100,000 calls deep; so would a recursive
  // trim walking the chain.
  std::string sum;
  for (int i = 0; i < 50000; ++i)
    sum += "a+";
  sum += "a";
  Kel_Var_2 lexem("Le"), last("Le");
  GetLexems(sum, lexem);
  EXPECT_EQ(all("Le").size(), 100001u);
  findLastLexem(lexem, last);
  EXPECT_EQ(attr(CurId(lexem), "val") + attr(CurId(last), "val"), "aa");
  EXPECT_TRUE(partners(CurId(lexem), "prev1").empty());
}

} // namespace zeva::test
