#include "rules_fixture.h"

#include "../../compiler/rules/subclasses.h"

namespace zeva::test {

// A reference element y with navigated neighbours: searches nest along the
// links, a second link between bound elements becomes a test, and the
// deletions follow the actions in the reverse order of their finding.
TEST_F(RulesTest, NavigationLinkTestsAndDeletions) {
  ObjectId a = cls("A"), b = cls("B");
  ObjectId toB = end_("b", b), toA = end_("a", a), next = end_("next", b);
  ObjectId r = rule(start, end);
  ObjectId y = ref(r, variable("y", a));
  ObjectId x = elem(r, "x", b, "Delete");
  ObjectId z = elem(r, "z", b);
  ObjectId w = elem(r, "w", b, "Delete");
  ObjectId n = elem(r, "n", b, "Create");
  assoc(r, y, x, toB, toA);
  assoc(r, y, z, toB, toA, "Delete");
  assoc(r, x, z, toB, toB);
  assoc(r, z, w, next, toB, "Delete"); // to a deleted element: no deleteLink
  assoc(r, z, n, next, toB, "Create"); // made by the actions
  compile();
  EXPECT_EQ(body(), R"(  _mlabel_2:
  if
    first x : pk::B from y by b
    suchthat
      first z : pk::B from x by b
      suchthat
        first w : pk::B from z by next
        link z.a.y
      end
    end
  then
    addObj n:pk::B
    addLink z.next.n
    deleteLink z.a.y
    deleteObj w
    deleteObj x
    goto _mlabel_1
  else
    return
  end
  _mlabel_1:
  return
end
)");
  EXPECT_EQ(messages(), std::vector<std::string>{});
  EXPECT_EQ(partners(x, "kom").size(), 1u);
  EXPECT_TRUE(all("Komblock").size() > 0);
  EXPECT_TRUE(partners(r, "tempblock").empty()); // moved into the body
}

// NOT-links are never followed: the far end is searched from a root of its
// own and the link becomes a "noLink" test. NOT-elements are searches that
// must fail: after their neighbours, closed by an unlabelled jump.
TEST_F(RulesTest, NotLinksAndNotElements) {
  ObjectId a = cls("A"), b = cls("B");
  ObjectId toB = end_("b", b), toA = end_("a", a), c = end_("c", a);
  ObjectId r = rule(start, end);
  ObjectId x = elem(r, "x", a);
  ObjectId z = elem(r, "z", b);
  assoc(r, x, z, toB, toA, "Normal", true);
  ObjectId lone = elem(r, "lone", b, "Normal", true);
  ObjectId y = ref(r, variable("y", a));
  ObjectId n = elem(r, "n", b, "Normal", true);
  ObjectId m = elem(r, "m", a);
  assoc(r, y, n, toB, toA);
  assoc(r, n, m, c, toB);
  (void)lone;
  compile();
  EXPECT_EQ(body(), R"(  _mlabel_2:
  if
    first m : pk::A
    suchthat
      first n : pk::B from y by b else goto _mlabel_3
      suchthat
        link m.b.n
      end
      goto
      _mlabel_3:
    end
    first x : pk::A
    suchthat
      first z : pk::B
      suchthat
        noLink z.a.x
      end
    end
    first lone : pk::B else goto _mlabel_4
    goto
    _mlabel_4:
  then
    goto _mlabel_1
  else
    return
  end
  _mlabel_1:
  return
end
)");
  EXPECT_EQ(messages(), std::vector<std::string>{});
}

} // namespace zeva::test
