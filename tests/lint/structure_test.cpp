// L4-L8: structure that the compiler passes over without a message.
#include "lint.h"
#include "notation_support.h"

#include <gtest/gtest.h>

namespace {

using notationtest::importOk;

/// The warnings as "L<code> CLASS", in order.
std::vector<std::string> warnings(const zrep::Repository &repo) {
  std::vector<std::string> out;
  for (const zlint::Warning &w : zlint::lint(repo))
    out.push_back(
        "L" + std::to_string(w.code) + " " +
        (w.element ? repo.metamodel().classInfo(repo.classOf(w.element))->name
                   : std::string("-")));
  return out;
}

using Lines = std::vector<std::string>;

/// The `index`th object of exact class `cls`.
zrep::ObjectId nth(zrep::Repository &repo, const char *cls, int index = 0) {
  return repo.extentAt(repo.metamodel().classId(cls), index);
}

void unlink(zrep::Repository &repo, zrep::ObjectId from, const char *role,
            zrep::ObjectId to) {
  zrep::TypeId end = repo.metamodel().endId(repo.classOf(from), role);
  ASSERT_TRUE(repo.deleteLink(end, from, to)) << role;
}

void link(zrep::Repository &repo, zrep::ObjectId from, const char *role,
          zrep::ObjectId to) {
  zrep::TypeId end = repo.metamodel().endId(repo.classOf(from), role);
  ASSERT_TRUE(repo.createLink(end, from, to)) << role;
}

const char *kClasses = R"(
classmodel M {
  package P {
    class Shop { orders: Order [*]; }
    class Order { shop: Shop [1]; }
    association (Shop.orders, Order.shop);
  }
}
)";

/// A procedure with a rule and a foreach loop whose body is a text
/// statement, all correctly linked.
std::string loopModel(const std::string &head = "each o: Order;") {
  return std::string(kClasses) + R"(
transformation T {
  unit u compile {
    procedure p(s: Shop) {
      def o: Order;
      def o2: Order;
      start;
      rule r {
        s;
        o: Order;
        create s -orders-> o;
      }
      foreach loop {
        head rule h { )" +
         head + R"( }
        text visit { }
        h -> visit;
      }
      end;
      start -> r;
      r -> loop;
      r else -> end;
      loop -> end;
    }
    procedure q(t: Shop) { start; }
  }
}
)";
}

TEST(LintStructure, RuleAndLoopElementsMissingFromTheProcedureAreL4) {
  auto repo = importOk(loopModel());
  EXPECT_EQ(warnings(*repo), Lines{});
  zrep::ObjectId p = nth(*repo, "ZEVA::ZEVAprocedure");
  unlink(*repo, p, "ownedElement", nth(*repo, "ZEVA::AssocLink"));
  unlink(*repo, p, "ownedElement", nth(*repo, "ZEVA::TextStatement"));
  unlink(*repo, p, "ownedElement", nth(*repo, "ZEVA::ClassElement", 1));
  // A flow end outside loops counts when a flow of the procedure leads to
  // it (here two flows: one warning).
  unlink(*repo, p, "ownedElement", nth(*repo, "ZEVA::End"));
  EXPECT_EQ(warnings(*repo),
            (Lines{"L4 ZEVA::ClassElement", "L4 ZEVA::AssocLink",
                   "L4 ZEVA::TextStatement", "L4 ZEVA::End"}));
}

TEST(LintStructure, LoopheadOutsideItsLoopIsL5) {
  auto repo = importOk(loopModel());
  unlink(*repo, nth(*repo, "ZEVA::ForeachLoop"), "ownedFlowEnd",
         nth(*repo, "ZEVA::Rule", 1));
  EXPECT_EQ(warnings(*repo), Lines{"L5 ZEVA::ForeachLoop"});
  // A loop without loophead is the compiler's message 63.
  unlink(*repo, nth(*repo, "ZEVA::ForeachLoop"), "loophead",
         nth(*repo, "ZEVA::Rule", 1));
  EXPECT_EQ(warnings(*repo), Lines{});
}

TEST(LintStructure, FlowEndsNoFlowReachesAreL6) {
  auto repo = importOk(std::string(kClasses) + R"(
transformation T {
  unit u compile {
    procedure p() {
      start;
      text a { }
      text orphan { }
      text dead { }
      while w {
        text first { }
        text second { }
        text third { }
        first -> second;
      }
      foreach f {
        head rule h { each o: Order; }
        text body { }
      }
      end;
      start -> a;
      a -> w;
      w -> end;
      orphan -> dead;
      dead -> orphan;
    }
  }
}
)");
  // `orphan` and `dead` only reach each other; `third` follows nothing in
  // the while loop (whose head is `first`); the foreach loop is not reached,
  // and it, not its body, is what the compiler reports (66).
  EXPECT_EQ(warnings(*repo),
            (Lines{"L6 ZEVA::TextStatement", "L6 ZEVA::TextStatement",
                   "L6 ZEVA::TextStatement"}));
  // A procedure without a start node is not judged.
  unlink(*repo, nth(*repo, "ZEVA::ZEVAprocedure"), "ownedElement",
         nth(*repo, "ZEVA::Start"));
  EXPECT_EQ(warnings(*repo), Lines{});
}

TEST(LintStructure, RuleWithTwoLoopVariablesIsL7) {
  EXPECT_EQ(warnings(*importOk(loopModel("each o: Order; each o2: Order;"))),
            Lines{"L7 ZEVA::Rule"});
  EXPECT_EQ(warnings(*importOk(loopModel("each o: Order; o2: Order;"))),
            Lines{});
}

TEST(LintStructure, ReferencesOutsideTheProcedureAreL8) {
  auto repo = importOk(loopModel());
  // `s;` refers to the parameter s of p: relinked to q's parameter, then to
  // a class element.
  zrep::ObjectId s = nth(*repo, "ZEVA::ClassElement", 0);
  link(*repo, s, "referElem", nth(*repo, "ZEVA::Parameter", 1));
  EXPECT_EQ(warnings(*repo), Lines{"L8 ZEVA::ClassElement"});
  link(*repo, s, "referElem", nth(*repo, "ZEVA::ClassElement", 1));
  EXPECT_EQ(warnings(*repo), Lines{"L8 ZEVA::ClassElement"});
  // A definition of the procedure is as good as a parameter (the Order it
  // binds does not fit the link's end, though).
  link(*repo, s, "referElem", nth(*repo, "ZEVA::ClassElementDef", 1));
  EXPECT_EQ(warnings(*repo), Lines{"L3 ZEVA::AssocLink"});
}

} // namespace
