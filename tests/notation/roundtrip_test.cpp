// Text to repository and back: what each form stores, and what the text
// keeps of models that no editor would make.
#include "notation_support.h"

#include "queries.h"
#include "schema.h"

namespace {

using namespace notationtest;
using notation::Schema;

/// The first object of exact class `cls` in repository order.
zrep::ObjectId firstOf(const zrep::Repository &repo, const char *cls) {
  zrep::ObjectId found = 0;
  zrep::TypeId id = repo.metamodel().classId(cls);
  repo.forEachObject([&](const zrep::Object &o) {
    if (!found && o.cls == id)
      found = o.id;
  });
  return found;
}

std::string exported(const zrep::Repository &repo) {
  return notation::exportNotation(repo).text;
}

TEST(NotationRoundTrip, ExpressionTextsKeepTheirLineBreaksAsCrLf) {
  std::string lf = "transformation T { unit u { procedure p(x: Integer) {\n"
                   "  start;\n"
                   "  text t {\n"
                   "    when x > 0 and\n"
                   "      x < 10 or\n"
                   "      x = 99   ;\n"
                   "    x := `\"a;b\" + c;\\nd`;\n"
                   "  }\n"
                   "} } }\n"
                   "classmodel K { primitive Integer; }\n";
  std::string crlf;
  for (char c : lf)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  auto a = importOk(lf), b = importOk(crlf);
  ASSERT_TRUE(a && b);
  const Schema &s = Schema::builtin();
  zrep::ObjectId text = firstOf(*a, "ZEVA::TextStatement");
  EXPECT_EQ(a->value(text, s.zTextConstraint),
            "x > 0 and\r\n      x < 10 or\r\n      x = 99");
  EXPECT_EQ(a->value(firstOf(*a, "ZEVA::Assignment"), s.zAssignExpr),
            "\"a;b\" + c;\nd");
  // The same text whatever the file's line breaks; written back with LF,
  // and a text that a raw form would change in backticks.
  std::string out = exported(*a);
  EXPECT_EQ(out, exported(*b));
  EXPECT_NE(out.find("    when x > 0 and\n      x < 10 or\n      x = 99;\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("x := `\"a;b\" + c;\\nd`;"), std::string::npos) << out;
  EXPECT_EQ(exported(*importOk(out)), out);
}

TEST(NotationRoundTrip, ModelsNoEditorMakesComeBackTheSame) {
  // Unset and odd attribute values, repeated names, an unnamed association
  // end, a link whose ends are not the usual pair, an element with neither
  // definition nor reference, flows without ends, annotations, arguments
  // numbered out of order, and a package outside every model.
  auto repo =
      loadJson(R"({"format": "zeva-repository", "version": 1, "objects": [
    {"id": 1, "class": "Kernel::Model", "attrs": {"name": "K"}, "links": {"ownedMember": [2, 3, 4, 9]}},
    {"id": 2, "class": "Kernel::Class", "attrs": {"name": "A", "isAbstract": "false"}, "links": {"ownedAttribute": [5, 6, 7]}},
    {"id": 3, "class": "Kernel::Class", "attrs": {"name": "A"}, "links": {"ownedAttribute": [8]}},
    {"id": 4, "class": "Kernel::PrimitiveType", "attrs": {"name": "class"}},
    {"id": 5, "class": "Kernel::Property", "attrs": {"name": "x", "lower": "2", "upper": "5"}, "links": {"type": [4]}},
    {"id": 6, "class": "Kernel::Property", "attrs": {"name": "x", "lower": "-3"}, "links": {"type": [3]}},
    {"id": 7, "class": "Kernel::Property", "links": {"type": [3]}},
    {"id": 8, "class": "Kernel::Property", "attrs": {"name": "back"}, "links": {"type": [2]}},
    {"id": 9, "class": "Kernel::Association", "links": {"memberEnd": [7, 8]}},
    {"id": 20, "class": "ZEVA::Model", "attrs": {"name": "M"}, "links": {"ownedMember": [21]}},
    {"id": 21, "class": "ZEVA::Package", "attrs": {"name": "u", "isUnit": "true", "compileThis": "true"}, "links": {"ownedMember": [22]}},
    {"id": 22, "class": "ZEVA::ZEVAprocedure", "attrs": {"name": "not", "isMain": "false"},
     "links": {"ownedElement": [23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33]}},
    {"id": 23, "class": "ZEVA::Parameter", "attrs": {"refName": "each", "paramNumber": "7"}, "links": {"type": [2]}},
    {"id": 24, "class": "ZEVA::ClassElementDef", "attrs": {"refName": "d"}, "links": {"type": [3]}},
    {"id": 25, "class": "ZEVA::Start"},
    {"id": 26, "class": "ZEVA::Rule", "links": {"ownedElem": [27, 28, 29], "ownedLink": [30]}},
    {"id": 27, "class": "ZEVA::ClassElement", "attrs": {"CardConstraint": "None"}, "links": {"referElem": [23]}},
    {"id": 28, "class": "ZEVA::ClassElement", "attrs": {"ElemType": "Delete", "constraint": " lead;ing"}, "links": {"def": [24]}},
    {"id": 29, "class": "ZEVA::ClassElement", "attrs": {"ElemType": "Normal"}},
    {"id": 30, "class": "ZEVA::AssocLink", "links": {"from": [27], "to": [28], "sourceProp": [5], "destProp": [7], "annotation": [40, 41]}},
    {"id": 31, "class": "ZEVA::Flow", "attrs": {"isElse": "true"}, "links": {"from": [25]}},
    {"id": 32, "class": "ZEVA::CallStatement", "links": {"proc": [22], "params": [34, 35]}},
    {"id": 33, "class": "ZEVA::Flow", "links": {"to": [32]}},
    {"id": 34, "class": "ZEVA::CallParam", "attrs": {"paramNumber": "2", "expr": "@x"}},
    {"id": 35, "class": "ZEVA::CallParam", "attrs": {"paramNumber": "1"}},
    {"id": 40, "class": "ZEVA::Annotation", "attrs": {"text": "c"}},
    {"id": 41, "class": "ZEVA::Annotation", "attrs": {"text": "two words"}},
    {"id": 50, "class": "ZEVA::Package", "attrs": {"name": "loose"}}
  ]})");
  ASSERT_TRUE(repo);
  notation::ExportResult first = notation::exportNotation(*repo);
  EXPECT_TRUE(first.warnings.empty()) << first.warnings.front();
  auto again = importOk(first.text);
  ASSERT_TRUE(again) << first.text;
  EXPECT_EQ(exported(*again), first.text);
  // What the structured form cannot say is kept as attribute values.
  for (const char *piece :
       {"class A#2 {", "x#2: A#2 @{lower = \"-3\"};", "\"\": A#2;",
        "association (A#1.#3, A#2.back);", "primitive class;",
        "procedure not(\"each\": A#1 @{paramNumber = \"7\"})",
        "\"each\" @{ElemType = \"\"};", "delete d: A#2 where ` lead;ing`;",
        "?;",
        "\"each\" -(A#1.#3, A#1.x)-> d @c @\"two words\" "
        "@{AssocLinkType = \"\"};",
        "call call1 = not(@{paramNumber = \"2\"} @x, @{paramNumber = \"1\"} "
        "``);",
        "start else -> ?;", "? -> call1;", "unit loose @{isUnit = \"\"} {"})
    EXPECT_NE(first.text.find(piece), std::string::npos) << piece << "\n"
                                                         << first.text;
  const Schema &s = Schema::builtin();
  zrep::ObjectId link = firstOf(*again, "ZEVA::AssocLink");
  zrep::ObjectId dest = notation::partner(*again, link, s.zDestProp);
  EXPECT_EQ(again->value(dest, s.kName), "");
  EXPECT_EQ(again->value(firstOf(*again, "ZEVA::Parameter"), s.zParamNumber),
            "7");
}

TEST(NotationRoundTrip, AnOrderTheTextCannotGiveIsNamed) {
  // The loop's body comes after the end node in the procedure's elements;
  // the text puts it right after the loop, and says so.
  auto repo =
      loadJson(R"({"format": "zeva-repository", "version": 1, "objects": [
    {"id": 3, "class": "ZEVA::ZEVAprocedure", "attrs": {"name": "p"}, "links": {"ownedElement": [4, 5, 6, 7]}},
    {"id": 4, "class": "ZEVA::Start"},
    {"id": 5, "class": "ZEVA::WhileLoop", "links": {"ownedFlowEnd": [7]}},
    {"id": 6, "class": "ZEVA::End"},
    {"id": 7, "class": "ZEVA::Rule"}]})");
  ASSERT_TRUE(repo);
  notation::ExportResult r = notation::exportNotation(*repo);
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_NE(r.warnings[0].find("#3 (ZEVA::ZEVAprocedure): its flow ends are "
                               "in another order"),
            std::string::npos)
      << r.warnings[0];
  EXPECT_TRUE(notation::exportNotation(*importOk(r.text)).warnings.empty());
}

TEST(NotationRoundTrip, RolesAreFoundInGeneralClassesAndImplicitDefinitions) {
  auto repo = importOk(R"(classmodel K {
    class Book { loans: Loan [*]; }
    class Reference : Book;
    class Loan { book: Book [1]; }
    association (Book.loans, Loan.book);
  }
  transformation T { unit u compile { procedure p() {
    start;
    rule r { r: Reference; create l: Loan; create r -loans-> l; }
  } } }
  )");
  ASSERT_TRUE(repo);
  const Schema &s = Schema::builtin();
  zrep::ObjectId link = firstOf(*repo, "ZEVA::AssocLink");
  zrep::ObjectId dest = notation::partner(*repo, link, s.zDestProp);
  zrep::ObjectId source = notation::partner(*repo, link, s.zSourceProp);
  EXPECT_EQ(repo->value(dest, s.kName), "loans");
  EXPECT_EQ(repo->value(source, s.kName), "book");
  EXPECT_EQ(repo->value(link, s.zLinkType), "Create");
  // The undeclared definitions are made at the end of the procedure, and
  // the export declares them there.
  std::string out = exported(*repo);
  EXPECT_NE(out.find("      rule rule1 {\n        r: Reference;\n        "
                     "create l: Loan;\n        create r -loans-> l;\n      }\n"
                     "      def r: Reference;\n      def l: Loan;\n"),
            std::string::npos)
      << out;
}

TEST(NotationRoundTrip, ManyProceduresAreWrittenInTheirPlaces) {
  // Enough procedures for the export to share them out among workers; the
  // canonical text must come back as it is, warnings in text order.
  std::string text = "transformation T {\n  unit u compile {\n";
  for (int i = 0; i < 600; ++i) {
    if (i)
      text += "\n";
    text += "    procedure p" + std::to_string(i) +
            "() {\n      start;\n      end;\n      start -> end;\n    }\n";
  }
  text += "  }\n}\n";
  auto repo = importOk(text);
  ASSERT_TRUE(repo);
  EXPECT_EQ(exported(*repo), text);
}

TEST(NotationRoundTrip, NestingAsDeepAsTheModelGoes) {
  constexpr int kDepth = 30000;
  std::string text;
  for (int i = 0; i < kDepth; ++i)
    text += "package p" + std::to_string(i) + " {\n";
  text += "class A;\n" + std::string(kDepth, '}');
  text += "\ntransformation T { unit u { procedure p() { start;";
  for (int i = 0; i < kDepth / 10; ++i)
    text += "while w" + std::to_string(i) + " {";
  text += std::string(kDepth / 10, '}') + "} } }";
  auto repo = importOk(text);
  ASSERT_TRUE(repo);
  std::string out = exported(*repo);
  EXPECT_EQ(exported(*importOk(out)), out);
}

} // namespace
