//===- procedure_graph.cpp - A procedure's control flow as a graph --------===//

#include "procedure_graph.h"

#include "html_label.h"
#include "html_text.h"
#include "procedure_builder.h"
#include "styles.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <utility>

namespace zdiagram {

namespace {

/// Loop frames nest at most this deep; flow ends of deeper loops are drawn
/// in the innermost frame allowed, so that neither the walk nor Graphviz
/// recurses without bound.
constexpr std::size_t kMaxNesting = 24;

std::string id(ObjectId object) { return "z" + std::to_string(object); }

/// Call arguments by their paramNumber; unnumbered ones last, as listed.
std::vector<ObjectId> sortedArguments(const ZevaModel &m, ObjectId call) {
  std::vector<std::pair<long long, ObjectId>> args;
  for (ObjectId p : m.many(call, "params")) {
    std::string n = m.attr(p, "paramNumber");
    long long k = LLONG_MAX;
    long long parsed = 0;
    auto [end, error] = std::from_chars(n.data(), n.data() + n.size(), parsed);
    if (error == std::errc() && end == n.data() + n.size() && !n.empty())
      k = parsed;
    args.emplace_back(k, p);
  }
  std::stable_sort(args.begin(), args.end(), [](const auto &a, const auto &b) {
    return a.first < b.first;
  });
  std::vector<ObjectId> out;
  for (const auto &a : args)
    out.push_back(a.second);
  return out;
}

} // namespace

ProcedureBuilder::ProcedureBuilder(const zrep::Repository &repo,
                                   ObjectId procedure,
                                   const NodeNamer &nodeName)
    : m_(repo), procedure_(procedure), nodeName_(nodeName) {}

GraphDescription ProcedureBuilder::build() {
  g_.root.name = "p" + std::to_string(procedure_);
  g_.root.attrs = style::kGraph;
  g_.root.attrs.emplace_back("id", "zp" + std::to_string(procedure_));
  g_.root.label = header();
  g_.nodeDefaults = style::kNodeDefaults;
  g_.edgeDefaults = style::kEdgeDefaults;
  if (m_.kind(procedure_) != Kind::Procedure)
    return std::move(g_);
  collectFlowEnds();
  placeFlowEnds();
  for (ObjectId fe : children_[0])
    addFlowEnd(g_.root, fe);
  addFlows();
  addLinks();
  return std::move(g_);
}

void ProcedureBuilder::collectFlowEnds() {
  auto take = [&](ObjectId fe) {
    if (!m_.isFlowEnd(fe) || !drawn_.insert(fe).second)
      return;
    flowEnds_.push_back(fe);
  };
  for (ObjectId e : m_.many(procedure_, "ownedElement"))
    take(e);
  // Flow ends that a loop holds but no procedure owns are drawn in the
  // loop; those of another procedure are drawn there.
  for (std::size_t i = 0; i < flowEnds_.size(); ++i) {
    ObjectId loop = flowEnds_[i];
    if (!m_.isLoop(loop))
      continue;
    std::vector<ObjectId> inner = m_.many(loop, "ownedFlowEnd");
    inner.push_back(m_.one(loop, "loophead"));
    for (ObjectId fe : inner)
      if (ObjectId owner = m_.one(fe, "owningProcedure");
          owner == 0 || owner == procedure_)
        take(fe);
  }
  std::unordered_map<int, std::size_t> counts;
  for (ObjectId fe : flowEnds_)
    ordinal_[fe] = ++counts[static_cast<int>(m_.kind(fe))];
}

void ProcedureBuilder::placeFlowEnds() {
  for (ObjectId fe : flowEnds_) {
    ObjectId p = m_.one(fe, "owningContainer");
    if (!drawn_.count(p) || !m_.isLoop(p)) {
      ObjectId loop = m_.one(fe, "loop");
      p = drawn_.count(loop) && m_.isLoop(loop) ? loop : 0;
    }
    parent_[fe] = p;
  }
  // Depths, each flow end once: walk up to a known depth, then set the
  // chain's depths going down. A frame that would close a cycle, or nest
  // too deep, is drawn one level up from where the chain broke.
  std::unordered_map<ObjectId, std::size_t> depth;
  depth[0] = 0;
  for (ObjectId fe : flowEnds_) {
    std::vector<ObjectId> chain;
    std::unordered_set<ObjectId> onChain;
    ObjectId at = fe;
    while (!depth.count(at) && onChain.insert(at).second) {
      chain.push_back(at);
      at = parent_[at];
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      ObjectId p = parent_[*it];
      auto known = depth.find(p);
      if (known == depth.end()) { // p closes a cycle
        parent_[*it] = 0;
        depth[*it] = 1;
      } else if (known->second >= kMaxNesting) {
        ObjectId up = parent_[p];
        parent_[*it] = up;
        depth[*it] = depth[up] + 1;
      } else {
        depth[*it] = known->second + 1;
      }
    }
  }
  for (ObjectId fe : flowEnds_)
    children_[parent_[fe]].push_back(fe);
}

void ProcedureBuilder::addFlowEnd(GraphCluster &into, ObjectId fe) {
  GraphNode n;
  n.name = "f" + std::to_string(fe);
  HtmlLabel label;
  switch (m_.kind(fe)) {
  case Kind::Rule:
    addRule(into, fe);
    return;
  case Kind::Foreach:
  case Kind::While:
    addLoop(into, fe);
    return;
  case Kind::Start:
    n.attrs = style::kStart;
    n.attrs.emplace_back("class", "zeva zeva-start");
    break;
  case Kind::End:
    n.attrs = style::kEnd;
    n.attrs.emplace_back("class", "zeva zeva-end");
    break;
  case Kind::Text: {
    n.attrs = style::kText;
    n.attrs.emplace_back("class", "zeva zeva-text");
    label.line("<B>" + labelText(title(fe, "text")) + "</B>");
    std::string when = m_.attr(fe, "constraint");
    if (!when.empty())
      for (const std::string &l : labelLines("when " + when))
        label.code(l);
    for (ObjectId a : m_.many(fe, "ownedAssign"))
      for (const std::string &l : labelLines(assignmentText(a, true)))
        label.code(l);
    break;
  }
  case Kind::Call: {
    n.attrs = style::kCall;
    n.attrs.emplace_back("class", "zeva zeva-call");
    std::string callee = m_.attr(m_.one(fe, "proc"), "name");
    std::string text = "call " + (callee.empty() ? "?" : callee) + "(";
    bool first = true;
    for (ObjectId p : sortedArguments(m_, fe)) {
      text += (first ? "" : ", ") + m_.attr(p, "expr");
      first = false;
    }
    text += ")";
    if (nodeName_)
      if (std::string name = nodeName_(fe); !name.empty())
        label.line("<I>" + labelText(name) + "</I>");
    for (const std::string &l : labelLines(text))
      label.line(l, HtmlLabel::Left);
    break;
  }
  default: // a flow end of a class added later: drawn, but plain
    n.attrs = style::kText;
    n.attrs.emplace_back("class", "zeva");
    label.line("?");
    break;
  }
  n.attrs.emplace_back("id", id(fe));
  n.label = label.str();
  places_[fe] = {n.name, n.name, {}};
  into.nodes.push_back(std::move(n));
}

void ProcedureBuilder::addLoop(GraphCluster &into, ObjectId loop) {
  bool foreach = m_.kind(loop) == Kind::Foreach;
  GraphCluster c;
  std::string base = "f" + std::to_string(loop);
  c.name = "cluster_" + base;
  c.attrs = style::kLoop;
  c.attrs.emplace_back("id", id(loop));
  c.attrs.emplace_back("class",
                       foreach ? "zeva zeva-foreach" : "zeva zeva-while");
  std::string word = foreach ? "foreach" : "while";
  std::string text = "<B>" + word + " " + labelText(title(loop, word.c_str())) +
                     (foreach && m_.flag(loop, "notFixed") ? " notfixed" : "") +
                     "</B>";
  c.label = HtmlLabel().line(text).str();
  Place place{base + "_in", base + "_out", c.name};
  c.nodes.push_back(anchor(place.in));
  c.nodes.push_back(anchor(place.out));
  // The head first, so that the frame reads from the top.
  std::vector<ObjectId> inner = children_[loop];
  ObjectId head = m_.one(loop, "loophead");
  std::stable_partition(inner.begin(), inner.end(),
                        [&](ObjectId fe) { return fe == head; });
  for (ObjectId fe : inner)
    addFlowEnd(c, fe);
  for (ObjectId fe : inner) {
    invisibleEdge(place.in, places_[fe].in);
    invisibleEdge(places_[fe].out, place.out);
  }
  if (inner.empty())
    invisibleEdge(place.in, place.out);
  places_[loop] = place;
  into.clusters.push_back(std::move(c));
}

std::string ProcedureBuilder::flowEndpoint(ObjectId fe, bool tail,
                                           std::string &cluster) {
  cluster.clear();
  if (auto it = places_.find(fe); it != places_.end()) {
    cluster = it->second.cluster;
    return tail ? it->second.out : it->second.in;
  }
  if (!m_.isFlowEnd(fe))
    return helperNode("?");
  // A flow end of another procedure, or one left out of every procedure.
  std::string owner = m_.attr(m_.one(fe, "owningProcedure"), "name");
  return helperNode(owner.empty() ? "? elsewhere" : "in " + labelText(owner));
}

void ProcedureBuilder::addFlows() {
  std::vector<ObjectId> flows;
  std::unordered_set<ObjectId> seen;
  auto take = [&](ObjectId f) {
    if (m_.kind(f) == Kind::Flow && seen.insert(f).second)
      flows.push_back(f);
  };
  for (ObjectId e : m_.many(procedure_, "ownedElement"))
    take(e);
  for (ObjectId fe : flowEnds_)
    for (ObjectId f : m_.many(fe, "source"))
      if (m_.one(f, "owningProcedure") == 0)
        take(f);
  for (ObjectId f : flows) {
    ObjectId from = m_.one(f, "from"), to = m_.one(f, "to");
    GraphEdge e;
    std::string ltail, lhead;
    e.tail = flowEndpoint(from, true, ltail);
    e.head = flowEndpoint(to, false, lhead);
    bool isElse = m_.flag(f, "isElse");
    e.attrs = style::kFlow;
    e.attrs.emplace_back("id", id(f));
    e.attrs.emplace_back("class", isElse ? "zeva zeva-flow zeva-else"
                                         : "zeva zeva-flow");
    if (isElse) {
      e.attrs.emplace_back("style", "dashed");
      e.label = "<I>else</I>";
    }
    // A flow from a frame to itself, or into a frame it starts in, keeps
    // to the anchors: Graphviz cannot clip such an edge at the frame.
    if (from != to) {
      if (!ltail.empty())
        e.attrs.emplace_back("ltail", ltail);
      if (!lhead.empty())
        e.attrs.emplace_back("lhead", lhead);
    }
    g_.edges.push_back(std::move(e));
  }
}

std::string ProcedureBuilder::header() const {
  std::string words;
  if (m_.flag(procedure_, "isMain"))
    words += "main ";
  if (m_.flag(procedure_, "debugOn"))
    words += "debug ";
  std::string unit = m_.unitOf(procedure_);
  std::string name = m_.attr(procedure_, "name");
  std::string signature = (unit.empty() ? "" : unit + "::") + name + "(";
  std::vector<ObjectId> params = m_.many(procedure_, "params");
  if (params.empty())
    for (ObjectId e : m_.many(procedure_, "ownedElement"))
      if (m_.kind(e) == Kind::Parameter)
        params.push_back(e);
  bool first = true;
  for (ObjectId p : params) {
    signature += first ? "" : ", ";
    first = false;
    if (m_.flag(p, "inOut"))
      signature += "inout ";
    signature += m_.attr(p, "refName");
    if (std::string t = m_.typeName(p); !t.empty())
      signature += ": " + t;
  }
  signature += ")";
  if (ObjectId rt = m_.one(procedure_, "returnType"))
    signature += ": " + m_.attr(rt, "name");
  HtmlLabel label;
  std::vector<std::string> lines = labelLines(signature, 100, 4);
  for (std::size_t i = 0; i < lines.size(); ++i)
    label.line(i == 0 ? "<B>" + words + "procedure " + lines[i] + "</B>"
                      : "<B>" + lines[i] + "</B>",
               HtmlLabel::Left);
  for (ObjectId e : m_.many(procedure_, "ownedElement"))
    if (m_.kind(e) == Kind::Variable) {
      std::string v = "var " + m_.attr(e, "refName");
      if (std::string t = m_.typeName(e); !t.empty())
        v += ": " + t;
      label.code(labelText(v, 100));
    }
  return label.str();
}

std::string ProcedureBuilder::title(ObjectId fe, const char *word) const {
  if (nodeName_)
    if (std::string name = nodeName_(fe); !name.empty())
      return name;
  auto it = ordinal_.find(fe);
  return std::string(word) + " " +
         std::to_string(it == ordinal_.end() ? 0 : it->second);
}

std::string ProcedureBuilder::assignmentText(ObjectId a,
                                             bool withTarget) const {
  std::string target;
  if (withTarget) {
    ObjectId t = m_.one(a, "assignedElement");
    target = m_.kind(t) == Kind::ClassElement ? m_.elementName(t)
                                              : m_.attr(t, "refName");
    if (target.empty())
      target = "?";
  }
  if (ObjectId attr = m_.one(a, "attribute")) {
    std::string name = m_.attr(attr, "name");
    target += (target.empty() ? "" : ".") + (name.empty() ? "?" : name);
  }
  return (target.empty() ? "" : target + " ") + ":= " + m_.attr(a, "expr");
}

GraphNode ProcedureBuilder::anchor(const std::string &name) {
  GraphNode n;
  n.name = name;
  n.attrs = style::kAnchor;
  return n;
}

void ProcedureBuilder::invisibleEdge(const std::string &tail,
                                     const std::string &head) {
  GraphEdge e;
  e.tail = tail;
  e.head = head;
  e.attrs = {{"style", "invis"}};
  g_.edges.push_back(std::move(e));
}

std::string ProcedureBuilder::helperNode(const std::string &label) {
  GraphNode n;
  n.name = "h" + std::to_string(++helpers_);
  n.attrs = style::kHelper;
  n.label = label;
  std::string name = n.name;
  g_.root.nodes.push_back(std::move(n));
  return name;
}

GraphDescription describeProcedure(const zrep::Repository &repo,
                                   ObjectId procedure,
                                   const NodeNamer &nodeName) {
  return ProcedureBuilder(repo, procedure, nodeName).build();
}

} // namespace zdiagram
