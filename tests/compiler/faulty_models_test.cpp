// Faulty models compile exactly as described: a null command is refused by
// the model layer with a dialog, a missing object read aborts the run with
// the crash guard left in the model, and partial output stays.
#include "rules_fixture.h"

#include <algorithm>

namespace zeva::test {

namespace {

const char *const kNullInAddLink = "Null in AddLink.";
const char *const kUnexisting =
    "Attempt to use unexisting object\nProgramm will now exit !";

} // namespace

class FaultyModelsTest : public RulesTest {
protected:
  void TearDown() override {
    // Each test checks its dialogs itself.
    dialogs().clear();
    RulesTest::TearDown();
  }
  bool crashed() const {
    auto m = messages();
    return std::find(m.begin(), m.end(), "ZEVA compiler has crashed!") !=
           m.end();
  }
  /// Commands of `cls` that are in no chain and in no block.
  int unplaced(const char *cls) const {
    int n = 0;
    for (ObjectId k : all(cls))
      n += partners(k, "Name").empty() && partners(k, "Namekb").empty() &&
           partners(k, "komblock").empty();
    return n;
  }
};

TEST_F(FaultyModelsTest, NullJumpsAreRefusedByTheModelLayer) {
  // A call whose only flow leads nowhere, and an empty rule whose flow leads
  // to the start node, which has no label: each null jump is linked twice.
  ObjectId ext = obj("ZEVA::ExternalProcedure", {{"name", "f"}});
  link(partners(proc, "owningPackage").at(0), "ownedMember", ext);
  ObjectId k = element(proc, "ZEVA::CallStatement");
  link(k, "proc", ext);
  flow(proc, start, k);
  ObjectId nowhere = element(proc, "ZEVA::Flow", {{"isElse", "false"}});
  link(nowhere, "from", k);
  rule(0, start);
  compile();
  EXPECT_EQ(dialogs(), std::vector<std::string>(4, kNullInAddLink));
  EXPECT_FALSE(crashed());
  // The segment ends at the call: the jump was never placed.
  EXPECT_EQ(segment(k), "_mlabel_2:\ncall ext_f()\n");
}

TEST_F(FaultyModelsTest, TextStatementElseFlowWithoutTarget) {
  // One jump serves both branches: the ELSE flow has no target, so the
  // then-branch's jump moves to the else-block.
  named("Kernel::PrimitiveType", "Boolean",
        partners(pk, "owningPackage").at(0));
  ObjectId integer = named("Kernel::PrimitiveType", "Integer",
                           partners(pk, "owningPackage").at(0));
  variable("x", integer);
  ObjectId t = element(proc, "ZEVA::TextStatement", {{"constraint", "x = 1"}});
  flow(proc, start, t);
  flow(proc, t, end);
  ObjectId toNothing = element(proc, "ZEVA::Flow", {{"isElse", "true"}});
  link(toNothing, "from", t);
  compile();
  EXPECT_EQ(dialogs(), std::vector<std::string>{});
  EXPECT_EQ(body(), R"(  _mlabel_2:
  if
    setVar _mvar_3=false
    setVar _mvar_5=x
    setVar _mvar_6=1
    var _mvar_5==_mvar_6 else goto _mlabel_4
    setVar _mvar_3=true
    _mlabel_4:
    var _mvar_3==true
  else
    goto _mlabel_1
  end
  _mlabel_1:
  return
end
)");
}

TEST_F(FaultyModelsTest, Message77OnAnAssignedDefNamesNoElement) {
  ObjectId c = cls("C");
  ObjectId def = element(proc, "ZEVA::ClassElementDef", {{"refName", "x"}});
  link(def, "type", c);
  ObjectId t = element(proc, "ZEVA::TextStatement");
  assign(t, def, "x");
  flow(proc, start, t);
  flow(proc, t, end);
  compile();
  EXPECT_EQ(messages(),
            std::vector<std::string>{"77 - Assigned property not set!"});
  EXPECT_TRUE(
      partners(all("Utility::CompilerMessages").at(0), "element").empty());
  EXPECT_EQ(dialogs(), std::vector<std::string>{kNullInAddLink});
}

TEST_F(FaultyModelsTest, ConstraintOutsideAnyProcedureAbortsTheRun) {
  // The class element is owned by the rule but not listed by the
  // procedure: its constraint variable cannot be declared (1001), and
  // reading the variable's name aborts the run.
  ObjectId c = cls("C");
  ObjectId r = rule(start, end);
  ObjectId def = element(proc, "ZEVA::ClassElementDef", {{"refName", "x"}});
  link(def, "type", c);
  ObjectId e = obj("ZEVA::ClassElement",
                   {{"ElemType", "Normal"}, {"constraint", "1 = 1"}});
  link(e, "def", def);
  link(r, "ownedElem", e);
  compile();
  EXPECT_TRUE(crashed());
  EXPECT_EQ(dialogs(), std::vector<std::string>{kUnexisting});
}

TEST_F(FaultyModelsTest, MissingExpectedTypeAbortsTheRun) {
  // No Boolean primitive type: the operand "n" has no expected type.
  ObjectId t = element(proc, "ZEVA::TextStatement", {{"constraint", "n"}});
  flow(proc, start, t);
  flow(proc, t, end);
  compile();
  EXPECT_TRUE(crashed());
  EXPECT_EQ(dialogs(), std::vector<std::string>{kUnexisting});
}

TEST_F(FaultyModelsTest, BooleanExpressionFaults) {
  ObjectId km = partners(pk, "owningPackage").at(0);
  named("Kernel::PrimitiveType", "Boolean", km);
  ObjectId integer = named("Kernel::PrimitiveType", "Integer", km);
  variable("n", integer);
  // The relation's test is made before its sides: after 22 it is left
  // placed nowhere.
  ObjectId t1 = element(proc, "ZEVA::TextStatement", {{"constraint", "= 1"}});
  // After outer brackets go, the "or" still follows the "(": the left
  // operand is the "or" again, which then has nothing before it.
  ObjectId t2 =
      element(proc, "ZEVA::TextStatement", {{"constraint", "(or n = 1)"}});
  flow(proc, start, t1);
  flow(proc, t1, t2);
  flow(proc, t2, end);
  compile();
  EXPECT_EQ(messages(),
            (std::vector<std::string>{"22 - No left side in a relation!",
                                      "26 - OR has no left operand!"}));
  EXPECT_EQ(unplaced("Ekom"), 1);
  // A (_mvar_8) is never set; B holds the relation.
  EXPECT_EQ(segment(t2), R"(_mlabel_3:
if
  setVar _mvar_9=false
  setVar _mvar_11=n
  setVar _mvar_12=1
  var _mvar_11==_mvar_12 else goto _mlabel_10
  setVar _mvar_9=true
  _mlabel_10:
  setVar _mvar_6=true
  var _mvar_8==false else goto _mlabel_7
  var _mvar_9==false else goto _mlabel_7
  setVar _mvar_6=false
  _mlabel_7:
  var _mvar_6==true
then
  goto _mlabel_1
else
  return
end
)");
  EXPECT_EQ(dialogs(), std::vector<std::string>{});
}

TEST_F(FaultyModelsTest, TraceOfFaultyFlowEnds) {
  // A foreach loop without head still gets its started and ended lines,
  // made but placed nowhere: its label ends the chain (it has no last
  // command) and nothing goes after or before it. The timer's start commands
  // are made in the order they run.
  setAttr(proc, "debugOn", "true");
  ObjectId loop = element(proc, "ZEVA::ForeachLoop");
  flow(proc, start, loop);
  flow(proc, loop, end);
  compile();
  EXPECT_EQ(messages(),
            std::vector<std::string>{"63 - No loophead in a foreach loop!"});
  std::vector<std::string> lines;
  for (ObjectId k : all("Skom"))
    if (attr(k, "text").find("FOREACH loop") != std::string::npos)
      lines.push_back(attr(k, "text") +
                      (partners(k, "Name").empty() ? " (nowhere)" : ""));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "call appendToFile(\"FOREACH loop  started "
                       "...\",\"debug.txt\") (nowhere)",
                       "call appendToFile(\"FOREACH loop  ended.\","
                       "\"debug.txt\") (nowhere)"}));
  ObjectId block = partners(partners(proc, "procfunct").at(0), "block").at(0);
  std::vector<ObjectId> first{partners(block, "start").at(0)};
  while (first.size() < 4)
    first.push_back(partners(first.back(), "next1").at(0));
  EXPECT_EQ(attr(first[3], "text"), "call startNthTimer(5)");
  EXPECT_TRUE(std::is_sorted(first.begin(), first.end()));
}

} // namespace zeva::test
