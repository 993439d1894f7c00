#include "metamodel.h"

#include <gtest/gtest.h>

using namespace zrep;

namespace {

const Metamodel &mm() { return Metamodel::builtin(); }

std::vector<std::string> subclassNames(std::string_view cls) {
  std::vector<std::string> out;
  for (TypeId id : mm().classInfo(mm().classId(cls))->subclasses)
    out.push_back(mm().classInfo(id)->name);
  return out;
}

const EndInfo &end(std::string_view cls, std::string_view role) {
  TypeId id = mm().endId(mm().classId(cls), role);
  EXPECT_NE(id, 0) << cls << "." << role;
  static EndInfo none;
  return id ? *mm().endInfo(id) : none;
}

} // namespace

TEST(Metamodel, SubclassOrderFixesExtentOrder) {
  using V = std::vector<std::string>;
  EXPECT_EQ(subclassNames("Kernel::NamedElement"),
            (V{"Kernel::Package", "Kernel::Type", "Kernel::Association",
               "Kernel::Property", "Kernel::EnumerationLiteral"}));
  EXPECT_EQ(subclassNames("ZEVA::FlowEnd"),
            (V{"ZEVA::Start", "ZEVA::End", "ZEVA::CallStatement",
               "ZEVA::DecisionStatement", "ZEVA::FlowEndContainer"}));
  EXPECT_EQ(subclassNames("ZEVA::ReferencableElement"),
            (V{"ZEVA::Parameter", "ZEVA::Variable", "ZEVA::ClassElementDef",
               "ZEVA::ClassElement"}));
  EXPECT_EQ(subclassNames("Kom"),
            (V{"Skom", "Gotokom", "Ifthenkom", "Foreachkom", "FNkom", "Ekom"}));
  // Preorder: the class itself, then each subclass's own preorder.
  const ClassInfo &fe = *mm().classInfo(mm().classId("ZEVA::FlowEnd"));
  std::vector<std::string> pre;
  for (TypeId id : fe.preorder)
    pre.push_back(mm().classInfo(id)->name);
  EXPECT_EQ(pre,
            (V{"ZEVA::FlowEnd", "ZEVA::Start", "ZEVA::End",
               "ZEVA::CallStatement", "ZEVA::DecisionStatement", "ZEVA::Rule",
               "ZEVA::TextStatement", "ZEVA::FlowEndContainer", "ZEVA::Loop",
               "ZEVA::ForeachLoop", "ZEVA::WhileLoop"}));
}

TEST(Metamodel, EndsPairWithTheirInverses) {
  for (const EndInfo &e : mm().ends()) {
    const EndInfo &inv = *mm().endInfo(e.inverse);
    EXPECT_EQ(inv.inverse, e.id) << e.role;
    EXPECT_EQ(inv.owner, e.target) << e.role;
  }
  EXPECT_EQ(mm().endInfo(end("ZEVA::Package", "ownedMember").inverse)->role,
            "owningPackage");
  EXPECT_TRUE(end("ZEVA::Package", "ownedMember").many);
  EXPECT_EQ(mm().endId(mm().classId("ZEVA::Rule"), "owningPackage"), 0);
  // The chain roles are single-valued at both ends.
  for (auto [cls, role] : {std::pair{"Komblock", "start"},
                           {"Komblock", "lastkom"},
                           {"Skom", "next1"},
                           {"Expression", "start"},
                           {"Expression", "lastelem"},
                           {"Atr", "next1"},
                           {"Le", "next1"}}) {
    const EndInfo &e = end(cls, role);
    EXPECT_FALSE(e.many) << cls << "." << role;
    EXPECT_FALSE(mm().endInfo(e.inverse)->many) << cls << "." << role;
  }
  EXPECT_EQ(mm().endInfo(end("Skom", "next1").inverse)->role, "Name");
  EXPECT_EQ(mm().endInfo(end("Le", "next1").inverse)->role, "prev1");
}

TEST(Metamodel, MembersAreInheritedWithOneId) {
  TypeId named = mm().classId("Kernel::NamedElement");
  TypeId cls = mm().classId("Kernel::Class");
  EXPECT_EQ(mm().attrId(named, "name"), mm().attrId(cls, "name"));
  EXPECT_NE(mm().attrId(cls, "isAbstract"), 0);
  EXPECT_EQ(mm().attrId(named, "isAbstract"), 0);
  // The message end is usable from every class, source and target alike.
  for (const char *c : {"ZEVA::Rule", "Kernel::Property", "Skom", "Le"})
    EXPECT_NE(mm().endId(mm().classId(c), "compilerMessage"), 0) << c;
  const AttrInfo &type = *mm().attrInfo(mm().attrId(
      mm().classId("Utility::CompilerMessages"), "CompilerMessageType"));
  EXPECT_EQ(type.kind, AttrKind::Enum);
  EXPECT_EQ(mm().enums()[type.enumIndex].literals,
            (std::vector<std::string>{"Error", "Warning"}));
  EXPECT_TRUE(mm().classInfo(mm().classId("ZEVA::Loop"))->isAbstract);
  EXPECT_FALSE(mm().classInfo(mm().classId("ZEVA::WhileLoop"))->isAbstract);
  EXPECT_TRUE(mm().isKindOf(mm().classId("ZEVA::ForeachLoop"),
                            mm().classId("ZEVA::FlowEnd")));
  EXPECT_FALSE(mm().isKindOf(mm().classId("ZEVA::FlowEnd"),
                             mm().classId("ZEVA::ForeachLoop")));
}
