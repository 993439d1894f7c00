// NOT elements and links that the debug trace of a rule reports as matched
// (L17).
#include "lint_context.h"
#include "notation_support.h"

#include <gtest/gtest.h>

namespace {

using zlint::LintContext;
using zlint::Warning;

std::vector<Warning> found(const zrep::Repository &repo) {
  LintContext cx(repo);
  zlint::checkNotTrace(cx);
  return cx.warnings();
}

/// A procedure `head` over the class model of Customer and Order with
/// rules: a plain one, a foreach head and a while head, each forbidding an
/// order.
std::string shop(const std::string &head, const std::string &notLink) {
  return "project Shop at \"shop/Project.zvp\";\n"
         "classmodel Classes {\n  package Shop {\n"
         "    class Customer { orders: Order [*]; }\n"
         "    class Order { customer: Customer [1]; }\n"
         "    association CO (Customer.orders, Order.customer);\n  }\n}\n"
         "transformation Shop {\n  unit s compile {\n    main " +
         head +
         " {\n"
         "      def c: Customer;\n      def o: Order;\n      def p: Order;\n"
         "      start;\n"
         "      rule plain {\n        c: Customer;\n        o: Order;\n"
         "        not p: Order;\n        c -orders-> o;\n"
         "        " +
         notLink +
         " c -orders-> p;\n      }\n"
         "      foreach f {\n        head rule fh {\n          each c: "
         "Customer;\n          not o: Order;\n          c -orders-> o;\n"
         "        }\n      }\n"
         "      while w {\n        head rule wh {\n          c: Customer;\n"
         "          not o: Order;\n          c -orders-> o;\n        }\n"
         "      }\n"
         "      end;\n      start -> plain; plain -> f; plain else -> w;\n"
         "      f -> end; w -> end;\n    }\n  }\n}\n";
}

TEST(LintNotTrace, L17NotElementsAndLinksOfTracedRules) {
  auto traced = notationtest::importOk(shop("debug procedure m()", "not"));
  ASSERT_TRUE(traced);
  LintContext cx(*traced);
  std::vector<Warning> w = found(*traced);
  // The plain rule's and the foreach head's NOT elements; the while head
  // is not traced, and a normal NOT link is not listed.
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(cx.cls(w[0].element), "ZEVA::ClassElement");
  EXPECT_EQ(w[0].text, "the debug trace of 'm' lists the NOT element 'p' "
                       "after \"Pattern MATCHED.\" as if it had been found: "
                       "read its trace lines as \"absent\"");
  EXPECT_NE(w[1].text.find("NOT element 'o'"), std::string::npos);

  // A NOT link of kind Delete is listed as deleted.
  auto deleting =
      notationtest::importOk(shop("debug procedure m()", "not delete"));
  ASSERT_TRUE(deleting);
  std::vector<Warning> d = found(*deleting);
  ASSERT_EQ(d.size(), 3u);
  LintContext dx(*deleting);
  EXPECT_EQ(dx.cls(d[1].element), "ZEVA::AssocLink");
  EXPECT_NE(d[1].text.find("NOT link from 'c' to 'p' as DELETED"),
            std::string::npos)
      << d[1].text;

  // Without debugOn nothing is traced.
  auto plain = notationtest::importOk(shop("procedure m()", "not delete"));
  ASSERT_TRUE(plain);
  EXPECT_TRUE(found(*plain).empty());
}

} // namespace
