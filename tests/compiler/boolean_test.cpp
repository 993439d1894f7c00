#include "rules_fixture.h"

#include "../../compiler/rules/action_part.h"

#include <map>

namespace zeva::test {

// A rule from start to end whose elements are of class pk::A, with the
// attributes a, b : Integer, s, t : String and flag : Boolean.
class BooleanTest : public RulesTest {
protected:
  void SetUp() override {
    RulesTest::SetUp();
    ObjectId km = partners(pk, "owningPackage").at(0);
    for (const char *name : {"Integer", "String", "Boolean"})
      types[name] = named("Kernel::PrimitiveType", name, km);
    a = cls("A");
    for (auto [name, type] : {std::pair{"a", "Integer"},
                              {"b", "Integer"},
                              {"s", "String"},
                              {"t", "String"},
                              {"flag", "Boolean"}}) {
      ObjectId p = named("Kernel::Property", name);
      link(p, "type", types[type]);
      link(a, "ownedAttribute", p);
      attributes[name] = p;
    }
  }

  /// A class element of `r` with `constraint`.
  ObjectId constrained(ObjectId r, const std::string &name,
                       const char *constraint) {
    ObjectId e = elem(r, name.c_str(), a);
    setAttr(e, "constraint", constraint);
    return e;
  }
  /// The generated definitions of the procedure, as name:type.
  std::string temporaries() const {
    ObjectId pf = partners(proc, "procfunct").at(0);
    std::string out;
    for (ObjectId d : partners(partners(pf, "pfblock").at(0), "def"))
      if (attr(d, "name1").rfind("_m", 0) == 0)
        out += attr(d, "name1") + ":" + attr(d, "type1") + " ";
    return out;
  }
  /// The listing of the condition block of `e`'s search.
  std::string conditions(ObjectId e) const {
    ObjectId search = partners(e, "kom").at(0);
    ObjectId block = partners(search, "suchthat1").at(0);
    std::ostringstream out;
    zevac::printCommandsListing(repo, partners(block, "start").at(0), out);
    return out.str();
  }

  std::map<std::string, ObjectId> types, attributes;
  ObjectId a = 0;
};

// Each connective evaluates both operands into temporaries, then sets the
// result; outer brackets are dropped; a lone operand is compared with true;
// class-typed sides go into pointers. Empty constraints declare nothing.
TEST_F(BooleanTest, ConnectivesRelationsAndOperands) {
  variable("p", a);
  ObjectId r = rule(start, end);
  const char *texts[] = {"a = 1 or b = 2",
                         "(a = 1) and (b = 2)",
                         "not (s = t)",
                         "flag",
                         "p <> NULL",
                         "",
                         "   "};
  for (int i = 0; i < 7; ++i)
    constrained(r, "x" + std::to_string(i + 1), texts[i]);
  compile();
  EXPECT_EQ(messages(), std::vector<std::string>{});
  EXPECT_EQ(body(), R"(  _mlabel_2:
  if
    first x1 : pk::A
    suchthat
      setVar _mvar_5=false
      setVar _mvar_8=x1.a
      setVar _mvar_9=1
      var _mvar_8==_mvar_9 else goto _mlabel_7
      setVar _mvar_5=true
      _mlabel_7:
      setVar _mvar_6=false
      setVar _mvar_11=x1.b
      setVar _mvar_12=2
      var _mvar_11==_mvar_12 else goto _mlabel_10
      setVar _mvar_6=true
      _mlabel_10:
      setVar _mvar_3=true
      var _mvar_5==false else goto _mlabel_4
      var _mvar_6==false else goto _mlabel_4
      setVar _mvar_3=false
      _mlabel_4:
      var _mvar_3==true
    end
    first x2 : pk::A
    suchthat
      setVar _mvar_15=false
      setVar _mvar_18=x2.a
      setVar _mvar_19=1
      var _mvar_18==_mvar_19 else goto _mlabel_17
      setVar _mvar_15=true
      _mlabel_17:
      setVar _mvar_16=false
      setVar _mvar_21=x2.b
      setVar _mvar_22=2
      var _mvar_21==_mvar_22 else goto _mlabel_20
      setVar _mvar_16=true
      _mlabel_20:
      setVar _mvar_13=false
      var _mvar_15==true else goto _mlabel_14
      var _mvar_16==true else goto _mlabel_14
      setVar _mvar_13=true
      _mlabel_14:
      var _mvar_13==true
    end
    first x3 : pk::A
    suchthat
      setVar _mvar_25=false
      setVar _mvar_27=x3.s
      setVar _mvar_28=x3.t
      var _mvar_27==_mvar_28 else goto _mlabel_26
      setVar _mvar_25=true
      _mlabel_26:
      setVar _mvar_23=true
      var _mvar_25==true else goto _mlabel_24
      setVar _mvar_23=false
      _mlabel_24:
      var _mvar_23==true
    end
    first x4 : pk::A
    suchthat
      setVar _mvar_29=false
      setVar _mvar_31=x4.flag
      var _mvar_31==true else goto _mlabel_30
      setVar _mvar_29=true
      _mlabel_30:
      var _mvar_29==true
    end
    first x5 : pk::A
    suchthat
      setVar _mvar_32=false
      setPointer _mpointer_34=p
      setPointer _mpointer_35=null
      pointer _mpointer_34!=_mpointer_35 else goto _mlabel_33
      setVar _mvar_32=true
      _mlabel_33:
      var _mvar_32==true
    end
    first x6 : pk::A
    first x7 : pk::A
  then
    goto _mlabel_1
  else
    return
  end
  _mlabel_1:
  return
end
)");
  EXPECT_EQ(temporaries(),
            "_mvar_3:Boolean _mvar_5:Boolean _mvar_6:Boolean _mvar_8:Integer "
            "_mvar_9:Integer _mvar_11:Integer _mvar_12:Integer "
            "_mvar_13:Boolean _mvar_15:Boolean _mvar_16:Boolean "
            "_mvar_18:Integer _mvar_19:Integer _mvar_21:Integer "
            "_mvar_22:Integer _mvar_23:Boolean _mvar_25:Boolean "
            "_mvar_27:String _mvar_28:String _mvar_29:Boolean "
            "_mvar_31:Boolean _mvar_32:Boolean _mpointer_34:pk::A "
            "_mpointer_35:pk::A ");
  EXPECT_TRUE(all("Le").empty());
}

// A fault ends the piece it is found in; what was appended stays, and an
// enclosing connective still sets its result.
TEST_F(BooleanTest, FaultsLeavePartialCommands) {
  struct Case {
    const char *text, *message, *conditions;
  };
  const Case cases[] = {
      {"a =", "23 - No right side in a relation!",
       "setVar _mvar_3=false\nsetVar _mvar_5=m1.a\nvar _mvar_3==true\n"},
      {"= 1", "22 - No left side in a relation!",
       "setVar _mvar_6=false\nvar _mvar_6==true\n"},
      {"x or", "25 - OR has no right operand!", "var _mvar_8==true\n"},
      {") and x", "24 - Bracket error in a Boolean expression!",
       "var _mvar_9==true\n"},
      {"and x", "28 - AND has no left operand", "var _mvar_10==true\n"},
      {"not", "29 - NOT has no operand!", "var _mvar_11==true\n"},
      {"zz = 1", "65 - An unknown identifier \"zz\" in a constraint!",
       "setVar _mvar_12=false\nvar _mvar_12==true\n"},
      {"or x", "26 - OR has no left operand!", "var _mvar_14==true\n"},
      {"a = 1 and", "27 - AND has no right operand!", "var _mvar_15==true\n"},
      {"a = 1 or (b = 2", "24 - Bracket error in a Boolean expression!",
       R"(setVar _mvar_18=false
setVar _mvar_21=m10.a
setVar _mvar_22=1
var _mvar_21==_mvar_22 else goto _mlabel_20
setVar _mvar_18=true
_mlabel_20:
setVar _mvar_16=true
var _mvar_18==false else goto _mlabel_17
var _mvar_19==false else goto _mlabel_17
setVar _mvar_16=false
_mlabel_17:
var _mvar_16==true
)"},
      {"a = \"x\"", "46 - Type mismatch by constant \"\"x\"\" !",
       R"(setVar _mvar_23=false
setVar _mvar_25=m11.a
setVar _mvar_26=
var _mvar_25==_mvar_26 else goto _mlabel_24
setVar _mvar_23=true
_mlabel_24:
var _mvar_23==true
)"},
  };
  ObjectId r = rule(start, end);
  std::vector<ObjectId> elements;
  for (const Case &c : cases)
    elements.push_back(
        constrained(r, "m" + std::to_string(elements.size() + 1), c.text));
  compile();
  std::vector<ObjectId> messageObjects = all("Utility::CompilerMessages");
  ASSERT_EQ(messageObjects.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].text);
    EXPECT_EQ(attr(messageObjects[i], "text"), cases[i].message);
    EXPECT_EQ(partners(messageObjects[i], "element"),
              std::vector<ObjectId>{elements[i]});
    EXPECT_EQ(conditions(elements[i]), cases[i].conditions);
  }
}

// Brackets open a new level on which "or" binds weakest again, below an
// "and" that is already split; "not" binds tighter than "or".
TEST_F(BooleanTest, BracketsStartANewLevel) {
  ObjectId x =
      constrained(rule(start, end), "x", "flag and (a = 1 or not flag)");
  compile();
  EXPECT_EQ(messages(), std::vector<std::string>{});
  EXPECT_EQ(conditions(x), R"(setVar _mvar_5=false
setVar _mvar_8=x.flag
var _mvar_8==true else goto _mlabel_7
setVar _mvar_5=true
_mlabel_7:
setVar _mvar_10=false
setVar _mvar_13=x.a
setVar _mvar_14=1
var _mvar_13==_mvar_14 else goto _mlabel_12
setVar _mvar_10=true
_mlabel_12:
setVar _mvar_16=false
setVar _mvar_18=x.flag
var _mvar_18==true else goto _mlabel_17
setVar _mvar_16=true
_mlabel_17:
setVar _mvar_11=true
var _mvar_16==true else goto _mlabel_15
setVar _mvar_11=false
_mlabel_15:
setVar _mvar_6=true
var _mvar_10==false else goto _mlabel_9
var _mvar_11==false else goto _mlabel_9
setVar _mvar_6=false
_mlabel_9:
setVar _mvar_3=false
var _mvar_5==true else goto _mlabel_4
var _mvar_6==true else goto _mlabel_4
setVar _mvar_3=true
_mlabel_4:
var _mvar_3==true
)");
}

// Long chains of one connective nest as deep as they are long.
TEST_F(BooleanTest, LongChainsCompile) {
  constexpr int kTerms = 1000;
  ObjectId r = rule(start, end);
  for (const char *op : {" or ", " and "}) {
    std::string text = "flag";
    for (int i = 1; i < kTerms; ++i)
      text += op + std::string("flag");
    constrained(r, op[1] == 'o' ? "o" : "n", text.c_str());
  }
  compile();
  EXPECT_EQ(messages(), std::vector<std::string>{});
  // Per constraint: a test per operand, two per connective, the final one.
  EXPECT_EQ(all("Ekom").size(), std::size_t(2 * (3 * kTerms - 1)));
}

// Assignments follow the creations and precede the deletions; "NULL"
// empties an attribute without an expression.
TEST_F(BooleanTest, Assignments) {
  ObjectId r = rule(start, end);
  ObjectId x = elem(r, "x", a);
  ObjectId n = elem(r, "n", a, "Create");
  ObjectId v = ref(r, variable("v", types["Integer"]));
  ObjectId q = ref(r, variable("q", a));
  elem(r, "d", a, "Delete");
  assign(r, x, "a + 1", attributes["a"]);
  assign(r, x, "NULL", attributes["s"]);
  assign(r, x, "null", attributes["s"]);
  assign(r, x, "x"); // a whole class element: message 77
  assign(r, n, "5", attributes["a"]);
  assign(r, v, "x.a");
  assign(r, q, "x");
  compile();
  EXPECT_EQ(body(), R"(  _mlabel_2:
  if
    first x : pk::A
    first d : pk::A
  then
    addObj n:pk::A
    setAttr x.a=x.a + 1
    call SetAttrValEmpty(x,"s")
    setAttr x.s=
    setAttr n.a=5
    setVar v=x.a
    setPointer q=x
    deleteObj d
    goto _mlabel_1
  else
    return
  end
  _mlabel_1:
  return
end
)");
  EXPECT_EQ(all("Expression").size(), 5u);
  // Without an assigned element: on the owning rule, else on itself.
  ObjectId owned = assign(r, 0, "1"), loose = assign(0, 0, "1");
  ObjectId block = obj("Komblock");
  PrintAssignment(at(owned), at(block));
  PrintAssignment(at(loose), at(block));
  EXPECT_EQ(chain(block), "| -");
  std::vector<std::pair<std::string, ObjectId>> found;
  for (ObjectId m : all("Utility::CompilerMessages"))
    found.emplace_back(attr(m, "text"), partners(m, "element").at(0));
  EXPECT_EQ(found, (std::vector<std::pair<std::string, ObjectId>>{
                       {"20 - An unknown identifier \"null\" !", x},
                       {"77 - Assigned property not set!", x},
                       {"76 - Assigned element not set!", r},
                       {"76 - Assigned element not set!", loose}}));
}

} // namespace zeva::test
