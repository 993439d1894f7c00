#include "runtime_fixture.h"

#include <fstream>
#include <sstream>

namespace kel::test {

TEST_F(RuntimeTest, SetPointerWithinTheTargetsOwnIteration) {
  ObjectId r1 = make("ZEVA::Rule"), t1 = make("ZEVA::TextStatement");
  ObjectId r2 = make("ZEVA::Rule");
  Kel_Var_2 src("ZEVA::Rule"), dst("ZEVA::DecisionStatement");
  ASSERT_TRUE(First(src, "ZEVA::Rule"));
  ASSERT_TRUE(Next(src));
  // An uninitialised target iterates over its declared class and continues
  // from the assigned object.
  SetPointer(dst, src);
  EXPECT_EQ(CurId(dst), r2);
  EXPECT_EQ(rest(dst, Next(dst)), (Ids{t1}));
  // A target made null by SetNull rebuilds its list from a class source.
  SetNull(dst);
  SetPointer(dst, src);
  EXPECT_EQ(CurId(dst), r2);
  // Null source: null target.
  Kel_Var_2 nothing("ZEVA::Rule");
  SetPointer(dst, nothing);
  EXPECT_TRUE(IsNull(dst));

  // Kind 2 sources are looked up in the object list; kind 2 targets must
  // find the object among their partners.
  ObjectId proc = make("ZEVA::ZEVAprocedure");
  link(proc, "flowend", r1);
  link(proc, "flowend", t1);
  Kel_Var_2 p("ZEVA::ZEVAprocedure"), fe("ZEVA::FlowEnd");
  ASSERT_TRUE(First(p, "ZEVA::ZEVAprocedure"));
  ASSERT_TRUE(FirstByLink(fe, p, "flowend"));
  ASSERT_TRUE(Next(fe));
  ASSERT_TRUE(First(dst, "ZEVA::DecisionStatement"));
  SetPointer(dst, fe);
  EXPECT_EQ(CurId(dst), t1);
  ASSERT_TRUE(FirstByLink(fe, p, "flowend"));
  SetPointer(fe, dst); // t1 is a partner: fe moves there
  EXPECT_EQ(CurId(fe), t1);
  EXPECT_FALSE(Next(fe));
  ASSERT_TRUE(FirstByLink(fe, p, "flowend"));
  dialogs().clear();
  SetPointer(fe, src); // r2 is not a partner
  EXPECT_TRUE(IsNull(fe));
  EXPECT_EQ(dialogs(), (std::vector<std::string>{"Assignment Failed."}));
  // A kind 1 target without a list cannot take a kind 2 source; a source
  // outside the target's hierarchy fails too.
  SetNull(dst);
  ASSERT_TRUE(FirstByLink(fe, p, "flowend"));
  SetPointer(dst, fe);
  EXPECT_TRUE(IsNull(dst));
  Kel_Var_2 rules("ZEVA::Rule");
  ASSERT_TRUE(First(rules, "ZEVA::Rule"));
  Kel_Var_2 text("ZEVA::TextStatement");
  ASSERT_TRUE(First(text, "ZEVA::TextStatement"));
  SetPointer(rules, text);
  EXPECT_TRUE(IsNull(rules));
  EXPECT_EQ(dialogs().size(), 3u);
  // A kind 2 target whose FirstByLink failed has no list to search.
  EXPECT_FALSE(FirstByLink(fe, nothing, "flowend"));
  SetPointer(fe, src);
  EXPECT_TRUE(IsNull(fe));
  EXPECT_TRUE(PtrEq(fe, nothing));
  EXPECT_TRUE(PtrNe(src, nothing));
  EXPECT_FALSE(PtrEq(src, rules));
}

TEST_F(RuntimeTest, AttributeReadsAndWritesOfEveryKind) {
  Kel_Var_2 m("Utility::CompilerMessages");
  AddObj(m, "Utility::CompilerMessages");
  SetAttrEnum(m, "CompilerMessageType", "  CompilerMessageType::Error ");
  EXPECT_EQ(GetAttrEnum(m, "CompilerMessageType"),
            "CompilerMessageType::Error");
  SetAttrStr(m, "text", " 57 - A rule is empty! ");
  EXPECT_EQ(GetAttrStr(m, "text"), " 57 - A rule is empty! ");

  Kel_Var_2 param("ZEVA::Parameter");
  AddObj(param, "ZEVA::Parameter");
  EXPECT_EQ(GetAttrInt(param, "paramNumber"), 0); // unset
  SetAttrInt(param, "paramNumber", -3);
  EXPECT_EQ(GetAttrInt(param, "paramNumber"), -3);
  for (auto [stored, expected] : {std::pair{"true", true},
                                  {"1", true},
                                  {"TRUE", false},
                                  {"yes", false},
                                  {"", false}}) {
    SetAttrStr(param, "inOut", stored);
    EXPECT_EQ(GetAttrBool(param, "inOut"), expected) << stored;
  }
  SetAttrBool(param, "inOut", true);
  EXPECT_EQ(GetAttrStr(param, "inOut"), "true");

  Kel_Var_2 elem("ZEVA::ClassElement");
  AddObj(elem, "ZEVA::ClassElement");
  SetAttrEnum(elem, "ElemType", "A::B::Delete"); // the last piece counts
  EXPECT_EQ(GetAttrEnum(elem, "ElemType"), "ElemType::Delete");
  SetAttrEnum(elem, "CardConstraint", " NOT ");
  EXPECT_EQ(GetAttrStr(elem, "CardConstraint"), "NOT");

  // Reads look up the declared class, enumeration reads the exact one.
  EXPECT_TRUE(dialogs().empty());
  Kel_Var_2 general("ZEVA::ReferencableElement");
  ASSERT_TRUE(First(general, "ZEVA::ClassElement"));
  EXPECT_EQ(GetAttrStr(general, "ElemType"), "");
  EXPECT_EQ(dialogs(), (std::vector<std::string>{"Bad Attribute ID 0."}));
  EXPECT_EQ(GetAttrEnum(general, "ElemType"), "ElemType::Delete");
  // A write of a missing attribute ends the run as an internal error.
  dialogs().clear();
  EXPECT_THROW(SetAttrStr(general, "colour", "red"), InternalError);
  EXPECT_EQ(dialogs(), (std::vector<std::string>{"Bad Attribute ID 0.",
                                                 "Bad Attribute ID 0"}));
  // So does a value the repository refuses.
  EXPECT_THROW(SetAttrStr(param, "paramNumber", "two"), InternalError);
}

TEST_F(RuntimeTest, AbortPathsReportAndThrow) {
  Kel_Var_2 none("ZEVA::Rule");
  auto aborts = [&](auto op, std::vector<std::string> shown) {
    dialogs().clear();
    try {
      op();
      ADD_FAILURE() << "no abort";
    } catch (const Kel_Var_2_Exception &e) {
      EXPECT_EQ(e.text(), "");
    }
    EXPECT_EQ(dialogs(), shown);
  };
  const std::string unexisting =
      "Attempt to use unexisting object\nProgramm will now exit !";
  aborts([&] { GetAttrStr(none, "constraint"); }, {unexisting});
  aborts([&] { GetAttrEnum(none, "constraint"); },
         {"Bad Attribute ID 0.", unexisting});
  aborts([&] { SetAttrInt(none, "paramNumber", 1); },
         {"Bad Attribute ID 0.", unexisting});
  aborts([&] { IsTypeOf(none, "ZEVA::Rule"); },
         {"Null in isTypeOf.\nProgramm will now exit !"});

  Kel_Var_2 fe("ZEVA::FlowEnd");
  try {
    AddObj(fe, "ZEVA::Package");
    ADD_FAILURE() << "no abort";
  } catch (const Kel_Var_2_Exception &e) {
    EXPECT_EQ(e.text(),
              "Incompatible types in addObj(requested class is not subclass "
              "of declared class)\ndeclared class name : \"ZEVA::FlowEnd\"\n "
              "requested class name : \"ZEVA::Package\".");
  }
  AddObj(fe, "ZEVA::Nothing");
  EXPECT_TRUE(IsNull(fe));
  AddObj(fe, "ZEVA::Rule");
  EXPECT_TRUE(IsTypeOf(fe, "ZEVA::Rule"));
  EXPECT_FALSE(IsTypeOf(fe, "ZEVA::FlowEnd")); // exact class only
  EXPECT_FALSE(IsTypeOf(fe, "ZEVA::Nothing"));

  // Reports also go to the trace log, after a line break.
  std::ifstream log("Kel_trace.txt");
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_NE(text.str().find("\n!!! Class \"ZEVA::Nothing\" does not exist.\n"),
            std::string::npos)
      << text.str();
  EXPECT_EQ(text.str().find("isTypeOf"), std::string::npos)
      << "dialog-only texts are not logged";
}

} // namespace kel::test
