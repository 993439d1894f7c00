// Expressions that compile without a message into something else than they
// say: a trailing operator (L9), an attribute the assigned element's class
// lacks (L10), a built-in function without its primitive types (L11).
#include "lint_context.h"
#include "lint_support.h"
#include "notation_support.h"

#include <gtest/gtest.h>

namespace {

using zlint::LintContext;
using zlint::Warning;

std::vector<Warning> found(const zrep::Repository &repo, int code) {
  return linttest::found(zlint::checkExpressions, repo, code);
}

/// A shop whose procedure holds `body` (nodes and flows between start and
/// end) and whose class model has `primitives`.
std::string shop(const std::string &primitives, const std::string &body) {
  return "project Shop at \"shop/Project.zvp\";\n"
         "classmodel Classes {\n" +
         primitives +
         "  package Shop {\n"
         "    class Item { stock: Integer; label: String; }\n"
         "    class Gift : Item { wrap: String; }\n"
         "    class Shelf { place: String; }\n"
         "  }\n}\n"
         "transformation Shop {\n  unit store compile {\n"
         "    procedure restock(n: Integer) {\n"
         "      def item: Item;\n      def gift: Gift;\n"
         "      var count: Integer;\n"
         "      start;\n" +
         body + "      end;\n    }\n  }\n}\n";
}

const char *kAllTypes =
    "  primitive Integer;\n  primitive String;\n  primitive Boolean;\n";

TEST(LintExpressions, L9TrailingOperatorInEveryKindOfText) {
  auto repo = notationtest::importOk(shop(kAllTypes, R"(
      rule refill {
        item: Item where stock > 0 +;
        item.stock := stock *;
        item.label := "a+" + label;
      }
      rule fine {
        gift: Gift where stock - 1 > 0;
        gift.stock := stock - 1;
        gift.label := "x -";
      }
      call again = restock(n -);
      start -> refill; refill -> fine; fine -> again; again -> end;
)"));
  ASSERT_TRUE(repo);
  std::vector<Warning> w = found(*repo, 9);
  ASSERT_EQ(w.size(), 3u);
  LintContext cx(*repo);
  EXPECT_EQ(cx.cls(w[0].element), "ZEVA::ClassElement");
  EXPECT_NE(w[0].text.find("constraint \"stock > 0 +\" ends in the "
                           "operator \"+\""),
            std::string::npos)
      << w[0].text;
  EXPECT_EQ(cx.cls(w[1].element), "ZEVA::Assignment");
  EXPECT_NE(w[1].text.find("\"*\""), std::string::npos) << w[1].text;
  EXPECT_EQ(cx.cls(w[2].element), "ZEVA::CallParam");
  EXPECT_NE(w[2].text.find("argument \"n -\""), std::string::npos);
}

TEST(LintExpressions, L9FollowsTheLexerOnLineFeedsStringsAndArrows) {
  auto repo = notationtest::importOk(shop(kAllTypes, R"(
      text t { count := 1; }
      start -> t; t -> end;
)"));
  ASSERT_TRUE(repo);
  LintContext cx(*repo);
  zrep::ObjectId assignment = 0;
  repo->forEachObject([&](const zrep::Object &o) {
    if (cx.cls(o.id) == "ZEVA::Assignment")
      assignment = o.id;
  });
  zrep::TypeId expr =
      repo->metamodel().attrId(repo->classOf(assignment), "expr");
  auto warns = [&](const char *text) {
    repo->setValue(assignment, expr, text);
    return found(*repo, 9).size();
  };
  EXPECT_EQ(warns("count +  \r\n"), 1u); // blanks and CR LF trimmed
  EXPECT_EQ(warns("count -\n 1"), 0u);   // the line feed takes the "-"
  EXPECT_EQ(warns("count +\n"), 0u);
  EXPECT_EQ(warns("\"a\"+\"b+\""), 0u);
  EXPECT_EQ(warns("\"a\" +"), 1u);
  EXPECT_EQ(warns("p->"), 0u); // an arrow, not a minus
  EXPECT_EQ(warns("p-"), 1u);
  EXPECT_EQ(warns("\"unclosed +"), 0u); // stops the run; no lexems
  EXPECT_EQ(warns(""), 0u);
  EXPECT_EQ(warns("\n\n+"), 1u);
}

TEST(LintExpressions, L10AttributeOfAnotherClass) {
  auto repo = notationtest::importOk(shop(kAllTypes, R"(
      rule r {
        item: Item;
        gift: Gift;
        item.stock := 1;
        gift.stock := 2;
        gift.wrap := "red";
      }
      start -> r; r -> end;
)"));
  ASSERT_TRUE(repo);
  // The inherited stock of gift and its own wrap are fine.
  EXPECT_TRUE(found(*repo, 10).empty());
  LintContext cx(*repo);
  std::vector<zrep::ObjectId> assignments;
  zrep::ObjectId wrap = 0, place = 0, integer = 0;
  repo->forEachObject([&](const zrep::Object &o) {
    if (cx.cls(o.id) == "ZEVA::Assignment")
      assignments.push_back(o.id);
    if (cx.cls(o.id) == "Kernel::Property" && cx.attr(o.id, "name") == "wrap")
      wrap = o.id;
    if (cx.cls(o.id) == "Kernel::Property" && cx.attr(o.id, "name") == "place")
      place = o.id;
    if (cx.cls(o.id) == "ZEVA::Variable")
      integer = o.id;
  });
  ASSERT_EQ(assignments.size(), 3u);
  const zrep::Metamodel &mm = repo->metamodel();
  zrep::TypeId attribute = mm.endId(repo->classOf(assignments[0]), "attribute");
  zrep::TypeId assigned =
      mm.endId(repo->classOf(assignments[0]), "assignedElement");
  // item gets the subclass's wrap, gift the unrelated class's place, and the
  // Integer variable an attribute at all.
  repo->createLink(attribute, assignments[0], wrap);
  repo->createLink(attribute, assignments[1], place);
  repo->createLink(assigned, assignments[2], integer);
  std::vector<Warning> w = found(*repo, 10);
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0].element, assignments[0]);
  EXPECT_NE(w[0].text.find("'wrap' of 'item', whose class 'Item' has no "
                           "such attribute ('wrap' belongs to 'Gift')"),
            std::string::npos)
      << w[0].text;
  EXPECT_NE(w[1].text.find("'place' of 'gift'"), std::string::npos);
  EXPECT_NE(w[2].text.find("whose type 'Integer'"), std::string::npos)
      << w[2].text;
}

TEST(LintExpressions, L10SurvivesBrokenAndCyclicModels) {
  auto repo = notationtest::loadJson(R"({"format": "zeva-repository",
    "version": 1, "objects": [
    {"id": 1, "class": "Kernel::Class", "attrs": {"name": "A"},
     "links": {"generalization": [3]}},
    {"id": 2, "class": "Kernel::Class", "attrs": {"name": "B"},
     "links": {"generalization": [4], "ownedAttribute": [5]}},
    {"id": 3, "class": "Kernel::Generalization", "links": {"general": [2]}},
    {"id": 4, "class": "Kernel::Generalization", "links": {"general": [1]}},
    {"id": 5, "class": "Kernel::Property", "attrs": {"name": "b"}},
    {"id": 6, "class": "Kernel::Property", "attrs": {"name": "loose"}},
    {"id": 7, "class": "ZEVA::ClassElementDef", "attrs": {"refName": "a"},
     "links": {"type": [1]}},
    {"id": 8, "class": "ZEVA::ClassElement", "links": {"def": [7]}},
    {"id": 9, "class": "ZEVA::Assignment", "attrs": {"expr": "1"},
     "links": {"assignedElement": [8], "attribute": [5]}},
    {"id": 10, "class": "ZEVA::Assignment", "attrs": {"expr": "1"},
     "links": {"assignedElement": [8], "attribute": [6]}},
    {"id": 11, "class": "ZEVA::Assignment", "links": {"attribute": [6]}},
    {"id": 12, "class": "ZEVA::ClassElement"},
    {"id": 13, "class": "ZEVA::Assignment",
     "links": {"assignedElement": [12], "attribute": [6]}}]})");
  ASSERT_TRUE(repo);
  std::vector<Warning> w = found(*repo, 10);
  // Inherited through a cycle of generalizations: fine; an attribute of no
  // class: warned; no target, or a target without source: nothing to say.
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].element, 10);
}

TEST(LintExpressions, L11BuiltinWithoutItsPrimitiveTypes) {
  std::string body = R"(
      rule r {
        item: Item where size(label) > 0 and label.size(1) = 0;
        item.stock := toInteger("5") + indexOf(label, "a");
        item.label := toUpper(label);
      }
      text t { count := n->size(); }
      start -> r; r -> t; t -> end;
)";
  auto complete = notationtest::importOk(shop(kAllTypes, body));
  ASSERT_TRUE(complete);
  EXPECT_TRUE(found(*complete, 11).empty());

  // A class model whose texts are of the primitive type Text.
  std::string textModel = shop("  primitive Integer;\n  primitive Text;\n",
                               R"(
      rule r {
        item: Item where size(label) > 0 and label.size(1) = 0;
        item.stock := toInteger("5") + indexOf(label, "a");
        item.label := @toUpper(label);
      }
      text t { count := n->size(); }
      start -> r; r -> t; t -> end;
)");
  for (std::size_t at; (at = textModel.find(": String;")) != std::string::npos;)
    textModel.replace(at, 9, ": Text;");
  auto repo = notationtest::importOk(textModel);
  ASSERT_TRUE(repo);
  std::vector<Warning> w = found(*repo, 11);
  // One warning per text and missing type; label.size and n->size are no
  // calls of the built-in size.
  ASSERT_EQ(w.size(), 3u);
  EXPECT_NE(w[0].text.find("calls size, which needs the primitive type "
                           "String that the class model lacks"),
            std::string::npos)
      << w[0].text;
  EXPECT_NE(w[1].text.find("calls toInteger"), std::string::npos);
  EXPECT_NE(w[2].text.find("calls toUpper"), std::string::npos);
}

} // namespace
