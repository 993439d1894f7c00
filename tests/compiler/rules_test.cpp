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
  EXPECT_TRUE(partners(r, "tempblock").empty()); // moved into the body
}

// Objects of abstract classes and of types that are no class are not
// created; their links and assignments still are.
TEST_F(RulesTest, CreationsLeftOut) {
  ObjectId km = partners(pk, "owningPackage").at(0);
  ObjectId integer = named("Kernel::PrimitiveType", "Integer", km);
  ObjectId a = cls("A"), b = cls("B");
  setAttr(a, "isAbstract", "true");
  ObjectId v = end_("v", integer), toA = end_("r", a);
  link(a, "ownedAttribute", v);
  ObjectId r = rule(start, end);
  ObjectId x = elem(r, "x", b);
  ObjectId abstract = elem(r, "a", a, "Create");
  ObjectId number = elem(r, "i", integer, "Create");
  elem(r, "n", b, "Create");
  assoc(r, x, abstract, toA, toA, "Create");
  assign(0, abstract, "1", v);
  compile();
  EXPECT_EQ(firstLines(body(), 9), R"(  _mlabel_2:
  if
    first x : pk::B
  then
    addObj n:pk::B
    addLink x.r.a
    setAttr a.v=1
    goto _mlabel_1
  else
)");
  EXPECT_EQ(messages(), (std::vector<std::string>{
                            "79 - Creating instance of abstract class!",
                            "78 - Class element with non-class type!"}));
  EXPECT_EQ(partners(all("Utility::CompilerMessages")[1], "element"),
            std::vector<ObjectId>{number});
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
  elem(r, "lone", b, "Normal", true);
  ObjectId y = ref(r, variable("y", a));
  ObjectId n = elem(r, "n", b, "Normal", true);
  ObjectId m = elem(r, "m", a);
  assoc(r, y, n, toB, toA);
  assoc(r, n, m, c, toB);
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

// A root annotated "single" opens no block of its own, a root annotated
// "start" is searched first; an end typed by another class than the
// element's excludes every class outside the element's subclass tree.
TEST_F(RulesTest, RootsAndSubclassTests) {
  ObjectId top = cls("S"), a = cls("A", top), b = cls("B", a);
  cls("C", a);
  cls("D", b);
  ObjectId item = end_("item", top), owner = end_("owner", b);
  ObjectId r1 = rule(start, 0);
  ObjectId x = elem(r1, "x", a);
  ObjectId s = elem(r1, "s", top);
  annotate(s, "single");
  ObjectId sx = assoc(r1, s, x, item, owner);
  ObjectId r2 = rule(r1, end);
  ObjectId u = elem(r2, "u", b);
  ObjectId v = elem(r2, "v", b);
  annotate(v, "start");
  assoc(r2, u, v, owner, owner);
  compile();
  EXPECT_EQ(body(), R"(  _mlabel_2:
  if
    first s : pk::S
    first x : pk::A from s by item
    suchthat
      type x!=pk::A else goto _mlabel_4
      type x!=pk::B else goto _mlabel_4
      type x!=pk::D else goto _mlabel_4
      type x!=pk::C else goto _mlabel_4
      goto
      _mlabel_4:
    end
  then
    goto _mlabel_3
  else
    return
  end
  _mlabel_1:
  return
  _mlabel_3:
  if
    first v : pk::B
    suchthat
      first u : pk::B from v by owner
    end
  then
    goto _mlabel_1
  else
    return
  end
end
)");
  // The end at the element decides: `dir` 1 names the link's "from" end.
  EXPECT_TRUE(IsLinkToClassElementToAbstractClass(at(sx), at(a), 0));
  EXPECT_FALSE(IsLinkToClassElementToAbstractClass(at(sx), at(top), 0));
  EXPECT_FALSE(IsLinkToClassElementToAbstractClass(at(sx), at(b), 1));
  ObjectId bare = assoc(r2, u, v, 0);
  EXPECT_TRUE(IsLinkToClassElementToAbstractClass(at(bare), at(b), 1));
}

// Loopheads: a foreach loop iterates over the loop variable's matches (from
// its anchor when it has one), a while loop re-matches its pattern after
// each pass through the body.
TEST_F(RulesTest, Loopheads) {
  ObjectId a = cls("A"), b = cls("B");
  ObjectId toA = end_("a", a), toB = end_("b", b), items = end_("items", a);
  ObjectId y = variable("y", a);
  auto loop = [&](const char *kind) {
    ObjectId l = element(proc, kind);
    flow(proc, l, end);
    return l;
  };
  auto inside = [&](ObjectId l, const char *kind) {
    ObjectId e = element(proc, kind);
    link(l, "ownedFlowEnd", e);
    return e;
  };
  auto head = [&](ObjectId l) {
    ObjectId h = inside(l, "ZEVA::Rule");
    link(l, "loophead", h);
    return h;
  };
  ObjectId anchored = loop("ZEVA::ForeachLoop");
  flow(proc, start, anchored);
  ObjectId h1 = head(anchored);
  ObjectId t1 = inside(anchored, "ZEVA::TextStatement");
  flow(proc, h1, t1);
  ObjectId v = elem(h1, "v", b, "LoopVariable");
  assoc(h1, ref(h1, y), v, items, toA); // the end is typed by another class
  assoc(h1, v, elem(h1, "k", a), toA, toB);

  ObjectId free = loop("ZEVA::ForeachLoop");
  ObjectId h2 = head(free);
  elem(h2, "w", b, "LoopVariable");
  flow(proc, t1, h2);
  flow(proc, h2, inside(free, "ZEVA::TextStatement"), true);

  ObjectId notFixed = loop("ZEVA::ForeachLoop");
  setAttr(notFixed, "notFixed", "true");
  ObjectId h3 = head(notFixed);
  elem(h3, "u", b, "LoopVariable");

  ObjectId whileLoop = loop("ZEVA::WhileLoop");
  ObjectId hw = head(whileLoop);
  elem(hw, "e", a);
  flow(proc, hw, inside(whileLoop, "ZEVA::TextStatement"));
  compile();
  // Labels: the end 1; each loop its own, its end label and its command's,
  // then its head and body; the subclass test's label comes last.
  EXPECT_EQ(segment(h1), R"(_mlabel_5:
foreach v : pk::B from y by items
suchthat
  type v!=pk::B else goto _mlabel_21
  goto
  _mlabel_21:
  first k : pk::A from v by a
do
  goto _mlabel_6
  _mlabel_3:
end
goto _mlabel_4
)");
  // Without a normal flow the body is left for the loop's end label.
  EXPECT_EQ(segment(h2), R"(_mlabel_10:
foreach w : pk::B
do
  goto _mlabel_8
  _mlabel_8:
end
goto _mlabel_9
)");
  EXPECT_EQ(segment(h3), "_mlabel_15:\n");
  EXPECT_EQ(segment(hw), R"(_mlabel_19:
if
  first e : pk::A
then
  goto _mlabel_20
  _mlabel_17:
  goto _mlabel_19
else
  goto _mlabel_18
end
)");
  EXPECT_EQ(messages(),
            (std::vector<std::string>{
                "66 - No incoming control flow!", // the second loop
                "69 - The incoming control flow not permitted to loophead!",
                "67 - The alternative(ELSE) outgoing control flow is not "
                "permitted!",
                "66 - No incoming control flow!",    // the third loop
                "66 - No incoming control flow!"})); // the while loop
}

// Faults in rules are reported on the element, link or rule at fault, and
// compilation goes on.
TEST_F(RulesTest, ValidationMessages) {
  ObjectId a = cls("A");
  ObjectId toA = end_("a", a);
  ObjectId empty = rule(start, end);
  ObjectId faulty = rule(0, 0);
  ObjectId noClass =
      element(proc, "ZEVA::ClassElement", {{"ElemType", "Normal"}});
  link(faulty, "ownedElem", noClass);
  ObjectId notDeleted = elem(faulty, "d", a, "Delete", true);
  ObjectId x = elem(faulty, "x", a);
  ObjectId made = elem(faulty, "c", a, "Create");
  ObjectId bare = assoc(faulty, x, made, toA, 0, "Create", true);
  ObjectId toMade = assoc(faulty, x, made, toA, toA);
  ObjectId other = rule(0, 0);
  ObjectId stranger = elem(other, "s", a);
  ObjectId across = assoc(faulty, x, stranger, toA, toA);
  // Inside a loop a missing outgoing flow is no fault: the loop goes on.
  ObjectId loop = element(proc, "ZEVA::WhileLoop");
  ObjectId inLoop = element(proc, "ZEVA::Rule");
  link(loop, "ownedFlowEnd", inLoop);
  flow(proc, start, inLoop);
  elem(inLoop, "i", a);
  ObjectId byRef = element(proc, "ZEVA::ForeachLoop");
  ObjectId h1 = element(proc, "ZEVA::Rule");
  link(byRef, "loophead", h1);
  ObjectId refVar = ref(h1, variable("r", a), "LoopVariable");
  ObjectId none = element(proc, "ZEVA::ForeachLoop");
  ObjectId h2 = element(proc, "ZEVA::Rule");
  link(none, "loophead", h2);
  elem(h2, "n", a);
  compile();
  std::vector<std::pair<std::string, ObjectId>> found;
  for (ObjectId m : all("Utility::CompilerMessages"))
    found.emplace_back(attr(m, "text").substr(0, 3),
                       partners(m, "element").at(0));
  EXPECT_EQ(found, (std::vector<std::pair<std::string, ObjectId>>{
                       {"7 -", start},
                       {"57 ", empty},
                       {"58 ", noClass},
                       {"61 ", notDeleted},
                       {"59 ", bare},
                       {"62 ", bare},
                       {"56 ", toMade},
                       {"100", across},
                       {"66 ", faulty},
                       {"68 ", faulty},
                       {"66 ", other},
                       {"68 ", other},
                       {"75 ", loop}, // its only member has a flow in
                       {"66 ", byRef},
                       {"68 ", byRef},
                       {"60 ", refVar},
                       {"66 ", none},
                       {"68 ", none},
                       {"55 ", h2}}));
  // An empty rule still compiles; its condition always holds, so only the
  // jump of its then-branch is left. Faulty parts are left out.
  EXPECT_EQ(firstLines(segment(empty), 2), "_mlabel_2:\ngoto _mlabel_1\n");
  EXPECT_EQ(firstLines(segment(faulty), 11), R"(_mlabel_3:
if
  first d : pk::A else goto _mlabel_17
  goto
  _mlabel_17:
  first x : pk::A
then
  addObj c:pk::A
  addLink x.a.c
  deleteObj d
  return
)");
}

// NOT-links arranged in a cycle would make re-rooting restart the same
// searches forever: R -NOT-> e - M -NOT-> f - R, with R and M bound. The
// repeat is reported on the link where it shows.
TEST_F(RulesTest, ReRootingCycleEndsWithAMessage) {
  ObjectId a = cls("A");
  ObjectId toA = end_("a", a);
  ObjectId r = rule(start, end);
  ObjectId bound1 = ref(r, variable("R", a));
  ObjectId e = elem(r, "e", a);
  ObjectId bound2 = ref(r, variable("M", a));
  ObjectId f = elem(r, "f", a);
  assoc(r, bound1, e, toA, toA, "Normal", true);
  assoc(r, e, bound2, toA, toA);
  ObjectId second = assoc(r, bound2, f, toA, toA, "Normal", true);
  assoc(r, f, bound1, toA, toA);
  compile();
  EXPECT_EQ(messages(),
            std::vector<std::string>{"1001 - MODEL CONSISTENCE ERROR!!!!!!"});
  EXPECT_EQ(partners(all("Utility::CompilerMessages")[0], "element"),
            std::vector<ObjectId>{second});
  EXPECT_EQ(firstLines(body(), 10), R"(  _mlabel_2:
  if
    first e : pk::A from M by a
    suchthat
      noLink e.a.R
    end
    first f : pk::A from R by a
    suchthat
      noLink f.a.M
    end
)");
}

// A long chain of elements nests as deep as it is long.
TEST_F(RulesTest, LongChainCompiles) {
  ObjectId a = cls("A");
  ObjectId toA = end_("a", a);
  ObjectId r = rule(start, end);
  ObjectId previous = ref(r, variable("v", a));
  constexpr int kLength = 5000;
  for (int i = 0; i < kLength; ++i) {
    ObjectId next = elem(r, ("x" + std::to_string(i)).c_str(), a);
    assoc(r, previous, next, toA, toA);
    previous = next;
  }
  compile();
  EXPECT_EQ(messages(), std::vector<std::string>{});
  EXPECT_EQ(all("FNkom").size(), std::size_t(kLength));
  // Each search opens its successor's block: the last one is innermost.
  int depth = 0;
  for (ObjectId k = partners(previous, "kom").at(0);; ++depth) {
    std::vector<ObjectId> blockOf = partners(k, "Namekb");
    std::vector<ObjectId> owner =
        blockOf.empty() ? blockOf : partners(blockOf[0], "suchthat1Of");
    if (owner.empty())
      break;
    k = owner[0];
  }
  EXPECT_EQ(depth, kLength - 1);
}

} // namespace zeva::test
