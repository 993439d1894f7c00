#include "compiler_fixture.h"

namespace zeva::test {

class HeadersTest : public CompilerTest {
protected:
  void SetUp() override {
    CompilerTest::SetUp();
    ObjectId km = obj("Kernel::Model", {{"name", "K"}});
    ObjectId people = obj("Kernel::Package", {{"name", "People"}});
    link(km, "ownedMember", people);
    person = obj("Kernel::Class", {{"name", "Person"}});
    link(people, "ownedMember", person);
    integer = obj("Kernel::PrimitiveType", {{"name", "Integer"}});
    link(km, "ownedMember", integer);
    unit = package(model(), "a");
  }
  ObjectId param(ObjectId proc, const char *name, const char *number,
                 ObjectId type, const char *cls = "ZEVA::Parameter") {
    ObjectId p = obj(cls, {{"refName", name}, {"paramNumber", number}});
    link(proc,
         cls == std::string("ZEVA::Parameter") &&
                 repo.metamodel().classInfo(repo.classOf(proc))->name ==
                     "ZEVA::ExternalProcedure"
             ? "params"
             : "ownedElement",
         p);
    if (type)
      link(p, "type", type);
    return p;
  }
  ObjectId person = 0, integer = 0, unit = 0;
};

TEST_F(HeadersTest, ParametersAreTakenByNumberUntilTheFirstGap) {
  ObjectId p = straightProcedure(unit, "p");
  ObjectId two = param(p, "second", "2", person);
  param(p, "first", "1", integer);
  param(p, "again", "2", integer);  // same number: the first one wins
  param(p, "fourth", "4", integer); // after the gap: ignored
  setAttr(two, "inOut", "true");
  link(p, "returnType", integer);
  compile();
  EXPECT_EQ(listing("a_p"),
            "procedure a_p(first : Integer, ref second : people::Person) : "
            "Integer\n"
            "begin\n"
            "  _mlabel_1:\n"
            "  return\n"
            "end\n");
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(partners(p, "params").size(), 2u);
  EXPECT_EQ(partners(p, "defines").size(), 2u);
  EXPECT_EQ(partners(two, "pfparam").size(), 1u);
}

TEST_F(HeadersTest, DefinitionsBecomePointersOrVariables) {
  ObjectId p = straightProcedure(unit, "p");
  ObjectId who = element(p, "ZEVA::Variable", {{"refName", "who"}});
  link(who, "type", person);
  ObjectId n = element(p, "ZEVA::ClassElementDef", {{"refName", "n"}});
  link(n, "type", integer);
  ObjectId untyped = element(p, "ZEVA::Variable", {{"refName", "u"}});
  ObjectId bad = param(p, "x", "1", 0);
  compile();
  EXPECT_EQ(listing("a_p"), "procedure a_p()\n"
                            "  pointer who : people::Person\n"
                            "  var n : Integer\n"
                            "begin\n"
                            "  _mlabel_1:\n"
                            "  return\n"
                            "end\n");
  EXPECT_EQ(messages(), (std::vector<std::string>{
                            "2 - The parameter has no type specification!",
                            "3 - The variable has no type specification!"}));
  EXPECT_EQ(partners(all("Utility::CompilerMessages")[1], "element"),
            std::vector<ObjectId>{untyped});
  EXPECT_EQ(partners(who, "defin").size(), 1u);
  EXPECT_EQ(partners(p, "defines"), (std::vector<ObjectId>{who, n}));
  EXPECT_TRUE(partners(bad, "pfparam").empty());
}

TEST_F(HeadersTest, ExternalProceduresBecomeNativeDeclarations) {
  ObjectId calc = obj("ZEVA::ExternalProcedure", {{"name", "calc"}});
  link(unit, "ownedMember", calc);
  param(calc, "v", "1", integer);
  param(calc, "w", "2", 0);
  param(calc, "z", "3", integer);
  compile();
  // The untyped second parameter is made but not linked, so the third is
  // unreachable from the ProcFunct.
  EXPECT_EQ(listing("ext_calc"), "native procedure ext_calc(v : Integer)\n");
  EXPECT_EQ(messages(), std::vector<std::string>{
                            "1 - The parameter has no type specification!"});
}

} // namespace zeva::test

namespace zeva::test {

TEST_F(HeadersTest, ThePreludeIsExact) {
  straightProcedure(unit, "main", {{"isMain", "true"}});
  compile();
  EXPECT_EQ(listing("_resetIDENT"), "procedure _resetIDENT()\n"
                                    "  var i : Integer\n"
                                    "begin\n"
                                    "  setVar _IDENTstr=\"\\n\";\n"
                                    "  setVar i=_IDENTint;\n"
                                    "  label start;\n"
                                    "  var i>1 else ret;\n"
                                    "  setVar _IDENTstr=_IDENTstr+\"\\t\";\n"
                                    "  setVar i=i-1;\n"
                                    "  goto start;\n"
                                    "  label ret\n"
                                    "end\n");
  EXPECT_EQ(listing("_initializeZEVAtransformation"),
            "procedure _initializeZEVAtransformation()\n"
            "begin\n"
            "  call writeToFile(\"##################This is ZEVA "
            "transformation trace "
            "file#################################################\","
            "\"debug.txt\")\n"
            "  setVar _IDENTint=1\n"
            "  setVar _IDENTstr=\"\\n\"\n"
            "end\n");
  std::string natives;
  for (const char *name :
       {"NotAttrValEmpty", "IsAttrValEmpty", "SetAttrValEmpty", "toUpper",
        "toLower", "indexOf", "appendToFile", "startNthTimer", "stopNthTimer",
        "elapsedNthTimeString", "writeToFile", "GetInstanceID"})
    natives += listing(name);
  EXPECT_EQ(natives,
            "native procedure NotAttrValEmpty(ref obj : AnyClass, ref "
            "attrName  : String) : Boolean\n"
            "native procedure IsAttrValEmpty(ref obj : AnyClass, ref attrName  "
            ": String) : Boolean\n"
            "native procedure SetAttrValEmpty(ref obj : AnyClass, ref "
            "attrName  : String)\n"
            "native procedure toUpper(s : String) : String\n"
            "native procedure toLower(s : String) : String\n"
            "native procedure indexOf(s : String, ss : String) : Integer\n"
            "native procedure appendToFile(s : String, ss : String)\n"
            "native procedure startNthTimer(i : Integer)\n"
            "native procedure stopNthTimer(i : Integer)\n"
            "native procedure elapsedNthTimeString(i : Integer) : String\n"
            "native procedure writeToFile(s : String, ss : String)\n"
            "native procedure GetInstanceID(ref obj : AnyClass) : String\n");
  // The reset procedure's text is one command, linked as "start" only; the
  // global block holds the two trace variables.
  for (ObjectId pf : all("ProcFunct"))
    if (attr(pf, "name1") == "_resetIDENT") {
      EXPECT_TRUE(partners(partners(pf, "block").at(0), "lastkom").empty());
    }
  ObjectId unitProgram = partners(unit, "transf").at(0);
  std::vector<std::string> globals;
  for (ObjectId d : partners(partners(unitProgram, "block").at(0), "def"))
    globals.push_back(attr(d, "name1") + ":" + attr(d, "type1"));
  EXPECT_EQ(globals, (std::vector<std::string>{"_IDENTint:Integer",
                                               "_IDENTstr:String"}));
  // Native declarations carry "name" too, and no blocks.
  for (ObjectId pf : all("ProcFunct"))
    if (attr(pf, "is_native") == "true") {
      EXPECT_EQ(attr(pf, "name"), attr(pf, "name1"));
      EXPECT_TRUE(partners(pf, "block").empty());
    }
}

} // namespace zeva::test
