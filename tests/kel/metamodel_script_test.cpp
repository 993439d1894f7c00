// The metamodel script read into a repository metamodel.
#include "metamodel_script.h"

#include "metamodel.h"
#include "repo_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace zrep;

namespace {

// As the compiler writes it for examples/library.
const std::string kLibrary = [] {
  std::ifstream in(std::string(ZEVA_SOURCE_DIR) +
                   "/examples/library/expected-mmscript.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}();
/// Every end as "Owner.role>Target" with its flags.
std::string ends(const Metamodel &mm) {
  std::string out;
  for (const EndInfo &e : mm.ends())
    out += mm.classInfo(e.owner)->name + "." + e.role + ">" +
           mm.classInfo(e.target)->name + (e.many ? " many" : " one") +
           (e.lower ? " 1" : " 0") + (e.composite ? " composite" : "") +
           (e.ordered ? " ordered" : "") + " inverse " +
           mm.endInfo(e.inverse)->role + "\n";
  return out;
}

std::string problems(const std::string &text) {
  kel::ScriptResult r = kel::readMetamodelScript(text, "s.txt");
  EXPECT_EQ(r.mm == nullptr, !r.problems.empty());
  std::string all;
  for (const auto &p : r.problems)
    all += p + "\n";
  return all;
}

} // namespace

TEST(MetamodelScript, ReadsTheLibraryScript) {
  kel::ScriptResult r = kel::readMetamodelScript(kLibrary, "MMscript.txt");
  ASSERT_NE(r.mm, nullptr) << r.problems[0];
  const Metamodel &mm = *r.mm;
  std::vector<std::string> names;
  for (const ClassInfo &c : mm.classes())
    names.push_back(c.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"library::Library", "library::Book",
                                      "library::ReferenceBook",
                                      "library::Member", "library::Loan"}));
  TypeId book = mm.classId("library::Book");
  TypeId ref = mm.classId("library::ReferenceBook");
  EXPECT_EQ(mm.classInfo(book)->subclasses, std::vector<TypeId>{ref});
  EXPECT_EQ(ends(mm),
            "library::Library.books>library::Book many 0 composite ordered "
            "inverse library\n"
            "library::Book.library>library::Library one 1 inverse books\n"
            "library::Library.members>library::Member many 0 composite "
            "inverse library\n"
            "library::Member.library>library::Library one 1 inverse members\n"
            "library::Book.loans>library::Loan many 0 inverse book\n"
            "library::Loan.book>library::Book one 1 inverse loans\n"
            "library::Member.loans>library::Loan many 0 ordered inverse "
            "member\n"
            "library::Loan.member>library::Member one 1 inverse loans\n");
  EXPECT_NE(mm.endId(ref, "loans"), 0);
  const AttrInfo &room = *mm.attrInfo(mm.attrId(ref, "room"));
  EXPECT_EQ(room.slot, 5u);
  EXPECT_EQ(mm.attrInfo(mm.attrId(ref, "year"))->kind, AttrKind::Integer);
  EXPECT_EQ(mm.attrInfo(mm.attrId(book, "isAvailable"))->kind,
            AttrKind::Boolean);
  const AttrInfo &status =
      *mm.attrInfo(mm.attrId(mm.classId("library::Loan"), "status"));
  ASSERT_EQ(status.kind, AttrKind::Enum);
  EXPECT_EQ(mm.enums()[status.enumIndex].literals,
            (std::vector<std::string>{"OPEN", "RETURNED", "OVERDUE"}));

  // CR LF, blank lines and a final line feed change nothing.
  std::string crlf;
  for (char c : kLibrary)
    crlf += c == '\n' ? std::string("\r\n\r\n  \r\n") : std::string(1, c);
  kel::ScriptResult again = kel::readMetamodelScript(crlf + "\r\n", "s");
  ASSERT_NE(again.mm, nullptr) << again.problems[0];
  EXPECT_EQ(ends(*again.mm), ends(mm));

  // Base types by their last piece; other primitive types hold texts.
  r = kel::readMetamodelScript("MMDefStart;\nclass p::A;\nenum p::E : {};\n"
                               "attr p::A.i:pk::Integer;\n"
                               "attr p::A.r:Real;\nattr p::A.e:p::E;\n"
                               "MMDefEnd;\n",
                               "s");
  ASSERT_NE(r.mm, nullptr) << r.problems[0];
  std::vector<AttrKind> kinds;
  for (const AttrInfo &a : r.mm->attrs())
    kinds.push_back(a.kind);
  EXPECT_EQ(kinds, (std::vector<AttrKind>{AttrKind::Integer, AttrKind::String,
                                          AttrKind::Enum}));
}

TEST(MetamodelScript, EveryProblemHasItsPlace) {
  auto body = [](const std::string &lines) {
    return problems("MMDefStart;\nclass a::A;\nclass a::B;\n" + lines +
                    "MMDefEnd;\n");
  };
  const std::pair<const char *, const char *> cases[] = {
      {"klass a::C;\n", "4:1: error: unknown statement \"klass\"; expected "
                        "class, enum, assoc, compos, attr or rel"},
      {" class a::C;\n", "4:1: error: expected a statement, found \" \""},
      {"class a::C\r\n",
       "4:11: error: expected \";\", found the end of the line"},
      {"class a::é;x\n", "4:12: error: expected the end of the line after "
                         "\";\", found \"x\""},
      {"class a::;\n", "4:10: error: expected a name after \"::\", found "
                       "\";\""},
      {"class a::\xff;\n", "4:10: error: the line is not valid UTF-8"},
      {"assoc a::A.[2]x/y[*].a::B;\n",
       "4:13: error: expected a cardinality (*, 0..1, 1 or 1..*), found "
       "\"2\""},
      {"assoc a::A.{sorted}[*]x/y[*].a::B;\n",
       "4:12: error: expected \"{ordered}\", found \"{\""},
      {"enum a::E : {X Y};\n", "4:15: error: expected \"}\", found \" \""},
      {"enum a::E : {X,Y,X};\n",
       "4:18: error: enumeration \"a::E\" lists \"X\" twice"},
      {"enum a::A : {};\n",
       "4:6: error: \"a::A\" names both a class and an enumeration"},
      {"attr a::C.x:String;\n", "4:6: error: unknown class \"a::C\""},
      {"attr a::A.x:a::B;\n", "4:13: error: the type \"a::B\" of attribute "
                              "\"x\" is a class; an attribute holds a value"},
      {"attr a::A.x:String;\nattr a::A.x:Integer;\n",
       "5:11: error: class \"a::A\" has two attributes \"x\""},
      {"attr a::A.x:String;\nrel a::B.subClassOf.a::A;\nattr a::B.x:String;\n",
       "6:11: error: attribute \"x\" of class \"a::B\" clashes with the one "
       "of \"a::A\""},
      {"rel a::A.subClassOf.a::B;\nrel a::B.subClassOf.a::A;\n",
       "4:21: error: inheritance cycle: a::A -> a::B -> a::A"},
      {"rel a::A.subClassOf.a::B;\nrel a::A.subClassOf.a::B;\n",
       "5:21: error: class \"a::A\" already has superclass \"a::B\"; a class "
       "has at most one"},
      {"assoc a::A.[*]x/y[*].a::Z;\n", "4:22: error: unknown class \"a::Z\""},
      {"assoc a::A.[*]x/y[*].a::B;\nassoc a::A.[1]x/z[*].a::B;\n",
       "5:15: error: class \"a::B\" has two association ends \"x\""},
      {"MMDefStart;\n", "4:1: error: MMDefStart; given twice"},
      {"MMDefEnd;\nclass a::C;\n", "5:1: error: a statement after MMDefEnd;"},
  };
  for (auto [lines, expected] : cases)
    EXPECT_EQ(body(lines), "s.txt:" + std::string(expected) + "\n") << lines;

  EXPECT_EQ(problems("class a::A;\nMMDefEnd;"),
            "s.txt:1:1: error: expected MMDefStart; first\n");
  EXPECT_EQ(problems("MMDefStart;\nclass a::A;"),
            "s.txt:2:12: error: missing MMDefEnd; at the end\n");
  EXPECT_EQ(problems(""), "s.txt:1:1: error: missing MMDefStart;\n"
                          "s.txt:1:1: error: missing MMDefEnd; at the end\n");
  // All problems in text order, up to the reporting limit.
  std::string many = "MMDefStart;\n";
  for (int i = 0; i < 60; ++i)
    many += "rel a::A" + std::to_string(i) + ".subClassOf.a::B;\n";
  kel::ScriptResult r =
      kel::readMetamodelScript("attr a::Z.x:String;\n" + many, "s.txt");
  ASSERT_EQ(r.problems.size(), kMaxReportedProblems);
  EXPECT_EQ(r.problems[0], "s.txt:1:1: error: expected MMDefStart; first");
  EXPECT_EQ(r.problems[3], "s.txt:3:5: error: unknown class \"a::A0\"");
  EXPECT_EQ(r.unreported, 14u);

  r = kel::readMetamodelScriptFile("/nonexistent/MMscript.txt");
  EXPECT_EQ(r.problems, std::vector<std::string>{
                            "/nonexistent/MMscript.txt: error: cannot open: "
                            "No such file or directory"});
}
