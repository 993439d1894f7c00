//===- graphviz_render.cpp - Graph descriptions drawn by Graphviz ---------===//

#include "graphviz_render.h"

#include <gvc.h>
#include <gvplugin.h>

#include <string_view>
#include <unordered_map>

extern "C" {
extern gvplugin_library_t gvplugin_dot_layout_LTX_library;
extern gvplugin_library_t gvplugin_core_LTX_library;
}

#if defined(__SANITIZE_ADDRESS__)
// Graphviz keeps small allocations until the process ends (font and plugin
// tables, its string pools). Only reports whose allocation passed through
// Graphviz's own libraries are suppressed; our leaks are still reported.
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libgvc.so\n"
         "leak:libcgraph.so\n"
         "leak:libcdt.so\n"
         "leak:libpathplan.so\n"
         "leak:libgvplugin\n";
}
// Without the table of suppressions used at exit, which would fill the
// error output of every sanitized run.
extern "C" const char *__lsan_default_options() {
  return "print_suppressions=0";
}
#endif

namespace zdiagram {

namespace {

/// Only the linked-in plugins: dot's layout and the core renderers (svg).
lt_symlist_t kPlugins[] = {
    {"gvplugin_dot_layout_LTX_library", &gvplugin_dot_layout_LTX_library},
    {"gvplugin_core_LTX_library", &gvplugin_core_LTX_library},
    {nullptr, nullptr}};

/// Graphviz reports in pieces ("Warning", ": ", the text); they are
/// gathered here while a graph is drawn.
std::string *gReports = nullptr;

int gatherReport(char *piece) {
  if (gReports && piece)
    *gReports += piece;
  return 0;
}

char *cstr(const std::string &s) { return const_cast<char *>(s.c_str()); }

void setAttrs(void *object, const Attrs &attrs) {
  for (const auto &[name, value] : attrs)
    agsafeset(object, cstr(name), cstr(value), cstr(std::string()));
}

/// An HTML-like label. Graphviz keeps one copy of each string, marked as
/// HTML or not; the copy made here is the one the attribute then refers to.
void setHtmlLabel(void *object, int kind, const std::string &html) {
  Agraph_t *root = agroot(object);
  Agsym_t *sym = agattr(root, kind, cstr("label"), nullptr);
  if (!sym)
    sym = agattr(root, kind, cstr("label"), cstr(std::string()));
  char *s = agstrdup_html(root, cstr(html));
  agxset(object, sym, s);
  agstrfree(root, s);
}

using NodeIndex = std::unordered_map<std::string_view, Agnode_t *>;

/// Makes the subgraphs and nodes of `c` inside `g`, before any graph
/// attribute is set: a subgraph takes the values its parent has when it is
/// made as its own defaults.
void makeCluster(
    Agraph_t *g, const GraphCluster &c, NodeIndex &nodes,
    std::vector<std::pair<Agraph_t *, const GraphCluster *>> &subs) {
  for (const GraphNode &n : c.nodes)
    if (!nodes.count(n.name))
      nodes[n.name] = agnode(g, cstr(n.name), 1);
  for (const GraphCluster &sub : c.clusters) {
    Agraph_t *sg = agsubg(g, cstr(sub.name), 1);
    subs.emplace_back(sg, &sub);
    makeCluster(sg, sub, nodes, subs);
  }
}

void describeNodes(const GraphCluster &c, const NodeIndex &nodes) {
  for (const GraphNode &n : c.nodes) {
    Agnode_t *node = nodes.at(n.name);
    setAttrs(node, n.attrs);
    if (!n.label.empty())
      setHtmlLabel(node, AGNODE, n.label);
  }
  for (const GraphCluster &sub : c.clusters)
    describeNodes(sub, nodes);
}

} // namespace

struct GraphvizRenderer::Context {
  GVC_t *gvc = nullptr;
  agusererrf previous = nullptr;
  std::string reports;
  std::vector<std::string> messages;
};

GraphvizRenderer::GraphvizRenderer() : context_(new Context) {
  context_->gvc = gvContextPlugins(kPlugins, 0);
  context_->previous = agseterrf(gatherReport);
}

GraphvizRenderer::~GraphvizRenderer() {
  agseterrf(context_->previous);
  if (context_->gvc)
    gvFreeContext(context_->gvc);
  delete context_;
}

const std::vector<std::string> &GraphvizRenderer::messages() const {
  return context_->messages;
}

std::string GraphvizRenderer::svg(const GraphDescription &graph) {
  Context &cx = *context_;
  cx.reports.clear();
  cx.messages.clear();
  if (!cx.gvc)
    return {};
  gReports = &cx.reports;

  Agraph_t *g = agopen(cstr(graph.root.name), Agdirected, nullptr);
  for (const auto &[name, value] : graph.nodeDefaults)
    agattr(g, AGNODE, cstr(name), cstr(value));
  for (const auto &[name, value] : graph.edgeDefaults)
    agattr(g, AGEDGE, cstr(name), cstr(value));
  NodeIndex nodes;
  std::vector<std::pair<Agraph_t *, const GraphCluster *>> subs;
  makeCluster(g, graph.root, nodes, subs);
  for (const auto &[sg, c] : subs) {
    setAttrs(sg, c->attrs);
    setHtmlLabel(sg, AGRAPH, c->label);
  }
  describeNodes(graph.root, nodes);
  for (const GraphEdge &e : graph.edges) {
    auto t = nodes.find(e.tail), h = nodes.find(e.head);
    if (t == nodes.end() || h == nodes.end())
      continue;
    Agedge_t *edge = agedge(g, t->second, h->second, nullptr, 1);
    setAttrs(edge, e.attrs);
    if (!e.label.empty())
      setHtmlLabel(edge, AGEDGE, e.label);
  }
  // The graph's own attributes last, since they would become the defaults
  // of subgraphs made after them.
  setAttrs(g, graph.root.attrs);
  if (!graph.root.label.empty())
    setHtmlLabel(g, AGRAPH, graph.root.label);

  std::string out;
  if (gvLayout(cx.gvc, g, "dot") == 0) {
    char *data = nullptr;
    unsigned int length = 0;
    if (gvRenderData(cx.gvc, g, "svg", &data, &length) == 0 && data)
      out.assign(data, length);
    gvFreeRenderData(data);
    gvFreeLayout(cx.gvc, g);
  }
  agclose(g);
  gReports = nullptr;

  for (std::size_t pos = 0; pos < cx.reports.size();) {
    std::size_t end = cx.reports.find('\n', pos);
    if (end == std::string::npos)
      end = cx.reports.size();
    if (end > pos)
      cx.messages.push_back(cx.reports.substr(pos, end - pos));
    pos = end + 1;
  }
  return out;
}

std::string svgElement(const std::string &file) {
  std::size_t start = file.find("<svg");
  return start == std::string::npos ? std::string() : file.substr(start);
}

} // namespace zdiagram
