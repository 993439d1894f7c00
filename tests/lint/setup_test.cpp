// Project and unit set-up: the project file name (L12), trace globals
// without a main procedure (L13), Boolean texts (L14), bare line feeds
// (L15), calls that read a params list not filled yet (L16).
#include "lint_context.h"
#include "lint_support.h"
#include "notation_support.h"

#include <gtest/gtest.h>

namespace {

using zlint::LintContext;
using zlint::Warning;
using zrep::ObjectId;

std::vector<Warning> found(const zrep::Repository &repo, int code) {
  return linttest::found(zlint::checkSetup, repo, code);
}

/// The first object of class `cls` whose attribute `attr` is `value`.
ObjectId findObject(const zrep::Repository &repo, const std::string &cls,
                    const char *attr = nullptr, const std::string &value = "") {
  LintContext cx(repo);
  ObjectId found = 0;
  repo.forEachObject([&](const zrep::Object &o) {
    if (!found && cx.cls(o.id) == cls &&
        (!attr || cx.attr(o.id, attr) == value))
      found = o.id;
  });
  return found;
}

void set(zrep::Repository &repo, ObjectId id, const char *attr,
         const std::string &value) {
  ASSERT_TRUE(repo.setValue(id, repo.metamodel().attrId(repo.classOf(id), attr),
                            value));
}

/// Two units: `first` and `second` are the texts of their procedures.
std::string units(const std::string &first, const std::string &second) {
  return "project Shop at \"shop/Project.zvp\";\n"
         "classmodel Classes {\n  primitive Integer;\n"
         "  package Shop { class Item { stock: Integer; } }\n}\n"
         "transformation Shop {\n  unit a compile {\n" +
         first + "  }\n  unit b compile {\n" + second + "  }\n}\n";
}

std::string procedure(const std::string &head, const std::string &nodes = "",
                      const std::string &flows = "start -> end;") {
  return "    " + head + " {\n      start;\n" + nodes + "      end;\n      " +
         flows + "\n    }\n";
}

TEST(LintSetup, L12ProjectFileNameMustBeElevenCharacters) {
  auto repo = notationtest::importOk(units(procedure("procedure p()"), ""));
  ASSERT_TRUE(repo);
  ObjectId project = findObject(*repo, "project::Project");
  auto warning = [&](const std::string &path) {
    set(*repo, project, "path", path);
    std::vector<Warning> w = found(*repo, 12);
    EXPECT_LE(w.size(), 1u);
    return w.empty() ? std::string() : w[0].text;
  };
  EXPECT_EQ(warning("shop/Project.zvp"), "");
  EXPECT_EQ(warning("Project.zvp"), "");
  EXPECT_EQ(warning("C:\\work\\Project.zvp"), "");
  EXPECT_EQ(warning("x/Proj\u00e9ct.zvp"), ""); // 11 characters, 12 bytes
  EXPECT_EQ(warning(""), "");
  EXPECT_NE(warning("projects/My.zvp")
                .find("\"My.zvp\" is not 11 "
                      "characters long"),
            std::string::npos);
  EXPECT_NE(warning("projects/My.zvp")
                .find("writes into "
                      "\"proj.zeva/Shop/kel/\""),
            std::string::npos);
  EXPECT_NE(warning("My.zvp").find("\"My.zvp.zeva/Shop/kel/\""),
            std::string::npos);
  EXPECT_NE(warning("shop/").find("\"\" is not 11"), std::string::npos);
}

TEST(LintSetup, L13TracedProceduresNeedAMainProcedureInTheRun) {
  std::string traced = procedure("debug procedure t()");
  // The main procedure of the other unit declares the globals for both.
  auto withMain =
      notationtest::importOk(units(procedure("main procedure m()"), traced));
  ASSERT_TRUE(withMain);
  EXPECT_TRUE(found(*withMain, 13).empty());
  // Without one anywhere, each unit with traced procedures is warned.
  auto noMain = notationtest::importOk(
      units(procedure("procedure m()") + procedure("debug procedure u()"),
            traced + procedure("procedure v()")));
  ASSERT_TRUE(noMain);
  std::vector<Warning> w = found(*noMain, 13);
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].element, findObject(*noMain, "ZEVA::Package", "name", "a"));
  EXPECT_NE(w[0].text.find("unit 'a' has debugOn procedures (such as 'u')"),
            std::string::npos)
      << w[0].text;
  // A main procedure in a unit that this run does not compile declares
  // nothing.
  ObjectId unitA = findObject(*withMain, "ZEVA::Package", "name", "a");
  set(*withMain, unitA, "compileThis", "false");
  ASSERT_EQ(found(*withMain, 13).size(), 1u);
  // Nor does one that is left out.
  set(*withMain, unitA, "compileThis", "true");
  set(*withMain, findObject(*withMain, "ZEVA::ZEVAprocedure", "name", "m"),
      "doNotCompile", "true");
  EXPECT_EQ(found(*withMain, 13).size(), 1u);
}

TEST(LintSetup, L14AndL15ValuesThatReadOtherwise) {
  auto repo = notationtest::importOk(
      units(procedure("procedure p()",
                      "      var x: Integer;\n      text t { x := 1; }\n",
                      "start -> t; t -> end;"),
            ""));
  ASSERT_TRUE(repo);
  EXPECT_TRUE(found(*repo, 14).empty());
  EXPECT_TRUE(found(*repo, 15).empty());
  ObjectId unit = findObject(*repo, "ZEVA::Package", "name", "a");
  ObjectId proc = findObject(*repo, "ZEVA::ZEVAprocedure");
  ObjectId assignment = findObject(*repo, "ZEVA::Assignment");
  set(*repo, unit, "isUnit", "True");
  set(*repo, unit, "compileThis", "1");
  set(*repo, proc, "debugOn", "false");
  set(*repo, proc, "isMain", "yes");
  std::vector<Warning> w = found(*repo, 14);
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].element, unit);
  EXPECT_EQ(w[0].text, "the Boolean isUnit is \"True\", which reads as false: "
                       "write \"true\" or \"false\"");
  EXPECT_EQ(w[1].element, proc);

  auto lost = [&](const std::string &text) {
    set(*repo, assignment, "expr", text);
    std::vector<Warning> l = found(*repo, 15);
    EXPECT_LE(l.size(), 1u);
    return l.empty() ? std::string() : l[0].text;
  };
  EXPECT_EQ(lost("x +\r\n1"), "");
  EXPECT_EQ(lost("x + \n1"), "");               // a blank is lost
  EXPECT_EQ(lost("\"a\nb\"\n+ \"c\"\n\n"), ""); // in a string, after one
  EXPECT_EQ(lost("x\r\n\n+ 1"), "");
  EXPECT_NE(lost("x\r\n+\n1")
                .find("line 2 of the expr text ends in a bare "
                      "line feed, which the lexer takes "
                      "together with \"+\""),
            std::string::npos);
  EXPECT_NE(lost("\"s\"\n+ \u00e9\n").find("\"\u00e9\""), std::string::npos);
}

TEST(LintSetup, L16CallOfAProcedureCompiledLaterWithoutParams) {
  std::string callee = procedure("procedure q(k: Integer)");
  std::string caller = procedure("main procedure m()", "      call c = q(1);\n",
                                 "start -> c; c -> end;");
  // The import links params: no warning, in either order.
  auto later = notationtest::importOk(units(caller, callee));
  ASSERT_TRUE(later);
  EXPECT_TRUE(found(*later, 16).empty());
  auto earlier = notationtest::importOk(units(callee + caller, ""));
  ASSERT_TRUE(earlier);

  auto dropParams = [](zrep::Repository &repo) {
    ObjectId q = findObject(repo, "ZEVA::ZEVAprocedure", "name", "q");
    ObjectId k = findObject(repo, "ZEVA::Parameter", "refName", "k");
    ASSERT_TRUE(repo.deleteLink(
        repo.metamodel().endId(repo.classOf(q), "params"), q, k));
  };
  dropParams(*later);
  dropParams(*earlier);
  std::vector<Warning> w = found(*later, 16);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].element, findObject(*later, "ZEVA::CallStatement"));
  EXPECT_NE(w[0].text.find("'q' is compiled after this call"),
            std::string::npos);
  // Compiled before the call, q's header links its params first.
  EXPECT_TRUE(found(*earlier, 16).empty());
  // Nor when its unit is not compiled in this run.
  ObjectId unitB = findObject(*later, "ZEVA::Package", "name", "b");
  set(*later, unitB, "compileThis", "false");
  EXPECT_EQ(found(*later, 16).size(), 1u);
  // A parameter without a type is never linked: nothing is missing.
  ObjectId k = findObject(*later, "ZEVA::Parameter", "refName", "k");
  ASSERT_TRUE(
      later->deleteLink(later->metamodel().endId(later->classOf(k), "type"), k,
                        findObject(*later, "Kernel::PrimitiveType")));
  EXPECT_TRUE(found(*later, 16).empty());
}

} // namespace
