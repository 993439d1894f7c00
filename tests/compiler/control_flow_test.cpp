#include "compiler_fixture.h"

#include "../../compiler/procedures/control_flow.h"

namespace zeva::test {

class ControlFlowTest : public CompilerTest {
protected:
  void SetUp() override {
    CompilerTest::SetUp();
    unit = package(model(), "a");
  }
  ObjectId unit = 0;
};

TEST_F(ControlFlowTest, SegmentsAreJoinedInMemberOrder) {
  ObjectId p = procedure(unit, "p");
  ObjectId e1 = element(p, "ZEVA::End");
  ObjectId s = element(p, "ZEVA::Start");
  ObjectId e2 = element(p, "ZEVA::End"); // reached by nothing
  flow(p, s, e1);
  compile();
  EXPECT_EQ(listing("a_p"), "procedure a_p()\n"
                            "begin\n"
                            "  _mlabel_1:\n"
                            "  return\n"
                            "  _mlabel_2:\n"
                            "  return\n"
                            "end\n");
  EXPECT_EQ(messages(),
            std::vector<std::string>{"66 - No incoming control flow!"});
  EXPECT_EQ(partners(all("Utility::CompilerMessages")[0], "element"),
            std::vector<ObjectId>{e2});
  EXPECT_EQ(partners(p, "flowend"), (std::vector<ObjectId>{e1, s, e2}));
  EXPECT_EQ(partners(e1, "kom"), partners(e1, "lastkom"));
  // The block ends with the last segment.
  ObjectId block = partners(partners(p, "procfunct").at(0), "block").at(0);
  EXPECT_EQ(partners(block, "lastkom"), partners(e2, "lastkom"));
}

TEST_F(ControlFlowTest, StartNodeFaults) {
  ObjectId twice = procedure(unit, "twice");
  ObjectId s = element(twice, "ZEVA::Start");
  ObjectId e = element(twice, "ZEVA::End");
  flow(twice, s, e);
  flow(twice, s, e);
  ObjectId alt = procedure(unit, "alt");
  ObjectId s2 = element(alt, "ZEVA::Start");
  ObjectId e2 = element(alt, "ZEVA::End");
  flow(alt, s2, e2, true);
  ObjectId none = procedure(unit, "none");
  element(none, "ZEVA::Start");
  ObjectId noStart = procedure(unit, "noStart");
  element(noStart, "ZEVA::End");
  compile();
  EXPECT_EQ(
      messages(),
      (std::vector<std::string>{
          "7 - There are multiple identical outgoing flows from the "
          "flowend!",
          "67 - The alternative(ELSE) outgoing control flow is not "
          "permitted!",
          "68 - No outgoing control flow!", "66 - No incoming control flow!"}));
  // With two flows the first is used; an ELSE flow still starts the chain
  // (the fault is reported after the block's start is set).
  EXPECT_EQ(listing("a_twice"),
            "procedure a_twice()\nbegin\n  _mlabel_1:\n  return\nend\n");
  EXPECT_EQ(listing("a_alt"),
            "procedure a_alt()\nbegin\n  _mlabel_2:\n  return\nend\n");
  // Without a start node the body stays empty and is kept.
  EXPECT_EQ(listing("a_noStart"), "procedure a_noStart()\nbegin\nend\n");
}

TEST_F(ControlFlowTest, LoopsDrawThreeLabelsAndSuccessorsAreFound) {
  ObjectId p = procedure(unit, "p");
  ObjectId s = element(p, "ZEVA::Start");
  ObjectId loop = element(p, "ZEVA::WhileLoop");
  ObjectId inner = obj("ZEVA::TextStatement");
  link(p, "ownedElement", inner);
  link(loop, "ownedFlowEnd", inner);
  ObjectId e = element(p, "ZEVA::End");
  flow(p, s, loop);
  ObjectId out = flow(p, loop, e, true);
  compile();
  EXPECT_EQ(attr(partners(loop, "label").at(0), "name"), "_mlabel_1");
  EXPECT_EQ(attr(partners(loop, "endlabel").at(0), "name"), "_mlabel_2");
  EXPECT_EQ(attr(partners(loop, "kom").at(0), "name"), "_mlabel_3");
  EXPECT_EQ(attr(partners(inner, "label").at(0), "name"), "_mlabel_4");

  // Jumps along the asked kind of flow; to the loop's end from inside it;
  // "return" from a flow end outside any loop with no successor.
  kel::Kel_Var_2 kom("Kom");
  EXPECT_TRUE(FindNextFlowEndAndCreateGotoKom(at(loop), kom, true));
  EXPECT_EQ(kel::GetAttrStr(kom, "labname"), "_mlabel_5");
  EXPECT_TRUE(FindNextFlowEndAndCreateGotoKom(at(inner), kom, false));
  EXPECT_EQ(kel::GetAttrStr(kom, "labname"), "_mlabel_2");
  EXPECT_FALSE(FindNextFlowEndAndCreateGotoKom(at(e), kom, false));
  EXPECT_TRUE(kel::IsTypeOf(kom, "Skom"));
  EXPECT_EQ(kel::GetAttrStr(kom, "text"), "return");
  // A successor without a label: false, kom unchanged.
  ObjectId unlabelled = element(p, "ZEVA::End");
  repo.deleteObject(partners(e, "label").at(0));
  link(out, "to", unlabelled);
  ObjectId before = kel::CurId(kom);
  EXPECT_FALSE(FindNextFlowEndAndCreateGotoKom(at(loop), kom, true));
  EXPECT_EQ(kel::CurId(kom), before);

  EXPECT_EQ(IsFlow(at(loop), true, false), 2);
  EXPECT_EQ(IsFlow(at(loop), false, false), 0);
  EXPECT_EQ(IsFlow(at(inner), false, true), 1);
  EXPECT_EQ(IsFlow(at(s), false, false), 2);
}

TEST_F(ControlFlowTest, ACallBetweenStartAndEndIsFiveCommands) {
  ObjectId p = procedure(unit, "p");
  ObjectId s = element(p, "ZEVA::Start");
  ObjectId k = element(p, "ZEVA::CallStatement");
  ObjectId e = element(p, "ZEVA::End");
  flow(p, s, k);
  flow(p, k, e);
  link(k, "proc", straightProcedure(unit, "q"));
  compile();
  ObjectId block = partners(partners(p, "procfunct").at(0), "block").at(0);
  EXPECT_EQ(chain(block), "label _mlabel_1; call a_q(); goto _mlabel_2; "
                          "label _mlabel_2; return; | return");
  EXPECT_EQ(messages(), std::vector<std::string>{});
}

} // namespace zeva::test
