#include "rules_fixture.h"

namespace zeva::test {

// Procedures of unit "u" with typed parameters, calls and loops.
class StatementsTest : public RulesTest {
protected:
  void SetUp() override {
    RulesTest::SetUp();
    ObjectId km = partners(pk, "owningPackage").at(0);
    integer = named("Kernel::PrimitiveType", "Integer", km);
    named("Kernel::PrimitiveType", "String", km);
    c = cls("C");
    d = cls("D", c);
    unit = partners(proc, "owningPackage").at(0);
  }
  ObjectId integer = 0, c = 0, d = 0, unit = 0;
};

TEST_F(StatementsTest, CallsPassNamesAndEvaluateExpressions) {
  ObjectId q = straightProcedure(unit, "q");
  param(q, "a", 1, integer);
  param(q, "b", 2, d);
  param(q, "untyped", 3, 0);
  param(q, "n", 4, integer);
  ObjectId ext = obj("ZEVA::ExternalProcedure", {{"name", "f"}});
  link(unit, "ownedMember", ext);
  ObjectId skipped = straightProcedure(unit, "s", {{"doNotCompile", "true"}});
  variable("x", integer);
  variable("y", c);
  ObjectId k1 = call(q, {"@x", "pk::D(y)", "1", "toInteger(\"4\") * x"});
  ObjectId k2 = call(ext, {});
  ObjectId k3 = call(skipped, {"x"});
  flow(proc, start, k1);
  flow(proc, k1, k2);
  flow(proc, k2, k3);
  flow(proc, k3, end);
  compile();
  EXPECT_EQ(messages(), std::vector<std::string>{
                            "2 - The parameter has no type specification!"});
  EXPECT_EQ(listing("u_p"), R"(procedure u_p()
  var x : Integer
  pointer y : pk::C
  pointer _mpointer_5 : pk::D
  var _mvar_6 : Integer
  var _mvar_7 : String
begin
  _mlabel_2:
  setPointer _mpointer_5=y
  setVar _mvar_7="4"
  setVar _mvar_6=StrToInt(_mvar_7) * x
  call u_q(x,_mpointer_5,,_mvar_6)
  goto _mlabel_3
  _mlabel_1:
  return
  _mlabel_3:
  call ext_f()
  goto _mlabel_4
  _mlabel_4:
  goto _mlabel_1
end
)");
}

TEST_F(StatementsTest, CallFaults) {
  ObjectId q = straightProcedure(unit, "q");
  param(q, "a", 1, integer);
  variable("y", c);
  variable("x", integer);
  ObjectId none = call(0, {});
  ObjectId few = call(q, {});
  ObjectId many = call(q, {"x", "x"});
  ObjectId wrong = call(q, {"y"});
  flow(proc, start, none);
  flow(proc, none, few);
  flow(proc, few, many);
  flow(proc, many, wrong);
  ObjectId loose = call(q, {"1 + 1"});
  compile();
  EXPECT_EQ(
      messages(),
      (std::vector<std::string>{
          "66 - No incoming control flow!", // the end
          "51 - No called procedure set!", "53 - Not enough call parameters!",
          "54 - Too many call parameters!",
          "52 - The call parameter \"y\" and the actual parameter have "
          "incompatible types!",
          "68 - No outgoing control flow!", "66 - No incoming control flow!",
          "68 - No outgoing control flow!"}));
  // Faulty calls are left out; a wrong argument leaves its place empty.
  EXPECT_EQ(segment(none), "_mlabel_2:\ngoto _mlabel_3\n");
  EXPECT_EQ(segment(few), "_mlabel_3:\ngoto _mlabel_4\n");
  EXPECT_EQ(segment(many), "_mlabel_4:\ngoto _mlabel_5\n");
  EXPECT_EQ(segment(wrong), "_mlabel_5:\ncall u_q()\nreturn\n");
  EXPECT_EQ(segment(loose),
            "_mlabel_6:\nsetVar _mvar_7=1 + 1\ncall u_q(_mvar_7)\nreturn\n");
}

// Text statements: the constraint decides between the assignments with the
// normal jump and the ELSE jump; without a constraint only the then-branch
// is left.
TEST_F(StatementsTest, TextStatements) {
  ObjectId i = variable("i", integer);
  ObjectId t1 = element(proc, "ZEVA::TextStatement", {{"constraint", "i > 0"}});
  assign(t1, i, "i - 1");
  ObjectId t2 = element(proc, "ZEVA::TextStatement");
  assign(t2, i, "5");
  ObjectId t3 = element(proc, "ZEVA::TextStatement", {{"constraint", "i = 5"}});
  flow(proc, start, t1);
  flow(proc, t1, t2);
  flow(proc, t1, end, true);
  flow(proc, t2, t3);
  flow(proc, t3, end);
  compile();
  EXPECT_EQ(messages(), std::vector<std::string>{});
  EXPECT_EQ(body(), R"(  _mlabel_2:
  if
    setVar _mvar_5=false
    setVar _mvar_7=i
    setVar _mvar_8=0
    var _mvar_7>_mvar_8 else goto _mlabel_6
    setVar _mvar_5=true
    _mlabel_6:
    var _mvar_5==true
  then
    setVar i=i - 1
    goto _mlabel_3
  else
    goto _mlabel_1
  end
  _mlabel_1:
  return
  _mlabel_3:
  setVar i=5
  goto _mlabel_4
  _mlabel_4:
  if
    setVar _mvar_9=false
    setVar _mvar_11=i
    setVar _mvar_12=5
    var _mvar_11==_mvar_12 else goto _mlabel_10
    setVar _mvar_9=true
    _mlabel_10:
    var _mvar_9==true
  then
    goto _mlabel_1
  else
    return
  end
end
)");
}

// A foreach loop nested in a while loop's body, with a head rule and two
// rules in its body; after the loops the procedure calls itself.
TEST_F(StatementsTest, NestedLoopsAndARecursiveCall) {
  auto inside = [&](ObjectId loop, const char *kind) {
    ObjectId e = element(proc, kind);
    link(loop, "ownedFlowEnd", e);
    return e;
  };
  ObjectId outer = element(proc, "ZEVA::WhileLoop");
  ObjectId whileHead = inside(outer, "ZEVA::Rule");
  link(outer, "loophead", whileHead);
  elem(whileHead, "e", c);
  ObjectId loop = inside(outer, "ZEVA::ForeachLoop");
  ObjectId head = inside(loop, "ZEVA::Rule");
  link(loop, "loophead", head);
  elem(head, "v", c, "LoopVariable");
  ObjectId first = inside(loop, "ZEVA::Rule");
  elem(first, "w", c);
  ObjectId second = inside(loop, "ZEVA::Rule");
  elem(second, "z", d);
  ObjectId again = call(proc, {});
  flow(proc, start, outer);
  flow(proc, outer, again);
  flow(proc, again, end);
  flow(proc, whileHead, loop);
  flow(proc, head, first);
  flow(proc, first, second);
  compile();
  EXPECT_EQ(messages(), std::vector<std::string>{});
  // Labels: the end 1; the while loop 2, its end 3, its continuation 4;
  // its head 5; the foreach loop 6, 7, 8; its head 9; the rules 10, 11;
  // the call 12.
  EXPECT_EQ(body(), R"(  _mlabel_2:
  goto _mlabel_5
  _mlabel_4:
  goto _mlabel_12
  _mlabel_1:
  return
  _mlabel_5:
  if
    first e : pk::C
  then
    goto _mlabel_6
    _mlabel_3:
    goto _mlabel_5
  else
    goto _mlabel_4
  end
  _mlabel_6:
  goto _mlabel_9
  _mlabel_8:
  goto _mlabel_3
  _mlabel_9:
  foreach v : pk::C
  do
    goto _mlabel_10
    _mlabel_7:
  end
  goto _mlabel_8
  _mlabel_10:
  if
    first w : pk::C
  then
    goto _mlabel_11
  else
    goto _mlabel_7
  end
  _mlabel_11:
  if
    first z : pk::D
  then
    goto _mlabel_7
  else
    goto _mlabel_7
  end
  _mlabel_12:
  call u_p()
  goto _mlabel_1
end
)");
}

} // namespace zeva::test
