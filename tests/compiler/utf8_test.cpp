#include "rules_fixture.h"

#include "repo_file.h"

#include <map>

namespace zeva::test {

// Multi-byte letters anywhere in expression texts: whatever the compiler
// makes of them, every text it leaves holds whole characters, so the saved
// repository loads again.
class Utf8Test : public RulesTest {
protected:
  void SetUp() override {
    RulesTest::SetUp();
    ObjectId km = partners(pk, "owningPackage").at(0);
    ObjectId integer = named("Kernel::PrimitiveType", "Integer", km);
    ObjectId string = named("Kernel::PrimitiveType", "String", km);
    named("Kernel::PrimitiveType", "Boolean", km);
    ObjectId color = named("Kernel::Enumeration", "Färbe", pk);
    link(color, "ownedLiteral", named("Kernel::EnumerationLiteral", "Röt"));
    ObjectId a = cls("A");
    std::map<std::string, ObjectId> attributes;
    for (auto [name, type] : {std::pair{"n", integer},
                              {"s", string},
                              {"näme", string},
                              {"tint", color}}) {
      ObjectId p = named("Kernel::Property", name);
      link(p, "type", type);
      link(a, "ownedAttribute", p);
      attributes[name] = p;
    }
    ObjectId r = rule(start, end);
    x = elem(r, "x", a);
    value = assign(r, x, "", attributes["s"]);
  }

  /// The messages of a compile with `constraint` on x and x.s := `expr`;
  /// the saved result must load again.
  std::vector<std::string> compileWith(const char *constraint,
                                       const char *expr) {
    setAttr(x, "constraint", constraint);
    setAttr(value, "expr", expr);
    compile();
    zrep::LoadResult back =
        zrep::loadRepositoryText(zrep::saveRepositoryText(repo), "saved");
    EXPECT_TRUE(back.repo) << (back.problems.empty() ? "" : back.problems[0]);
    return messages();
  }

  ObjectId x = 0, value = 0;
};

TEST_F(Utf8Test, MultiByteLettersAnywhereLeaveALoadableRepository) {
  auto unknown = [](const char *name) {
    return std::string("20 - An unknown identifier \"") + name + "\" !";
  };
  struct Case {
    const char *constraint, *expr;
    std::vector<std::string> messages;
  } cases[] = {
      // A line feed takes the whole letter before it, of two, three or
      // four bytes.
      {"ȸ\n", "\"ö\"", {}},
      {"aȸ\n", "\"ö\"", {unknown("a")}},
      {"s = \"x\" and ü€\r\n", "s + ö😀\n", {unknown("ü€"), unknown("ö")}},
      // At the start and at the end.
      {"ȸ = s", "\"ö\"", {"65 - An unknown identifier \"ȸ\" in a constraint!"}},
      {"näme = s\r\n and ȸ", "\"ö\"", {unknown("ȸ")}},
      // Inside string constants, line breaks included.
      {"s = \"ȸ\n\" and näme <> \"é\"\n", "\"€\" + näme + \"😀\n\"", {}},
      // In the arguments of every built-in function.
      {"size(näme) = 1 and indexOf(s, \"ȸ\") > toInteger(\"ü\")",
       "substring(\"aȸ€\", 2, 3) + toLower(\"Ä\") + toUpper(näme)",
       {}},
      {"toBoolean(\"ȸ\") and tint = toEnum(\"Röt\")",
       "toString(n€\n) + \"ȸ\"",
       {}},
      {"size(ȸ\n) = 1",
       "toUpper(ü€\n)",
       {"9 - No parameters in a call of the Length function!", unknown("ü")}},
      {"tint = toEnum(ȸ\n)",
       "toLower(€😀\n)",
       {"6 - No parameters in a call of the toEnum!", unknown("€")}},
      {"indexOf(ä€, s) = 1",
       "substring(s, 1, 😀)",
       {unknown("ä€"), unknown("😀")}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.constraint) + " / " + c.expr);
    EXPECT_EQ(compileWith(c.constraint, c.expr), c.messages);
  }
}

} // namespace zeva::test
