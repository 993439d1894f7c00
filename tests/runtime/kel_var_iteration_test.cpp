#include "runtime_fixture.h"

namespace kel::test {

TEST_F(RuntimeTest, ExtentIsVisitedInPostOrderOfTheHierarchy) {
  ObjectId rule = make("ZEVA::Rule"), loop = make("ZEVA::WhileLoop");
  ObjectId start = make("ZEVA::Start"), text = make("ZEVA::TextStatement");
  ObjectId each = make("ZEVA::ForeachLoop"), call = make("ZEVA::CallStatement");
  std::vector<std::string> names;
  for (TypeId c : RepositoryUser::subclassList(
           RepositoryUser::classId("ZEVA::DecisionStatement")))
    names.push_back(RepositoryUser::typeName(c));
  EXPECT_EQ(names,
            (std::vector<std::string>{"ZEVA::Rule", "ZEVA::TextStatement",
                                      "ZEVA::DecisionStatement"}));

  Kel_Var_2 v("ZEVA::FlowEnd");
  EXPECT_EQ(rest(v, First(v, "ZEVA::FlowEnd")),
            (Ids{start, call, rule, text, each, loop}));
  EXPECT_TRUE(IsNull(v));
  EXPECT_EQ(rest(v, First(v, "ZEVA::Loop")), (Ids{each, loop}));

  // A subclass may be asked for; a class outside the hierarchy aborts the
  // run; an unknown one only reports.
  Kel_Var_2 d("ZEVA::DecisionStatement");
  try {
    First(d, "ZEVA::FlowEnd");
    ADD_FAILURE() << "no abort";
  } catch (const Kel_Var_2_Exception &e) {
    EXPECT_EQ(e.text(), "Incompatible types in setFirstToRoot\ndeclared type : "
                        "\"ZEVA::DecisionStatement\"\nclass requested in "
                        "setFirstToRoot : \"ZEVA::FlowEnd\".");
  }
  EXPECT_TRUE(dialogs().empty()); // travels only inside the exception
  EXPECT_FALSE(First(d, "ZEVA::Nothing"));
  EXPECT_TRUE(IsNull(d));
  EXPECT_EQ(dialogs(), (std::vector<std::string>{
                           "Class \"ZEVA::Nothing\" does not exist."}));
  Kel_Var_2 unknown("Nope::Nope");
  EXPECT_EQ(dialogs().back(), "Class \"Nope::Nope\" does not exist.");
}

TEST_F(RuntimeTest, IterationSeesCreationsAheadAndSkipsDeletions) {
  ObjectId r1 = make("ZEVA::Rule"), r2 = make("ZEVA::Rule");
  ObjectId t1 = make("ZEVA::TextStatement");
  Kel_Var_2 v("ZEVA::DecisionStatement"), w("ZEVA::DecisionStatement");
  ASSERT_TRUE(First(v, "ZEVA::DecisionStatement"));
  EXPECT_EQ(CurId(v), r1);

  AddObj(w, "ZEVA::Rule"); // ahead of v: visited
  ObjectId r3 = CurId(w);
  EXPECT_NE(r3, 0);
  ASSERT_TRUE(Next(w)) << "w goes on over the rest of its declared class";
  EXPECT_EQ(CurId(w), t1);
  ASSERT_TRUE(Next(v));
  EXPECT_EQ(CurId(v), r2);

  // Deleting the current object makes the variable null; Next moves on.
  Kel_Var_2 alias = v; // a copy iterates on independently
  EXPECT_TRUE(DeleteObj(alias));
  EXPECT_TRUE(IsNull(v));
  EXPECT_EQ(CurId(v), 0);
  EXPECT_FALSE(DeleteObj(v));
  EXPECT_EQ(rest(v, Next(v)), (Ids{r3, t1}));
  EXPECT_EQ(rest(alias, Next(alias)), (Ids{r3, t1}));

  // After the end, objects appended to the last class's list are still
  // found; objects made behind the runtime's back wait for the next run.
  make("ZEVA::TextStatement");
  ObjectId seen = RepositoryUser::createObject(
      RepositoryUser::classId("ZEVA::TextStatement"));
  ASSERT_TRUE(Next(v));
  EXPECT_EQ(CurId(v), seen);
  EXPECT_FALSE(Next(v));
}

TEST_F(RuntimeTest, VariablesOfAnEarlierRunAreNull) {
  ObjectId r = make("ZEVA::Rule");
  Kel_Var_2 v("ZEVA::Rule");
  ASSERT_TRUE(First(v, "ZEVA::Rule"));
  Kel_Var_2 p("ZEVA::Package");
  AddObj(p, "ZEVA::Package");
  RepositoryUser::raiseGeneration();
  EXPECT_TRUE(IsNull(v));
  EXPECT_EQ(CurId(v), 0);
  EXPECT_FALSE(Next(v));
  EXPECT_EQ(v.kind(), kUnInitialized);
  SetNull(p);
  EXPECT_EQ(p.kind(), kUnInitialized);
  // The lists are rebuilt for the new run: objects made behind the cache
  // now show up.
  ObjectId late = make("ZEVA::Rule");
  EXPECT_EQ(rest(v, First(v, "ZEVA::Rule")), (Ids{r, late}));
}

TEST_F(RuntimeTest, PartnerIterationFollowsLinksAndRelinking) {
  ObjectId pkg = make("ZEVA::Package");
  ObjectId a = make("ZEVA::ZEVAprocedure"), b = make("ZEVA::ZEVAprocedure");
  ObjectId c = make("ZEVA::ExternalProcedure");
  for (ObjectId p : {a, b, c})
    link(pkg, "ownedMember", p);
  Kel_Var_2 owner("ZEVA::Package"), m("ZEVA::PackageableElement");
  ASSERT_TRUE(First(owner, "ZEVA::Package"));
  ASSERT_TRUE(FirstByLink(m, owner, "ownedMember"));
  EXPECT_EQ(CurId(m), a);

  // Linking a again moves it to the end of the cached list: m, standing on
  // a, turns null (its entry is skipped) and meets a once more at the end.
  Kel_Var_2 first = m;
  AddLink(owner, first, "ownedMember");
  EXPECT_TRUE(IsNull(m));
  EXPECT_EQ(rest(m, Next(m)), (Ids{b, c, a}));

  // Unlinking turns a variable on that partner null; Next skips it.
  Kel_Var_2 again("ZEVA::PackageableElement");
  ASSERT_TRUE(FirstByLink(again, owner, "ownedMember"));
  Kel_Var_2 onB = again;
  DeleteLink(owner, onB, "ownedMember");
  EXPECT_TRUE(IsNull(again));
  EXPECT_FALSE(LinkExists(owner, onB, "ownedMember"));
  EXPECT_TRUE(LinkNotExists(owner, onB, "ownedMember"));
  EXPECT_EQ(rest(again, Next(again)), (Ids{c, a}));

  // A single-valued end takes one partner: owning c from a second package
  // unlinks it from the first, and a variable checked on c turns null.
  ASSERT_TRUE(FirstByLink(again, owner, "ownedMember"));
  ASSERT_EQ(CurId(again), c);
  Kel_Var_2 other("ZEVA::Package");
  AddObj(other, "ZEVA::Package");
  AddLink(other, again, "ownedMember");
  EXPECT_TRUE(IsNull(again));
  // A search started afresh from the first package does not meet c, though
  // no deletion told the runtime of its leaving.
  Kel_Var_2 left("ZEVA::PackageableElement");
  EXPECT_EQ(rest(left, FirstByLink(left, owner, "ownedMember")), (Ids{a}));

  // Unknown roles report with the object's exact class; a null source
  // gives a null variable without a report.
  EXPECT_FALSE(FirstByLink(again, owner, "members"));
  EXPECT_EQ(dialogs().back(), "Association \"members\" starting from class "
                              "\"ZEVA::Package\" does not exist.");
  Kel_Var_2 none("ZEVA::Package");
  std::size_t shown = dialogs().size();
  EXPECT_FALSE(FirstByLink(again, none, "ownedMember"));
  EXPECT_EQ(dialogs().size(), shown);
  AddLink(none, onB, "ownedMember");
  EXPECT_EQ(dialogs().back(), "Null in AddLink.");
  DeleteLink(owner, none, "ownedMember");
  EXPECT_EQ(dialogs().back(), "Null in Delete Link. No deletion occured.");
}

TEST_F(RuntimeTest, PartnersThatComeAndGoLeaveTheCachedListShort) {
  // A package whose one member changes again and again (a token passed on):
  // a variable left on an early member stays null, and a search started
  // afresh meets exactly the current member, however many went before.
  ObjectId pkg = make("ZEVA::Package");
  ObjectId firstMember = make("ZEVA::ZEVAprocedure");
  link(pkg, "ownedMember", firstMember);
  Kel_Var_2 owner("ZEVA::Package"), early("ZEVA::PackageableElement");
  ASSERT_TRUE(First(owner, "ZEVA::Package"));
  ASSERT_TRUE(FirstByLink(early, owner, "ownedMember"));
  Kel_Var_2 current = early, fresh("ZEVA::ZEVAprocedure");
  for (int i = 0; i < 200; ++i) {
    AddObj(fresh, "ZEVA::ZEVAprocedure");
    AddLink(owner, fresh, "ownedMember");
    DeleteLink(owner, current, "ownedMember");
    ASSERT_TRUE(FirstByLink(current, owner, "ownedMember"));
    ASSERT_EQ(CurId(current), CurId(fresh)) << i;
    ASSERT_FALSE(Next(current)) << i;
    ASSERT_TRUE(FirstByLink(current, owner, "ownedMember"));
  }
  EXPECT_TRUE(IsNull(early));
  EXPECT_EQ(CurId(early), 0);
  EXPECT_FALSE(DeleteObj(early));
  EXPECT_EQ(rest(early, Next(early)), (Ids{CurId(fresh)}));
}

TEST_F(RuntimeTest, ListsNoVariableWalksGoAndComeBackAsTheyWere) {
  // Packages of one member each, and a first one of two, a and b.
  ObjectId a = make("ZEVA::ZEVAprocedure"), b = make("ZEVA::ZEVAprocedure");
  ObjectId first = make("ZEVA::Package");
  link(first, "ownedMember", a);
  link(first, "ownedMember", b);
  constexpr int kPackages = 500;
  for (int i = 0; i < kPackages; ++i)
    link(make("ZEVA::Package"), "ownedMember", make("ZEVA::ZEVAprocedure"));
  Kel_Var_2 owner("ZEVA::Package"), onA("ZEVA::ZEVAprocedure");
  ASSERT_TRUE(First(onA, "ZEVA::ZEVAprocedure"));
  ASSERT_TRUE(First(owner, "ZEVA::Package"));
  std::size_t before = RepositoryUser::cachedListCount();
  Kel_Var_2 m("ZEVA::PackageableElement");
  ASSERT_TRUE(FirstByLink(m, owner, "ownedMember"));
  Kel_Var_2 copy = m;
  SetNull(m);
  // The copy walks the first package's list on; the walk over every
  // package's members leaves far fewer lists than packages.
  EXPECT_EQ(rest(copy, Next(copy)), (Ids{b}));
  SetNull(copy);
  for (bool more = Next(owner); more; more = Next(owner))
    ASSERT_TRUE(FirstByLink(m, owner, "ownedMember"));
  SetNull(m);
  EXPECT_LT(RepositoryUser::cachedListCount(), before + kPackages / 4);
  // Re-linking a, still linked, moves it to the end of the first package's
  // list, though no variable kept that list.
  ASSERT_TRUE(First(owner, "ZEVA::Package"));
  ASSERT_EQ(CurId(onA), a);
  AddLink(owner, onA, "ownedMember");
  EXPECT_EQ(rest(m, FirstByLink(m, owner, "ownedMember")), (Ids{b, a}));
  // The members of a package whose list was never made keep the library's
  // order when one is re-linked.
  Kel_Var_2 fresh("ZEVA::Package");
  AddObj(fresh, "ZEVA::Package");
  AddLink(fresh, onA, "ownedMember");
  ASSERT_TRUE(Next(onA));
  AddLink(fresh, onA, "ownedMember");
  ASSERT_TRUE(First(onA, "ZEVA::ZEVAprocedure"));
  AddLink(fresh, onA, "ownedMember");
  EXPECT_EQ(rest(m, FirstByLink(m, fresh, "ownedMember")), (Ids{a, b}));
}

TEST_F(RuntimeTest, AWalkBegunWithNoPartnerMeetsThoseLinkedSince) {
  ObjectId pkg = make("ZEVA::Package");
  ObjectId x = make("ZEVA::ZEVAprocedure"), y = make("ZEVA::ZEVAprocedure");
  Kel_Var_2 owner("ZEVA::Package"), member("ZEVA::ZEVAprocedure");
  Kel_Var_2 m("ZEVA::PackageableElement");
  ASSERT_TRUE(First(owner, "ZEVA::Package"));
  ASSERT_TRUE(First(member, "ZEVA::ZEVAprocedure"));
  EXPECT_FALSE(FirstByLink(m, owner, "ownedMember"));
  Kel_Var_2 copy = m;
  // x and y linked, then x again while still linked: x moves behind y.
  AddLink(owner, member, "ownedMember");
  ASSERT_TRUE(Next(member));
  AddLink(owner, member, "ownedMember");
  ASSERT_TRUE(First(member, "ZEVA::ZEVAprocedure"));
  AddLink(owner, member, "ownedMember");
  EXPECT_EQ(rest(m, Next(m)), (Ids{y, x}));
  // The copy, assigned an object of the list, goes on from there.
  Kel_Var_2 onY = member;
  ASSERT_TRUE(Next(onY));
  SetPointer(copy, onY);
  EXPECT_EQ(rest(copy, !IsNull(copy)), (Ids{y, x}));
  EXPECT_EQ(pkg, CurId(owner));
}

} // namespace kel::test
