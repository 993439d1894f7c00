#include "compiler_fixture.h"

#include "../../compiler/program/chains.h"
#include "../../compiler/program/declarations.h"
#include "../../compiler/program/names.h"

namespace zeva::test {

TEST_F(CompilerTest, AppendingAndPrependingKeepBothEnds) {
  ObjectId block = obj("Komblock");
  ObjectId a = obj("Skom", {{"text", "a"}}), b = obj("Skom", {{"text", "b"}});
  ObjectId c = obj("Skom", {{"text", "c"}});
  AddKomToKomblock(at(a), at(block));
  EXPECT_EQ(chain(block), "a; | a");
  AddKomToKomblock(at(b), at(block));
  EXPECT_EQ(chain(block), "a; b; | b");
  AddKomToKomblockStart(at(c), at(block));
  EXPECT_EQ(chain(block), "c; a; b; | b");

  ObjectId other = obj("Komblock");
  AddKomToKomblockStart(at(obj("Skom", {{"text", "x"}})), at(other));
  EXPECT_EQ(chain(other), "x; | x");
  AddSkomToKomBlock("y", at(other));
  EXPECT_EQ(chain(other), "x; y; | y");

  // Moving into a non-empty block appends; into an empty one takes both
  // ends over; from an empty one changes nothing.
  MoveKomsFromKomBlock(at(other), at(block));
  EXPECT_EQ(chain(block), "c; a; b; x; y; | y");
  EXPECT_EQ(chain(other), "| -");
  MoveKomsFromKomBlock(at(other), at(block));
  EXPECT_EQ(chain(block), "c; a; b; x; y; | y");
  MoveKomsFromKomBlock(at(block), at(other));
  EXPECT_EQ(chain(other), "c; a; b; x; y; | y");
  EXPECT_EQ(chain(block), "| -");
}

TEST_F(CompilerTest, InsertingBeforeAndAfterCommands) {
  ObjectId block = obj("Komblock");
  ObjectId a = obj("Skom", {{"text", "a"}}), b = obj("Skom", {{"text", "b"}});
  AddKomToKomblock(at(a), at(block));
  AddKomToKomblock(at(b), at(block));
  AddKomBeforeKom(at(a), at(obj("Skom", {{"text", "first"}})));
  AddKomBeforeKom(at(b), at(obj("Skom", {{"text", "mid1"}})));
  AddKomAfterKom(at(a), at(obj("Skom", {{"text", "mid2"}})));
  AddKomAfterKom(at(b), at(obj("Skom", {{"text", "last"}})));
  EXPECT_EQ(chain(block), "first; a; mid2; mid1; b; last; | last");
  // A command in no chain and no block: nothing happens.
  ObjectId loose = obj("Skom", {{"text", "loose"}});
  ObjectId extra = obj("Skom", {{"text", "extra"}});
  AddKomBeforeKom(at(loose), at(extra));
  AddKomAfterKom(at(loose), at(extra));
  EXPECT_TRUE(partners(extra, "next1").empty());
  EXPECT_TRUE(partners(loose, "next1").empty());

  ObjectId expr = obj("Expression");
  ObjectId v1 = obj("Vari", {{"name1", "x"}}), v2 = obj("Op", {{"val", "+"}});
  AddEelemToExpression(at(v1), at(expr));
  AddEelemToExpression(at(v2), at(expr));
  EXPECT_EQ(partners(expr, "start"), std::vector<ObjectId>{v1});
  EXPECT_EQ(partners(expr, "lastelem"), std::vector<ObjectId>{v2});
  EXPECT_EQ(partners(v1, "next1"), std::vector<ObjectId>{v2});
}

TEST_F(CompilerTest, GeneratedNamesShareOneCounter) {
  EXPECT_EQ(GenerateUniqueName("_mvar_"), ""); // no counter yet
  obj("LabelGenerator", {{"id", "1"}});
  kel::Kel_Var_2 label = CreateLabel();
  EXPECT_EQ(kel::GetAttrStr(label, "name"), "_mlabel_1");
  EXPECT_EQ(kel::GetAttrStr(label, "text"), "label _mlabel_1");
  EXPECT_EQ(GenerateUniqueName("_mvar_"), "_mvar_2");
  EXPECT_EQ(GenerateUniqueName("_"), "_3");
  kel::Kel_Var_2 jump = CreateGoto(label);
  EXPECT_EQ(kel::GetAttrStr(jump, "labname"), "_mlabel_1");
  kel::Kel_Var_2 nowhere = CreateGoto(kel::Kel_Var_2("Skom"));
  EXPECT_EQ(kel::GetAttrStr(nowhere, "labname"), "");
  EXPECT_TRUE(partners(kel::CurId(label), "Name").empty()) << "in no block";
}

TEST_F(CompilerTest, DeclarationsGoToTheProceduresDefblock) {
  obj("LabelGenerator", {{"id", "5"}});
  ObjectId m = model();
  ObjectId a = package(m, "a");
  ObjectId p = procedure(a, "p");
  ObjectId var = element(p, "ZEVA::Variable", {{"refName", "v"}});
  ObjectId pf = obj("ProcFunct"), defs = obj("Defblock");
  link(p, "procfunct", pf);
  link(pf, "pfblock", defs);
  kel::Kel_Var_2 va = DeclareVa("Integer", "count", at(p));
  EXPECT_EQ(kel::GetAttrStr(va, "name1"), "count");
  EXPECT_EQ(kel::GetAttrStr(va, "type1"), "Integer");
  kel::Kel_Var_2 po = DeclarePoCon("pk::C", at(var));
  EXPECT_EQ(kel::GetAttrStr(po, "name1"), "_mpointer_5");
  EXPECT_TRUE(kel::IsTypeOf(po, "Po"));
  DeclareVaInDefBlock("name", "String", at(defs));
  std::vector<std::string> defined;
  for (ObjectId d : partners(defs, "def"))
    defined.push_back(attr(d, "name1") + ":" + attr(d, "type1"));
  EXPECT_EQ(defined, (std::vector<std::string>{
                         "count:Integer", "_mpointer_5:pk::C", "name:String"}));
  EXPECT_TRUE(messages().empty());

  // Without a ProcFunct: message 1001 on the procedure, an unlinked Va.
  ObjectId q = procedure(a, "q");
  kel::Kel_Var_2 lost = DeclareVa("Integer", "n", at(q));
  EXPECT_FALSE(kel::IsNull(lost));
  EXPECT_TRUE(partners(kel::CurId(lost), "defblock").empty());
  // An element owned by no procedure: 1001 and a null result.
  kel::Kel_Var_2 none = DeclareVaCon("Integer", at(obj("ZEVA::Variable")));
  EXPECT_TRUE(kel::IsNull(none));
  EXPECT_EQ(messages(),
            (std::vector<std::string>{"1001 - MODEL CONSISTENCE ERROR!!!!!!",
                                      "1001 - MODEL CONSISTENCE ERROR!!!!!!"}));
  EXPECT_EQ(partners(all("Utility::CompilerMessages")[0], "element"),
            std::vector<ObjectId>{q});
}

} // namespace zeva::test
