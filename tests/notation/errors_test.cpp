// Syntax and name errors: where, what, and all of them in one run.
#include "notation_support.h"

namespace {

using namespace notationtest;

const char *kClasses = R"(classmodel K {
  package Lib {
    class Book { title: String; copies: Integer; loans: Loan [*]; }
    class Reference : Book;
    class Loan { book: Book [1]; }
    association BookLoans (Book.loans, Loan.book);
  }
  primitive String;
  primitive Integer;
}
)";

std::string withProcedure(const std::string &body) {
  return std::string(kClasses) +
         "transformation T {\n unit u compile {\n"
         "  procedure proc(b: Book) {\n" +
         body + "  }\n }\n}\n";
}

TEST(NotationErrors, EachMistakeIsNamedAtItsPlace) {
  struct Case {
    std::string body, first;
  } cases[] = {
      {"start; rule r { x: Boook; } start -> r;\n",
       "t.zeva:14:20: error: unknown type 'Boook'; did you mean 'Book'?"},
      {"start; end; start -> ende;\n",
       "t.zeva:14:22: error: unknown node 'ende'; did you mean 'end'?"},
      {"var n: Integer; var n: String;\n",
       "t.zeva:14:21: error: 'n' is declared twice in this procedure"},
      {"start; start;\n", "t.zeva:14:8: error: a node named 'start' is "
                          "already in this procedure"},
      {"start; rule r { b; l: Loan; b -lones-> l; }\n",
       "t.zeva:14:32: error: 'Book' has no property 'lones'; did you mean "
       "'loans'?"},
      {"start; rule r { b; l: Loan; b -loans-> k; }\n",
       "t.zeva:14:40: error: unknown element 'k'"},
      {"start; rule r { c; }\n", "t.zeva:14:17: error: unknown variable 'c'"},
      {"def d: Book; start; rule r { d: Loan; }\n",
       "t.zeva:14:33: error: 'd' is defined with type 'Book', not 'Loan'"},
      {"start; rule r { b: Loan; }\n",
       "t.zeva:14:17: error: 'b' is a parameter or variable, not a definition: "
       "an element that stands for it is written 'b' alone"},
      {"start; rule r { b where copies > 0 }\n",
       "t.zeva:14:36: error: expected ';' after the expression"},
      {"start; call c = prc();\n",
       "t.zeva:14:17: error: unknown procedure 'prc'; did you mean 'proc'?"},
      {"start; text t { b.titel := \"x\"; }\n",
       "t.zeva:14:19: error: 'Book' has no property 'titel'; did you mean "
       "'title'?"},
      {"start; rule r { b @{ElemTyp = \"\"}; }\n",
       "t.zeva:14:21: error: 'ZEVA::ClassElement' has no attribute 'ElemTyp'; "
       "did you mean 'ElemType'?"},
      {"start; start -> ? @{isElse = \"maybe\"};\n",
       ""}, // any text is a Boolean
  };
  for (const Case &c : cases) {
    Imported r = importText(withProcedure(c.body));
    std::string first = r.errors.substr(0, r.errors.find('\n'));
    EXPECT_EQ(first, c.first) << c.body;
    EXPECT_EQ(!r.repo, !c.first.empty()) << c.body;
  }
}

TEST(NotationErrors, AllErrorsOfTheFileWithSourceLineAndCaret) {
  Imported r = importText("classmodel K {\n"
                          "\tclass A { x: Strin; }\n"
                          "  class B { y String; z: A; }\n"
                          "  primitive String\n"
                          "}\n");
  EXPECT_FALSE(r.repo);
  EXPECT_EQ(r.errors,
            "t.zeva:2:15: error: unknown type 'Strin'; did you mean 'String'?\n"
            " 2 | \tclass A { x: Strin; }\n"
            "   | \t             ^\n"
            "t.zeva:3:14: error: expected ';'\n"
            " 3 |   class B { y String; z: A; }\n"
            "   |              ^\n"
            "t.zeva:4:19: error: expected ';'\n"
            " 4 |   primitive String\n"
            "   |                   ^\n");
}

TEST(NotationErrors, BrokenTextNeverStopsTheReader) {
  // Unterminated names and expressions, stray bytes, bad escapes and
  // unbalanced blocks each give errors, and nothing is made.
  const char *texts[] = {
      "project \"open",
      "classmodel K { class A { x: \"\\q\"; } }",
      "transformation T { unit u { procedure p() { start; rule r { x where "
      "\"a; } } } }",
      "}}} project P; \x01 \xC3",
      "transformation T { unit u { procedure p() { call c = p(a, (b; } } }",
      "classmodel K { package P { class A : ?, B { } }",
      "transformation T { unit u { procedure p() { foreach l { head rule r "
      "{ } } head rule s { } } } }",
  };
  for (const char *text : texts) {
    Imported r = importText(text);
    EXPECT_FALSE(r.repo) << text;
    EXPECT_NE(r.errors.find("error:"), std::string::npos) << text;
  }
}

TEST(NotationErrors, NulCharactersAreRefused) {
  // A repository's texts end at a NUL, so an imported one could not be
  // loaded again: a raw NUL and the escape "\u0000" are errors.
  std::string raw = "start; text t { b.title := a";
  raw += '\0';
  raw += "b; }\n";
  struct Case {
    std::string body, first;
  } cases[] = {
      {raw, "t.zeva:14:29: error: a NUL character, which a repository cannot "
            "hold"},
      {"start; text t { b.title := `a\\u0000`; }\n",
       "t.zeva:14:30: error: '\\u0000' is a NUL character, which a repository "
       "cannot hold"},
      {"start; rule \"r\\u0000\" { b; }\n",
       "t.zeva:14:15: error: '\\u0000' is a NUL character, which a repository "
       "cannot hold"},
  };
  for (const Case &c : cases) {
    Imported r = importText(withProcedure(c.body));
    EXPECT_FALSE(r.repo) << c.body;
    EXPECT_EQ(r.errors.substr(0, r.errors.find('\n')), c.first) << c.body;
  }
}

} // namespace
