#include "rules_fixture.h"

#include "../../compiler/diagnostics/timing.h"
#include "../../compiler/program/chains.h"

namespace zeva::test {

using kel::Kel_Var_2;

class DebugTest : public RulesTest {
protected:
  void SetUp() override {
    RulesTest::SetUp();
    unit = partners(proc, "owningPackage").at(0);
    setAttr(proc, "debugOn", "true");
  }

  /// The timer's stop and report before a "return", at `indent`.
  static std::string report(const std::string &timer, const char *indent,
                            const std::string &variable = "_timer_str",
                            const std::string &procedure = "u_p") {
    std::string out;
    for (std::string line :
         {"call stopNthTimer(" + timer + ")",
          "setVarF " + variable + "=elapsedNthTimeString(" + timer + ")",
          "setVar " + variable + "=" + variable + "+\"\"",
          "setVar " + variable + "=\"" + procedure + " executed in \"+" +
              variable,
          std::string("call appendToFile(_IDENTstr,\"debug.txt\")"),
          "call appendToFile(" + variable + ",\"debug.txt\")"})
      out += indent + line + "\n";
    return out;
  }

  ObjectId unit = 0;
};

// Parameters of every kind of type, a rule that deletes, creates, links and
// assigns, a call, a text statement and a foreach loop, traced and timed.
TEST_F(DebugTest, TracesEveryKindOfFlowEnd) {
  ObjectId km = partners(pk, "owningPackage").at(0);
  ObjectId str = named("Kernel::PrimitiveType", "String", km);
  ObjectId integer = named("Kernel::PrimitiveType", "Integer", km);
  ObjectId boolean = named("Kernel::PrimitiveType", "Boolean", km);
  ObjectId color = named("Kernel::Enumeration", "Color", pk);
  ObjectId a = cls("A"), b = cls("B");
  ObjectId age = named("Kernel::Property", "age");
  link(age, "type", integer);
  link(b, "ownedAttribute", age);
  ObjectId toB = end_("b", b), toA = end_("a", a);
  param(proc, "s", 1, str);
  ObjectId i = param(proc, "i", 2, integer);
  param(proc, "f", 3, boolean);
  param(proc, "c", 4, color);
  ObjectId y = param(proc, "y", 5, a);

  ObjectId r = rule(start, 0);
  ObjectId ry = ref(r, y);
  ObjectId x = elem(r, "x", b, "Delete");
  ObjectId n = elem(r, "n", b, "Create");
  assoc(r, ry, x, toB, toA, "Delete");
  assoc(r, ry, n, toB, toA, "Create");
  assign(r, n, "i", age);
  ObjectId k = call(straightProcedure(unit, "q"), {});
  flow(proc, r, k);
  ObjectId t = element(proc, "ZEVA::TextStatement", {{"constraint", "i > 0"}});
  assign(t, i, "i + 1");
  flow(proc, k, t);
  ObjectId loop = element(proc, "ZEVA::ForeachLoop");
  ObjectId head = element(proc, "ZEVA::Rule");
  link(loop, "ownedFlowEnd", head);
  link(loop, "loophead", head);
  elem(head, "v", b, "LoopVariable");
  flow(proc, t, loop);
  flow(proc, loop, end);
  compile();
  EXPECT_EQ(messages(), std::vector<std::string>{});
  // Labels: the end 1, the rule 2, the call 3, the text statement 4, the
  // loop 5, 6, 7, its head 8. The constraint draws 9 to 12; the trace
  // variables are 13 to 26 in the order in which they are inserted; the
  // timer is 27.
  std::string expected =
      R"(debug procedure u_p(s : String, i : Integer, f : Boolean, c : pk::Color, y : pk::A)
  pointer x : pk::B
  pointer n : pk::B
  pointer v : pk::B
  var _mvar_9 : Boolean
  var _mvar_11 : Integer
  var _mvar_12 : Integer
  var _mvar_13 : String
  var _mvar_14 : String
  var _mvar_15 : String
  var _mvar_16 : String
  var _mvar_17 : String
  var _mvar_18 : String
  var _mvar_19 : String
  var _mvar_20 : String
  var _mvar_21 : String
  var _mvar_22 : String
  var _mvar_23 : String
  var _mvar_24 : String
  var _mvar_25 : String
  var _mvar_26 : String
  var _timer_str : String
begin
  call appendToFile(_IDENTstr,"debug.txt")
  setVar _timer_str="Starting u_p ... "
  call appendToFile(_timer_str,"debug.txt")
  call startNthTimer(27)
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("PARAMETERS: ","debug.txt")
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("\t","debug.txt")
  setVarF _mvar_17=GetInstanceID(y);
  call appendToFile("pk::A y="+_mvar_17,"debug.txt")
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("\t","debug.txt")
  setVarF _mvar_16=EnumToStr(c);
  call appendToFile("pk::Color c="+_mvar_16,"debug.txt")
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("\t","debug.txt")
  setVarF _mvar_15=BoolToStr(f);
  call appendToFile("Boolean f="+_mvar_15,"debug.txt")
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("\t","debug.txt")
  setVarF _mvar_14=IntToStr(i);
  call appendToFile("Integer i="+_mvar_14,"debug.txt")
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("\t","debug.txt")
  call appendToFile("String s="+s,"debug.txt")
  _mlabel_2:
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("RULE  started ...","debug.txt")
  if
    first x : pk::B from y by b
  then
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tPattern MATCHED. ","debug.txt")
    setVarF _mvar_23=GetInstanceID(x);
    call appendToFile("pk::B x="+_mvar_23,"debug.txt")
    call appendToFile(" ","debug.txt")
    setVarF _mvar_22=GetInstanceID(y);
    call appendToFile("pk::A y="+_mvar_22,"debug.txt")
    call appendToFile(" ","debug.txt")
    addObj n:pk::B
    addLink y.b.n
    setAttr n.age=i
    deleteObj x
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tnot-changed: ","debug.txt")
    setVarF _mvar_18=GetInstanceID(y);
    call appendToFile("pk::A y="+_mvar_18,"debug.txt")
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tDELETED: ","debug.txt")
    setVarF _mvar_19=GetInstanceID(x);
    call appendToFile("pk::B x="+_mvar_19,"debug.txt")
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tCREATED: ","debug.txt")
    setVarF _mvar_20=GetInstanceID(n);
    call appendToFile("pk::B n="+_mvar_20,"debug.txt")
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\t\tASSIGNED: ","debug.txt")
    setVarF _mvar_21=IntToStr(n.age);
    call appendToFile("Integer age="+_mvar_21,"debug.txt")
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tDELETED: ","debug.txt")
    call appendToFile("y.b.x","debug.txt")
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tCREATED: ","debug.txt")
    call appendToFile("y.b.n","debug.txt")
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("RULE ended.","debug.txt")
    goto _mlabel_3
  else
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("Pattern FAILED. RULE ended.","debug.txt")
)" + report("27", "    ") +
      R"(    return
  end
  _mlabel_1:
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("END statement  started ...","debug.txt")
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("END statement  ended.","debug.txt")
)" + report("27", "  ") +
      R"(  return
  _mlabel_3:
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("CALL statement  started ...","debug.txt")
  setVar _IDENTint=_IDENTint+1;
  call _resetIDENT()
  call u_q()
  setVar _IDENTint=_IDENTint-1;
  call _resetIDENT()
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("CALL statement  ended.","debug.txt")
  goto _mlabel_4
  _mlabel_4:
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("TEXT statement  started ...","debug.txt")
  if
    setVar _mvar_9=false
    setVar _mvar_11=i
    setVar _mvar_12=0
    var _mvar_11>_mvar_12 else goto _mlabel_10
    setVar _mvar_9=true
    _mlabel_10:
    var _mvar_9==true
  then
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tCONSTRAINT {} SATISFIED.","debug.txt")
    setVar i=i + 1
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tASSIGNED: ","debug.txt")
    setVarF _mvar_24=IntToStr(i);
    call appendToFile("Integer i="+_mvar_24,"debug.txt")
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("TEXT STATEMENT ended.","debug.txt")
    goto _mlabel_5
  else
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("CONSTRAINT {} UNSATISFIED. TEXT STATEMENT ended.","debug.txt")
)" + report("27", "    ") +
      R"(    return
  end
  _mlabel_5:
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("FOREACH loop  started ...","debug.txt")
  goto _mlabel_8
  _mlabel_7:
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("FOREACH loop  ended.","debug.txt")
  goto _mlabel_1
  _mlabel_8:
  foreach v : pk::B
  do
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("Loop ITERATION started ...","debug.txt")
    setVar _IDENTint=_IDENTint+1;
    call _resetIDENT()
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tPattern MATCHED. ","debug.txt")
    setVarF _mvar_25=GetInstanceID(v);
    call appendToFile("pk::B v="+_mvar_25,"debug.txt")
    call appendToFile(" ","debug.txt")
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("\tnot-changed: ","debug.txt")
    setVarF _mvar_26=GetInstanceID(v);
    call appendToFile("pk::B v="+_mvar_26,"debug.txt")
    goto _mlabel_6
    _mlabel_6:
    setVar _IDENTint=_IDENTint-1;
    call _resetIDENT()
    call appendToFile(_IDENTstr,"debug.txt")
    call appendToFile("Loop ITERATION ended.","debug.txt")
  end
  goto _mlabel_7
end
)";
  EXPECT_EQ(listing("u_p"), expected);
}

// Each instrumented procedure times itself with a number of its own; a
// procedure without debugOn and the main function are left as they are.
TEST_F(DebugTest, TimersPerProcedureAndUntouchedProcedures) {
  setAttr(proc, "isMain", "true");
  flow(proc, start, end);
  straightProcedure(unit, "q", {{"debugOn", "true"}});
  straightProcedure(unit, "r");
  compile();
  EXPECT_EQ(messages(), std::vector<std::string>{});
  auto timed = [](const char *name, const char *label, const char *timer) {
    std::string n = name, t = timer;
    return "debug procedure " + n + R"(()
  var _timer_str : String
begin
  call appendToFile(_IDENTstr,"debug.txt")
  setVar _timer_str="Starting )" +
           n + R"( ... "
  call appendToFile(_timer_str,"debug.txt")
  call startNthTimer()" +
           t + R"()
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("PARAMETERS: ","debug.txt")
  )" + label +
           R"(:
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("END statement  started ...","debug.txt")
  call appendToFile(_IDENTstr,"debug.txt")
  call appendToFile("END statement  ended.","debug.txt")
)" + report(t, "  ", "_timer_str", n) +
           "  return\nend\n";
  };
  EXPECT_EQ(listing("u_p"), timed("u_p", "_mlabel_1", "2"));
  EXPECT_EQ(listing("u_q"), timed("u_q", "_mlabel_3", "4"));
  EXPECT_EQ(listing("u_r"),
            "procedure u_r()\nbegin\n  _mlabel_5:\n  return\nend\n");
  EXPECT_EQ(listing("_mainZEVAfunction"), R"(main procedure _mainZEVAfunction()
begin
  call _initializeZEVAtransformation()
  call u_p()
  call _finalizeZEVAtransformation()
end
)");
}

// The scan for "return" follows the chain and both branches of nested
// Ifthenkoms; conditions and loop bodies are not scanned. A chain of many
// thousands of commands is walked without deep recursion.
TEST_F(DebugTest, TimerReportsBeforeEveryReturnOfTheChain) {
  auto skom = [](const char *text) {
    Kel_Var_2 k("Skom");
    kel::AddObj(k, "Skom");
    kel::SetAttrStr(k, "text", text);
    return k;
  };
  auto block = [](std::initializer_list<Kel_Var_2> koms) {
    Kel_Var_2 kb("Komblock");
    kel::AddObj(kb, "Komblock");
    for (const Kel_Var_2 &kom : koms)
      AddKomToKomblock(kom, kb);
    return kb;
  };
  auto ifThen = [](Kel_Var_2 condition, Kel_Var_2 then, Kel_Var_2 otherwise) {
    Kel_Var_2 kom("Ifthenkom");
    kel::AddObj(kom, "Ifthenkom");
    kel::AddLink(kom, condition, "if1");
    kel::AddLink(kom, then, "then1");
    kel::AddLink(kom, otherwise, "else1");
    return kom;
  };
  Kel_Var_2 loop("Foreachkom");
  kel::AddObj(loop, "Foreachkom");
  kel::SetAttrStr(loop, "name1", "v");
  kel::SetAttrStr(loop, "text", "pk::B");
  kel::AddLink(loop, block({skom("return")}), "foreach1");
  Kel_Var_2 first = skom("call a()");
  block({first,
         ifThen(block({skom("return")}),
                block({ifThen(block({}), block({skom("return")}),
                              block({skom("b"), skom("return")}))}),
                block({skom("return")})),
         loop, skom("return x"), skom("return")});
  addTimingInformationToRETURN(first, at(proc), "7", "_t");
  std::ostringstream out;
  zevac::printCommandsListing(repo, kel::CurId(first), out);
  EXPECT_EQ(out.str(), R"(call a()
if
  return
then
  if
  then
)" + report("7", "    ", "_t") +
                           R"(    return
  else
    b
)" + report("7", "    ", "_t") +
                           R"(    return
  end
else
)" + report("7", "  ", "_t") +
                           R"(  return
end
foreach v : pk::B
do
  return
end
return x
)" + report("7", "", "_t") +
                           "return\n");

  Kel_Var_2 longChain("Komblock");
  kel::AddObj(longChain, "Komblock");
  for (int n = 0; n < 50000; ++n)
    AddSkomToKomBlock("skip", longChain);
  AddSkomToKomBlock("return", longChain);
  Kel_Var_2 skip("Kom"), last("Kom"), before("Skom");
  kel::FirstByLink(skip, longChain, "start");
  addTimingInformationToRETURN(skip, at(proc), "8", "_t");
  kel::FirstByLink(last, longChain, "lastkom");
  kel::FirstByLink(before, last, "Name");
  EXPECT_EQ(kel::GetAttrStr(before, "text"),
            "call appendToFile(_t,\"debug.txt\")");
}

} // namespace zeva::test
