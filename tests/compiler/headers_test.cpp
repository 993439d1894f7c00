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
