// The diagram library: what each procedure's SVG holds, against what the
// model says it should, for the examples, hostile texts and faulty models.

#include "diagram.h"
#include "file_text.h"
#include "graphviz_render.h"
#include "named_access.h"
#include "notation_support.h"
#include "procedure_graph.h"
#include "repo_file.h"
#include "svg_groups.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using diagramtest::Group;
using diagramtest::hasClass;
using diagramtest::zevaGroups;
using zrep::ObjectId;

std::unique_ptr<zrep::Repository> loadExample(const char *name) {
  zrep::LoadResult r = zrep::loadRepositoryFile(
      std::string(ZEVA_SOURCE_DIR) + "/examples/" + name + "/model.json");
  EXPECT_TRUE(r.repo);
  return std::move(r.repo);
}

/// The class a drawn element must carry, from its class in the model.
std::string kindClass(const std::string &cls) {
  static const std::map<std::string, std::string> kinds = {
      {"ZEVA::Start", "zeva-start"},
      {"ZEVA::End", "zeva-end"},
      {"ZEVA::Rule", "zeva-rule"},
      {"ZEVA::TextStatement", "zeva-text"},
      {"ZEVA::CallStatement", "zeva-call"},
      {"ZEVA::ForeachLoop", "zeva-foreach"},
      {"ZEVA::WhileLoop", "zeva-while"},
      {"ZEVA::ClassElement", "zeva-element"},
      {"ZEVA::Flow", "zeva-flow"},
      {"ZEVA::AssocLink", "zeva-link"}};
  auto it = kinds.find(cls);
  return it == kinds.end() ? "" : it->second;
}

/// Checks one procedure's SVG against its model: the node and cluster
/// groups of class "zeva" are exactly its flow ends and the class elements
/// of its rules, each once with the class of its kind and markers; every
/// flow and pattern link is an edge with its id.
void expectDrawnAsModelled(const zrep::Repository &repo, ObjectId proc,
                           const std::string &svg) {
  zrep::NamedAccess a(repo);
  std::map<std::string, Group> groups = zevaGroups(svg);
  std::set<std::string> expectedShapes;
  for (ObjectId e : a.many(proc, "ownedElement")) {
    std::string key = "z" + std::to_string(e);
    std::string want = kindClass(a.cls(e));
    if (want.empty())
      continue;
    SCOPED_TRACE(a.cls(e) + " " + key);
    auto it = groups.find(key);
    ASSERT_NE(it, groups.end());
    const Group &g = it->second;
    EXPECT_EQ(g.count, 1);
    EXPECT_TRUE(hasClass(g.classes, "zeva"));
    EXPECT_TRUE(hasClass(g.classes, want)) << g.classes;
    if (want == "zeva-flow" || want == "zeva-link") {
      EXPECT_EQ(g.kind, "edge");
      EXPECT_EQ(hasClass(g.classes, "zeva-else"), a.flag(e, "isElse"));
    } else if (want != "zeva-element") {
      expectedShapes.insert(key);
      bool frame =
          want == "zeva-rule" || want == "zeva-foreach" || want == "zeva-while";
      EXPECT_EQ(g.kind, frame ? "cluster" : "node");
    }
    if (a.cls(e) == "ZEVA::Rule")
      for (ObjectId ce : a.many(e, "ownedElem"))
        expectedShapes.insert("z" + std::to_string(ce));
    if (want == "zeva-element" || want == "zeva-link") {
      std::string type =
          a.attr(e, want == "zeva-link" ? "AssocLinkType" : "ElemType");
      EXPECT_EQ(hasClass(g.classes, "zeva-not"),
                a.attr(e, "CardConstraint") == "NOT");
      EXPECT_EQ(hasClass(g.classes, "zeva-create"), type == "Create");
      EXPECT_EQ(hasClass(g.classes, "zeva-delete"), type == "Delete");
    }
    if (want == "zeva-element") {
      EXPECT_EQ(hasClass(g.classes, "zeva-each"),
                a.attr(e, "ElemType") == "LoopVariable");
      EXPECT_EQ(hasClass(g.classes, "zeva-ref"), a.one(e, "referElem") != 0);
    }
  }
  std::set<std::string> shapes;
  for (const auto &[key, g] : groups)
    if (g.kind == "node" || g.kind == "cluster")
      shapes.insert(key);
  EXPECT_EQ(shapes, expectedShapes);
}

TEST(Diagram, ExamplesDrawEachElementOnceWithItsClasses) {
  for (const char *example : {"library", "mistakes"}) {
    SCOPED_TRACE(example);
    auto repo = loadExample(example);
    ASSERT_TRUE(repo);
    std::vector<zdiagram::ProcedureRef> procs = zdiagram::listProcedures(*repo);
    ASSERT_FALSE(procs.empty());
    zdiagram::Renderer renderer;
    for (const zdiagram::ProcedureRef &p : procs) {
      SCOPED_TRACE(p.unit + "::" + p.name);
      std::string svg = renderer.procedureSvg(*repo, p.id, {{}, false});
      ASSERT_EQ(svg.rfind("<svg", 0), 0u) << svg.substr(0, 200);
      expectDrawnAsModelled(*repo, p.id, svg);
    }
  }
}

TEST(Diagram, SameModelSameBytesAndEmbeddableElement) {
  auto repo = loadExample("library");
  ASSERT_TRUE(repo);
  std::vector<zdiagram::ProcedureRef> procs = zdiagram::listProcedures(*repo);
  std::vector<std::string> first, embedded;
  {
    zdiagram::Renderer renderer;
    for (const zdiagram::ProcedureRef &p : procs)
      first.push_back(renderer.procedureSvg(*repo, p.id));
    for (std::size_t i = 0; i < procs.size(); ++i) {
      EXPECT_EQ(renderer.procedureSvg(*repo, procs[i].id), first[i]);
      embedded.push_back(
          renderer.procedureSvg(*repo, procs[i].id, {{}, false}));
    }
  }
  zdiagram::Renderer again;
  for (std::size_t i = 0; i < procs.size(); ++i) {
    EXPECT_EQ(again.procedureSvg(*repo, procs[i].id), first[i]);
    EXPECT_EQ(first[i].rfind("<?xml", 0), 0u);
    const std::string &e = embedded[i];
    EXPECT_EQ(e.rfind("<svg", 0), 0u);
    EXPECT_EQ(e.find("<!DOCTYPE"), std::string::npos);
    EXPECT_NE(e.find("</svg>"), std::string::npos);
    EXPECT_EQ(first[i].substr(first[i].size() - e.size()), e);
  }
}

TEST(Diagram, NodeNamesComeFromTheSourceOrAreMadeUp) {
  notationtest::Imported im = notationtest::importText(R"(transformation T {
  unit u {
    procedure p() {
      start;
      rule findIt { }
      rule "" { }
      text note { }
      end;
      start -> findIt;
      findIt -> note;
    }
  }
})");
  ASSERT_TRUE(im.repo) << im.errors;
  ObjectId proc = zdiagram::listProcedures(*im.repo).at(0).id;
  zdiagram::Renderer renderer;
  std::string named = renderer.procedureSvg(*im.repo, proc,
                                            {[&](ObjectId id) {
                                               const std::string *n =
                                                   im.map.nodeName(id);
                                               return n ? *n : std::string();
                                             },
                                             false});
  std::string plain = renderer.procedureSvg(*im.repo, proc, {{}, false});
  for (const char *name : {">findIt<", ">note<"}) {
    EXPECT_NE(named.find(name), std::string::npos) << name;
    EXPECT_EQ(plain.find(name), std::string::npos) << name;
  }
  for (const char *madeUp : {">rule 1<", ">rule 2<", ">text 1<"})
    EXPECT_NE(plain.find(madeUp), std::string::npos) << madeUp;
  EXPECT_NE(named.find(">rule 2<"), std::string::npos);
  EXPECT_NE(plain.find("procedure u::p()"), std::string::npos);
}

} // namespace
