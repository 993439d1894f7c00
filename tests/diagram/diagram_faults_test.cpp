// Diagrams of hostile texts and of faulty models: drawn as far as they go,
// as well-formed SVG, never a crash.

#include "diagram.h"
#include "file_text.h"
#include "graphviz_render.h"
#include "named_access.h"
#include "notation_support.h"
#include "procedure_graph.h"
#include "svg_groups.h"

#include <gtest/gtest.h>

namespace {

using zrep::ObjectId;

/// Edits a repository by class, attribute and role names.
class Editor : public zrep::NamedAccess {
public:
  explicit Editor(zrep::Repository &repo) : NamedAccess(repo), rw_(repo) {}
  ObjectId make(const char *cls) {
    ObjectId id = rw_.createObject(mm_.classId(cls));
    EXPECT_NE(id, 0) << cls;
    return id;
  }
  void set(ObjectId id, const char *name, std::string_view value) {
    EXPECT_TRUE(rw_.setValue(id, mm_.attrId(rw_.classOf(id), name), value));
  }
  void link(ObjectId from, const char *role, ObjectId to) {
    EXPECT_TRUE(rw_.createLink(mm_.endId(rw_.classOf(from), role), from, to))
        << role;
  }

private:
  zrep::Repository &rw_;
};

ObjectId procedureNamed(const zrep::Repository &repo, const std::string &name) {
  for (const zdiagram::ProcedureRef &p : zdiagram::listProcedures(repo))
    if (p.name == name)
      return p.id;
  ADD_FAILURE() << "no procedure " << name;
  return 0;
}

/// Draws a procedure, which must give well-formed SVG with each flow end of
/// the procedure drawn once.
std::string drawChecked(zdiagram::GraphvizRenderer &gv,
                        const zrep::Repository &repo, ObjectId proc) {
  std::string svg = gv.svg(zdiagram::describeProcedure(repo, proc, {}));
  EXPECT_FALSE(svg.empty());
  EXPECT_TRUE(zrep::isValidUtf8(svg));
  std::string error;
  EXPECT_TRUE(diagramtest::wellFormedXml(svg, error)) << error;
  auto groups = diagramtest::zevaGroups(svg);
  zrep::NamedAccess a(repo);
  for (ObjectId e : a.many(proc, "ownedElement")) {
    const std::string &cls = a.cls(e);
    bool flowEnd = cls == "ZEVA::Start" || cls == "ZEVA::End" ||
                   cls == "ZEVA::Rule" || cls == "ZEVA::TextStatement" ||
                   cls == "ZEVA::CallStatement" || cls == "ZEVA::ForeachLoop" ||
                   cls == "ZEVA::WhileLoop";
    if (flowEnd) {
      EXPECT_EQ(groups["z" + std::to_string(e)].count, 1) << cls << " " << e;
    }
  }
  return svg;
}

TEST(DiagramFaults, HostileTextsAreEscapedAndParsedAsLabels) {
  auto repo = notationtest::importOk(R"(classmodel M {
  class "<b>&amp;" { "p<\"'>": "<b>&amp;"; }
}
transformation T {
  unit "u<&>" {
    procedure "x\"--><script>"(a: "<b>&amp;") {
      def "e]]>": "<b>&amp;";
      var "v\u0007": "<b>&amp;";
      start;
      rule "<r>" {
        "e]]>": "<b>&amp;" where `a < b && c > "d"\r\n -- ]]> 'q'`;
        a;
        a -"p<\"'>"-> "e]]>";
        "e]]>"."p<\"'>" := `x\u001B[31m\u202Eevil\u0085`;
      }
      text "t&" { when `1\n2\r3`; "v\u0007" := "\uFFFF"; }
      call "c<" = "x\"--><script>"(`</svg>`);
      start -> "<r>";
      "<r>" -> "t&";
      "t&" -> "c<";
    }
  }
})");
  ASSERT_TRUE(repo);
  // A text that is not UTF-8, which only a repository in memory can hold.
  Editor ed(*repo);
  ObjectId proc = procedureNamed(*repo, "x\"--><script>");
  for (ObjectId e : ed.many(proc, "ownedElement"))
    if (ed.cls(e) == "ZEVA::ClassElement")
      ed.set(e, "constraint", "bad \xFF\xC0\x80 bytes \xF4\x90\x80\x80");

  zdiagram::GraphvizRenderer gv;
  std::string svg = drawChecked(gv, *repo, proc);
  // Graphviz took every label as markup: a label it cannot parse is
  // reported, and drawn as its raw text.
  EXPECT_TRUE(gv.messages().empty()) << gv.messages().front();
  for (char c : svg)
    EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20)
        << "control byte " << int(c);
  for (const char *raw : {"<b>", "<script>", "<r>", "\xE2\x80\xAE", "\xC2\x85",
                          "\xEF\xBF\xBF", "]]>", "--><script"})
    EXPECT_EQ(svg.find(raw), std::string::npos) << raw;
  for (const char *shown :
       {"&lt;b&gt;&amp;amp;", "\\x1B[31m", "\\u202Eevil", "\\u0085", "\\uFFFF",
        "\\xFF\\xC0\\x80", "&lt;/svg&gt;", "\\x07"})
    EXPECT_NE(svg.find(shown), std::string::npos) << shown;
}

TEST(DiagramFaults, MissingPartsAreDrawnAsFarAsTheyGo) {
  auto repo = notationtest::importOk(R"(classmodel M { class C; }
transformation T {
  unit u {
    procedure broken() {
      def d: ?;
      start;
      rule empty { }
      rule holes {
        ?;
        d: ?;
        ? -?-> d;
        d -- ?;
      }
      foreach noHead { text inside { } }
      while alsoNoHead { }
      call nowhere = ?(1, , 2);
      text loose { }
      end;
      start -> empty;
      empty -> empty;
      empty -> holes;
      holes -> noHead;
      noHead -> holes;
      inside -> noHead;
      holes else -> ?;
      ? -> alsoNoHead;
      ? -> ?;
      nowhere -> end;
    }
    procedure other() { start; end; start -> end; }
  }
})");
  ASSERT_TRUE(repo);
  Editor ed(*repo);
  ObjectId broken = procedureNamed(*repo, "broken");
  ObjectId other = procedureNamed(*repo, "other");
  // A flow into another procedure's node, and one from a node that no
  // procedure owns.
  ObjectId otherEnd = 0;
  for (ObjectId e : ed.many(other, "ownedElement"))
    if (ed.cls(e) == "ZEVA::End")
      otherEnd = e;
  ObjectId crossing = ed.make("ZEVA::Flow");
  ed.link(broken, "ownedElement", crossing);
  ObjectId start = ed.many(broken, "ownedElement").at(1);
  ASSERT_EQ(ed.cls(start), "ZEVA::Start");
  ed.link(crossing, "from", start);
  ed.link(crossing, "to", otherEnd);
  ObjectId orphan = ed.make("ZEVA::TextStatement");
  ObjectId fromOrphan = ed.make("ZEVA::Flow");
  ed.link(fromOrphan, "from", orphan);
  ed.link(fromOrphan, "to", otherEnd);

  zdiagram::GraphvizRenderer gv;
  std::string svg = drawChecked(gv, *repo, broken);
  auto groups = diagramtest::zevaGroups(svg);
  EXPECT_EQ(groups["z" + std::to_string(crossing)].kind, "edge");
  EXPECT_EQ(groups.count("z" + std::to_string(otherEnd)), 0u);
  EXPECT_NE(svg.find("in other"), std::string::npos);
  drawChecked(gv, *repo, other);
  // Not a procedure, or no object at all: a graph with its header only.
  for (ObjectId notProc : {start, ObjectId(999999)}) {
    std::string s = gv.svg(zdiagram::describeProcedure(*repo, notProc, {}));
    EXPECT_NE(s.find("<svg"), std::string::npos);
    EXPECT_TRUE(diagramtest::zevaGroups(s).empty());
  }
}

TEST(DiagramFaults, LoopsNestedDeepOrInACycleAreDrawnOnce) {
  auto repo = notationtest::importOk(R"(transformation T {
  unit u { procedure deep() { start; end; start -> end; } }
})");
  ASSERT_TRUE(repo);
  Editor ed(*repo);
  ObjectId proc = procedureNamed(*repo, "deep");
  // Loops nested 60 deep, each with a head rule and a text.
  ObjectId outer = 0, previous = 0;
  for (int i = 0; i < 60; ++i) {
    ObjectId loop = ed.make(i % 2 ? "ZEVA::WhileLoop" : "ZEVA::ForeachLoop");
    ObjectId head = ed.make("ZEVA::Rule");
    ObjectId text = ed.make("ZEVA::TextStatement");
    for (ObjectId e : {loop, head, text})
      ed.link(proc, "ownedElement", e);
    ed.link(loop, "ownedFlowEnd", head);
    ed.link(loop, "loophead", head);
    ed.link(loop, "ownedFlowEnd", text);
    ObjectId flow = ed.make("ZEVA::Flow");
    ed.link(proc, "ownedElement", flow);
    ed.link(flow, "from", head);
    ed.link(flow, "to", text);
    if (previous)
      ed.link(previous, "ownedFlowEnd", loop);
    else
      outer = loop;
    previous = loop;
  }
  // Two loops that hold each other (a file with them is refused; a model
  // in memory may have them), one with a head rule.
  ObjectId a = ed.make("ZEVA::ForeachLoop"), b = ed.make("ZEVA::WhileLoop");
  ObjectId r = ed.make("ZEVA::Rule");
  for (ObjectId e : {a, b, r})
    ed.link(proc, "ownedElement", e);
  ed.link(a, "ownedFlowEnd", b);
  ed.link(b, "ownedFlowEnd", a);
  ed.link(b, "loophead", r);
  ASSERT_NE(outer, 0);

  zdiagram::GraphvizRenderer gv;
  drawChecked(gv, *repo, proc);
}

} // namespace
