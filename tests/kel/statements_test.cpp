// Statement texts and expression chains as the compiler writes them, read
// into syntax; and the texts a reader must refuse, with the column.
#include "statements.h"

#include <gtest/gtest.h>

namespace {

using kel::Expr;
using kel::Statement;

std::vector<Statement> parse(const std::string &text) {
  std::vector<Statement> out;
  auto error = kel::parseStatements(text, out);
  EXPECT_FALSE(error) << text << ": " << (error ? error->message : "");
  return out;
}

TEST(StatementsTest, PreludeAndInstrumentationTexts) {
  // The indentation procedure of every main unit: eight statements with
  // their own labels and a test with an else label.
  auto reset = parse("setVar _IDENTstr=\"\\n\";\nsetVar i=_IDENTint;\nlabel "
                     "start;\nvar i>1 else ret;\nsetVar "
                     "_IDENTstr=_IDENTstr+\"\\t\";\nsetVar i=i-1;\ngoto "
                     "start;\nlabel ret");
  ASSERT_EQ(reset.size(), 8u);
  EXPECT_EQ(reset[0].value.kind, Expr::Str);
  EXPECT_EQ(reset[0].value.text, "\n");
  EXPECT_EQ(reset[2].kind, Statement::Label);
  EXPECT_EQ(reset[3].kind, Statement::VarTest);
  EXPECT_EQ(reset[3].op, ">");
  EXPECT_EQ(reset[3].elseLabel, "ret");
  EXPECT_EQ(reset[4].value.kind, Expr::Binary);
  EXPECT_EQ(reset[4].value.args[1].text, "\t");
  EXPECT_EQ(reset[6].kind, Statement::Goto);

  // A trace line: a native's result, then a call with a joined text; a
  // ";" inside a string does not end the statement.
  auto trace = parse("setVarF _mvar_65=IntToStr(total);\ncall "
                     "appendToFile(\"a;\\nb=\"+_mvar_65,\"debug.txt\")");
  ASSERT_EQ(trace.size(), 2u);
  EXPECT_EQ(trace[0].kind, Statement::SetVarF);
  EXPECT_EQ(trace[0].value.kind, Expr::Call);
  EXPECT_EQ(trace[1].args.size(), 2u);
  EXPECT_EQ(trace[1].args[0].args[0].text, "a;\nb=");

  // Empty argument positions, a value left to the Expression object.
  auto call = parse("call p(,x,)");
  EXPECT_EQ(call[0].emptyArgs, (std::vector<bool>{true, false, true}));
  auto open = parse("setAttr loan.status=");
  EXPECT_EQ(open[0].object, "loan");
  EXPECT_FALSE(open[0].hasValue);

  // Qualified class names after "addObj NAME:"; link parts; a backslash
  // before another letter stays.
  auto add = parse("addObj loan:library::Loan");
  EXPECT_EQ(add[0].name, "loan");
  EXPECT_EQ(add[0].cls, "library::Loan");
  auto link = parse("deleteLink ln.member.m");
  EXPECT_EQ(link[0].object + "|" + link[0].role + "|" + link[0].name,
            "ln|member|m");
  EXPECT_EQ(parse("setVar s=\"C:\\dir\"")[0].value.text, "C:\\dir");
}

TEST(StatementsTest, TestsAndSearchTexts) {
  Statement t;
  ASSERT_FALSE(kel::parseTest("type rb!=library::ReferenceBook", t));
  EXPECT_EQ(t.kind, Statement::TypeTest);
  EXPECT_EQ(t.cls, "library::ReferenceBook");
  ASSERT_FALSE(kel::parseTest("pointer _mpointer_3!=_mpointer_4", t));
  EXPECT_EQ(t.kind, Statement::PointerTest);
  // Only tests are Ekom texts.
  EXPECT_TRUE(kel::parseTest("setVar x=1", t));

  kel::SearchText st;
  ASSERT_FALSE(kel::parseSearchText("library::Member from lib by members", st));
  EXPECT_EQ(st.cls + "|" + st.from + "|" + st.role,
            "library::Member|lib|members");
  ASSERT_FALSE(kel::parseSearchText("library::Loan", st));
  EXPECT_TRUE(st.from.empty());
  EXPECT_TRUE(kel::parseSearchText("library::Loan from lib", st));
}

TEST(StatementsTest, RefusedTextsNameTheColumn) {
  struct Case {
    const char *text;
    std::size_t column;
    const char *message;
  } cases[] = {
      {"setVar x", 9, "expected \"=\""},
      {"jump x", 1, "\"jump\" is not a statement"},
      {"setVar x=\"open", 15, "not closed"},
      {"setVar x=1 2", 12, "unexpected text"},
      {"call p(a b)", 10, "expected \",\" or \")\""},
      {"setVar x=1;\nsetVar y=", 0, ""}, // fine: an expression follows
  };
  for (const Case &c : cases) {
    std::vector<Statement> out;
    auto error = kel::parseStatements(c.text, out);
    if (!*c.message) {
      EXPECT_FALSE(error) << c.text;
      continue;
    }
    ASSERT_TRUE(error) << c.text;
    EXPECT_EQ(error->column, c.column) << c.text << ": " << error->message;
    EXPECT_NE(error->message.find(c.message), std::string::npos)
        << c.text << ": " << error->message;
  }
}

TEST(StatementsTest, ElementChainsKeepPrecedence) {
  using E = kel::ExprElem;
  auto el = [](E::Kind k, const char *name, const char *type = "") {
    E e;
    e.kind = k;
    e.name = name;
    e.type = type;
    return e;
  };
  // m.loanCount + 2 * (n - 1)
  E atr = el(E::Atr, "loanCount", "Integer");
  atr.pointer = "m";
  std::vector<E> chain = {atr,
                          el(E::Op, "+"),
                          el(E::Const, "2", "Integer"),
                          el(E::Op, "*"),
                          el(E::Brack, "("),
                          el(E::Vari, "n", "Integer"),
                          el(E::Op, "-"),
                          el(E::Const, "1", "Integer"),
                          el(E::Brack, ")")};
  Expr e;
  ASSERT_FALSE(kel::parseElements(chain, e));
  ASSERT_EQ(e.kind, Expr::Binary);
  EXPECT_EQ(e.op, '+');
  EXPECT_EQ(e.args[0].kind, Expr::Attr);
  EXPECT_EQ(e.args[1].op, '*');
  EXPECT_EQ(e.args[1].args[1].op, '-');

  // A String constant keeps its quotes; a lone operator is refused.
  ASSERT_FALSE(
      kel::parseElements({el(E::Const, "\"City Library\"", "String")}, e));
  EXPECT_EQ(e.text, "City Library");
  EXPECT_TRUE(kel::parseElements({el(E::Vari, "n"), el(E::Op, "+")}, e));
  EXPECT_TRUE(kel::parseElements({el(E::Const, "plain", "String")}, e));
}

} // namespace
