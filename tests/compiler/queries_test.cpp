// Source-model queries called directly on small hand-built models. Links are
// made before the first query of a test reads them: the runtime caches
// partner lists for the whole run.
#include "compiler_fixture.h"

#include "../program/names.h"
#include "../queries/identifiers.h"
#include "../queries/names.h"
#include "../rules/subclasses.h"
#include "driver.h"
#include "globals.h"

#include <functional>

namespace zeva::test {
namespace {

class QueriesTest : public CompilerTest {
protected:
  void SetUp() override {
    CompilerTest::SetUp();
    _TARGET_ = 1;
  }
  ObjectId property(ObjectId cls, const char *name, Attrs attrs = {}) {
    ObjectId p = obj("Kernel::Property", attrs);
    setAttr(p, "name", name);
    if (cls)
      link(cls, "ownedAttribute", p);
    return p;
  }
};

TEST_F(QueriesTest, FullNamesAndClassLookup) {
  ObjectId m = model("M");
  ObjectId p = procedure(package(package(m, "a"), "b"), "p");
  ObjectId top = procedure(m, "top");
  ObjectId km = named("Kernel::Model", "KM");
  ObjectId people = named("Kernel::Package", "People", km);
  ObjectId person = named("Kernel::Class", "Person", people);
  ObjectId color = named("Kernel::Enumeration", "Color",
                         named("Kernel::Package", "InNer", people));
  ObjectId other = named("Kernel::Class", "Other", km);
  ObjectId twin = named("Kernel::Class", "PERSON", people);

  EXPECT_EQ(GetZEVAElementFullName(at(p)), "a_b_p");
  EXPECT_EQ(GetZEVAElementFullName(at(top)), "top");
  EXPECT_EQ(GetZEVAElementFullName(at(m)), "M");
  obj("project::Project", {{"name", "Proj"}});
  EXPECT_EQ(GetZEVAElementFullName(at(m)), "Proj");

  EXPECT_EQ(GetKernelElementFullName(at(person)), "people::Person");
  EXPECT_EQ(GetKernelElementFullName(at(color)), "people::inner::Color");
  EXPECT_EQ(GetKernelElementFullName(at(people)), "people");
  EXPECT_EQ(GetKernelElementFullName(at(other)), "Other");

  // The first class of a name wins, whichever lookups came before; the
  // exact comparison tells the two apart.
  kel::Kel_Var_2 cls("Kernel::Class");
  ASSERT_TRUE(IsIdentificatorClassSpecification("other", cls));
  EXPECT_EQ(kel::CurId(cls), other);
  ASSERT_TRUE(IsIdentificatorClassSpecification("PEOPLE::person", cls));
  EXPECT_EQ(kel::CurId(cls), person);
  EXPECT_FALSE(IsIdentificatorClassSpecification("Person", cls));
  EXPECT_TRUE(kel::IsNull(cls));
  _TARGET_ = 0;
  ASSERT_TRUE(IsIdentificatorClassSpecification("People::PERSON", cls));
  EXPECT_EQ(kel::CurId(cls), twin);
  EXPECT_FALSE(IsIdentificatorClassSpecification("People::person", cls));
}

TEST_F(QueriesTest, ProjectPathAndReferenceNames) {
  EXPECT_EQ(GetProjectPath(), "");
  ObjectId project = obj("project::Project", {{"path", "p/Lib.project"}});
  EXPECT_EQ(GetProjectPath(), ""); // no model
  model("Lib");
  EXPECT_EQ(GetProjectPath(), "p/.zeva/Lib/kel/");
  setAttr(project, "path", "12345678901"); // exactly 11 characters
  EXPECT_EQ(GetProjectPath(), ".zeva/Lib/kel/");
  setAttr(project, "path", "1234567890"); // shorter: kept whole
  EXPECT_EQ(GetProjectPath(), "1234567890.zeva/Lib/kel/");
  setAttr(project, "path", "dir/Ünïcödé.zvp"); // 11 characters, 15 bytes
  EXPECT_EQ(GetProjectPath(), "dir/.zeva/Lib/kel/");

  EXPECT_EQ(ExtractRefVarName("@x"), "x");
  EXPECT_EQ(ExtractRefVarName("@"), "");
  EXPECT_EQ(ExtractRefVarName("@@x"), "@x");
  EXPECT_EQ(ExtractRefVarName("a@b"), "a@b");
}

TEST_F(QueriesTest, IdentifiersNameAttributesAndVariables) {
  ObjectId leaf = named("Kernel::Class", "Leaf");
  ObjectId a = named("Kernel::Class", "A"), aa = named("Kernel::Class", "AA");
  ObjectId b = named("Kernel::Class", "B");
  ObjectId broken = named("Kernel::Class", "Broken");
  generalize(leaf, a);
  generalize(leaf, b);
  generalize(a, aa);
  generalize(broken, 0); // ends the search before b is asked
  generalize(broken, b);
  ObjectId leafN = property(leaf, "n");
  property(a, "n");
  ObjectId aaDeep = property(aa, "deep");
  property(b, "deep");
  ObjectId bOnly = property(b, "onlyB");
  kel::Kel_Var_2 prop("Kernel::Property");
  auto attribute = [&](ObjectId cls, const char *name) -> ObjectId {
    return IsIdentificatorAttribute(name, at(cls), prop) ? kel::CurId(prop) : 0;
  };
  EXPECT_EQ(attribute(leaf, "n"), leafN);     // own hides inherited
  EXPECT_EQ(attribute(leaf, "deep"), aaDeep); // depth first
  EXPECT_EQ(attribute(leaf, "onlyB"), bOnly);
  EXPECT_EQ(attribute(leaf, "N"), 0);
  EXPECT_EQ(attribute(broken, "onlyB"), 0);

  ObjectId p = procedure(model(), "p");
  ObjectId x = element(p, "ZEVA::Variable", {{"refName", "x"}});
  ObjectId y = element(p, "ZEVA::Variable", {{"refName", "y"}});
  link(p, "defines", x);
  link(p, "defines", y);
  ObjectId start = element(p, "ZEVA::Start");
  ObjectId loose = obj("ZEVA::Variable", {{"refName", "x"}});
  kel::Kel_Var_2 ref("ZEVA::ReferencableElement");
  auto variable = [&](const char *name, ObjectId from) -> ObjectId {
    return IsIdentificatorReferencableElement(name, at(from), ref)
               ? kel::CurId(ref)
               : 0;
  };
  EXPECT_EQ(variable("@y", start), y);
  EXPECT_EQ(variable("y", start), y);
  EXPECT_EQ(variable("x", y), x);
  EXPECT_EQ(variable("z", start), 0);
  EXPECT_EQ(variable("x", loose), 0); // owned by no procedure
}

TEST_F(QueriesTest, TypeCompatibilityFollowsSpecializations) {
  ObjectId root = named("Kernel::Class", "Root");
  ObjectId animal = named("Kernel::Class", "Animal");
  ObjectId dog = named("Kernel::Class", "Dog");
  ObjectId puppy = named("Kernel::Class", "Puppy");
  generalize(0, root); // a specialization without subclass: false at once
  generalize(animal, root);
  generalize(dog, animal);
  generalize(puppy, dog);
  ObjectId int1 = named("Kernel::PrimitiveType", "Integer");
  ObjectId int2 = named("Kernel::PrimitiveType", "Integer");
  ObjectId color = named("Kernel::Enumeration", "Color");
  auto ok = [&](ObjectId formal, ObjectId actual) {
    return AreTypesCompatible(at(formal), at(actual));
  };
  EXPECT_TRUE(ok(animal, puppy));
  EXPECT_FALSE(ok(dog, animal));
  EXPECT_FALSE(ok(root, dog));
  EXPECT_FALSE(ok(int1, int2));
  EXPECT_TRUE(ok(int1, int1));
  EXPECT_TRUE(ok(color, color));
  EXPECT_FALSE(ok(animal, int1));
  EXPECT_FALSE(ok(color, animal));
}

TEST_F(QueriesTest, PropertyStrings) {
  auto card = [&](Attrs bounds) {
    return GetPropertyCardinality(at(property(0, "p", bounds)));
  };
  EXPECT_EQ(card({{"lower", "1"}}), "*");
  EXPECT_EQ(card({{"lower", "0"}, {"upper", "1"}}), "0..1");
  EXPECT_EQ(card({{"lower", "0"}, {"upper", "5"}}), "*");
  EXPECT_EQ(card({{"lower", "1"}, {"upper", "1"}}), "1");
  EXPECT_EQ(card({{"lower", "1"}, {"upper", "-1"}}), "1..*");
  EXPECT_EQ(card({{"lower", "2"}, {"upper", "5"}}), "1..*");
  EXPECT_EQ(
      GetPropertyOrderingString(at(property(0, "o", {{"isOrdered", "true"}}))),
      "{ordered}");
  EXPECT_EQ(GetPropertyOrderingString(at(property(0, "u"))), "");

  // Blank names draw on the counter that labels use too.
  obj("LabelGenerator", {{"id", "1"}});
  EXPECT_EQ(GetPropertyNameGen(at(property(0, "  size "))), "size");
  EXPECT_EQ(GetPropertyNameGen(at(property(0, "   "))), "_1");
  EXPECT_EQ(GenerateUniqueName("_mlabel_"), "_mlabel_2");
  EXPECT_EQ(GetPropertyNameGen(at(property(0, ""))), "_3");

  ObjectId both = obj("ZEVA::AssocLink"), half = obj("ZEVA::AssocLink");
  link(both, "sourceProp", property(0, "src"));
  link(both, "destProp", property(0, "dst"));
  link(half, "sourceProp", property(0, "src"));
  EXPECT_EQ(GetAssocLinkRoleName(true, at(both)), "src");
  EXPECT_EQ(GetAssocLinkRoleName(false, at(both)), "dst");
  EXPECT_EQ(GetAssocLinkRoleName(false, at(half)), "");
}

} // namespace
} // namespace zeva::test

namespace zeva::test {

// Walks along owners and generalizations abort the run where they come back
// to an element; a class reached along two paths is no cycle.
TEST_F(CompilerTest, CyclesAbortTheRunWhereTheWalkComesBack) {
  _TARGET_ = 1;
  ObjectId a = named("Kernel::Class", "A"), b = named("Kernel::Class", "B");
  generalize(a, b);
  generalize(b, a);
  ObjectId km = named("Kernel::Model", "K");
  ObjectId k1 = named("Kernel::Package", "K1", km);
  ObjectId k2 = named("Kernel::Package", "K2", k1);
  link(k2, "ownedMember", k1);
  ObjectId inK2 = named("Kernel::Class", "X", k2);
  ObjectId m = model();
  ObjectId z1 = package(m, "z1", false), z2 = package(z1, "z2", false);
  link(z2, "ownedMember", z1);
  ObjectId p = procedure(z2, "p");
  // Diamond: C has subclasses D and E, and F is below both.
  ObjectId c = named("Kernel::Class", "C"), d = named("Kernel::Class", "D");
  ObjectId e = named("Kernel::Class", "E"), f = named("Kernel::Class", "F");
  generalize(d, c);
  generalize(e, c);
  generalize(f, d);
  generalize(f, e);
  ObjectId cOwn = obj("Kernel::Property", {{"name", "own"}});
  link(c, "ownedAttribute", cOwn);

  ObjectId unit = package(m, "u");
  link(unit, "ownedMember", m); // the model is owned by its own member
  kel::Kel_Var_2 found("Kernel::Property");
  ObjectId block = obj("Komblock"), tests = obj("Komblock");
  ObjectId def = obj("ZEVA::ClassElementDef", {{"refName", "x"}});
  struct Case {
    const char *walk;
    std::function<void()> run;
    ObjectId comesBackTo;
    const char *role, *cls;
  } cases[] = {
      {"IsIdentificatorAttribute",
       [&] { IsIdentificatorAttribute("missing", at(a), found); }, a,
       "generalization", "Kernel::Class"},
      {"AreTypesCompatible", [&] { AreTypesCompatible(at(a), at(c)); }, a,
       "specialization", "Kernel::Class"},
      {"CreateTypeNotEqualCommandsForSubClasses",
       [&] {
         CreateTypeNotEqualCommandsForSubClasses(at(b), at(block), "L",
                                                 at(def));
       },
       b, "specialization", "Kernel::Class"},
      {"GetKernelElementFullName", [&] { GetKernelElementFullName(at(inK2)); },
       k2, "owningPackage", "Kernel::Package"},
      {"GetZEVAElementFullName", [&] { GetZEVAElementFullName(at(p)); }, z2,
       "owningPackage", "ZEVA::Package"},
      {"CompileHeader",
       [&] { CompileHeader(at(m), kel::Kel_Var_2("Transformation"), false); },
       m, "ownedMember", "ZEVA::Model"},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.walk);
    dialogs().clear();
    bool aborted = false;
    try {
      k.run();
    } catch (const kel::Kel_Var_2_Exception &) {
      aborted = true;
    }
    EXPECT_TRUE(aborted);
    EXPECT_EQ(dialogs(), std::vector<std::string>{
                             "The model is cyclic in " + std::string(k.walk) +
                             ": following \"" + k.role + "\" from " + k.cls +
                             " #" + std::to_string(k.comesBackTo) +
                             " leads back to it.\nProgramm will now exit !"});
  }

  dialogs().clear();
  EXPECT_TRUE(IsIdentificatorAttribute("own", at(f), found));
  EXPECT_EQ(kel::CurId(found), cOwn);
  EXPECT_FALSE(IsIdentificatorAttribute("missing", at(f), found));
  EXPECT_TRUE(AreTypesCompatible(at(c), at(f)));
  EXPECT_FALSE(AreTypesCompatible(at(d), at(e)));
  CreateTypeNotEqualCommandsForSubClasses(at(c), at(tests), "L", at(def));
  std::string texts;
  for (ObjectId k = partners(tests, "start").at(0);;) {
    texts += attr(k, "text") + ";";
    std::vector<ObjectId> next = partners(k, "next1");
    if (next.empty())
      break;
    k = next[0];
  }
  EXPECT_EQ(texts, "type x!=C;type x!=D;type x!=F;type x!=E;type x!=F;");
  EXPECT_EQ(dialogs(), std::vector<std::string>{});
}

} // namespace zeva::test
