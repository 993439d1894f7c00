//===- rule_pattern.cpp - A rule's frame and its pattern ------------------===//
//
// A rule is a frame holding one node per class element and an edge per
// link between them. What an element or link does shows in its colour and
// line (create green, delete red, NOT dashed red and crossed) and in a word
// above its name, so that the picture reads without colour too.
//
//===----------------------------------------------------------------------===//

#include "html_label.h"
#include "html_text.h"
#include "procedure_builder.h"
#include "styles.h"

#include <map>
#include <utility>

namespace zdiagram {

namespace {

std::string id(ObjectId object) { return "z" + std::to_string(object); }

/// Sets or replaces an attribute.
void set(Attrs &attrs, const char *name, std::string value) {
  for (auto &[n, v] : attrs)
    if (n == name) {
      v = std::move(value);
      return;
    }
  attrs.emplace_back(name, std::move(value));
}

} // namespace

void ProcedureBuilder::addRule(GraphCluster &into, ObjectId rule) {
  GraphCluster c;
  std::string base = "f" + std::to_string(rule);
  c.name = "cluster_" + base;
  c.attrs = style::kRule;
  c.attrs.emplace_back("id", id(rule));
  c.attrs.emplace_back("class", "zeva zeva-rule");
  Place place{base + "_in", base + "_out", c.name};
  c.nodes.push_back(anchor(place.in));
  c.nodes.push_back(anchor(place.out));

  std::vector<ObjectId> elements;
  for (ObjectId e : m_.many(rule, "ownedElem"))
    if (m_.kind(e) == Kind::ClassElement && !elementNodes_.count(e)) {
      elements.push_back(e);
      elementNodes_[e] = "e" + std::to_string(e);
    }
  // Assignments to an element of the pattern are shown in its box; others
  // (to a variable, or faulty) under the rule's name.
  std::map<ObjectId, std::vector<ObjectId>> assigned;
  std::vector<ObjectId> loose;
  for (ObjectId a : m_.many(rule, "ownedAssign")) {
    ObjectId target = m_.one(a, "assignedElement");
    if (elementNodes_.count(target) && m_.one(target, "owningRule") == rule)
      assigned[target].push_back(a);
    else
      loose.push_back(a);
  }
  HtmlLabel label;
  ObjectId loop = m_.one(rule, "loop");
  label.line(std::string("<B>") +
             (loop && m_.one(loop, "loophead") == rule ? "head " : "") +
             labelText(title(rule, "rule")) + "</B>");
  for (ObjectId a : loose)
    for (const std::string &l : labelLines(assignmentText(a, true)))
      label.code(l);
  c.label = label.str();

  for (ObjectId e : elements) {
    c.nodes.push_back(elementNode(e, assigned[e]));
    invisibleEdge(place.in, elementNodes_[e]);
    invisibleEdge(elementNodes_[e], place.out);
  }
  if (elements.empty())
    invisibleEdge(place.in, place.out);
  places_[rule] = place;
  rules_.push_back(rule);
  into.clusters.push_back(std::move(c));
}

GraphNode
ProcedureBuilder::elementNode(ObjectId e,
                              const std::vector<ObjectId> &assignments) const {
  GraphNode n;
  n.name = elementNodes_.at(e);
  n.attrs = style::kElement;
  std::string classes = "zeva zeva-element";
  std::string words;
  auto word = [&](const char *w) {
    words += (words.empty() ? "" : " ") + std::string(w);
  };
  bool isRef = m_.one(e, "referElem") != 0;
  bool isNot = m_.attr(e, "CardConstraint") == "NOT";
  std::string type = m_.attr(e, "ElemType");
  if (isNot) {
    classes += " zeva-not";
    word("not");
  }
  // Created elements green, deleted ones red, border and text alike.
  auto action = [&](const char *kind, const char *color, const char *fill) {
    classes += std::string(" zeva-") + kind;
    word(kind);
    set(n.attrs, "color", color);
    set(n.attrs, "fontcolor", color);
    set(n.attrs, "fillcolor", fill);
    set(n.attrs, "penwidth", "2");
  };
  if (type == "Create") {
    action("create", style::kCreateColor, "#e6f4ea");
  } else if (type == "Delete") {
    action("delete", style::kDeleteColor, "#fdecea");
  } else if (type == "LoopVariable") {
    classes += " zeva-each";
    word("each");
    set(n.attrs, "fillcolor", "#eaf1fb");
    set(n.attrs, "color", "#2f5b9a");
    set(n.attrs, "penwidth", "1.6");
  }
  if (isRef) {
    classes += " zeva-ref";
    word("\xC2\xABref\xC2\xBB"); // «ref»
    set(n.attrs, "peripheries", "2");
  }
  if (isNot) {
    // Crossed corners and a dashed red border: the pattern needs this
    // object to be missing.
    set(n.attrs, "style", "filled,dashed,diagonals");
    set(n.attrs, "color", style::kDeleteColor);
    set(n.attrs, "fontcolor", style::kDeleteColor);
    set(n.attrs, "penwidth", "2");
  }
  n.attrs.emplace_back("id", id(e));
  n.attrs.emplace_back("class", classes);

  HtmlLabel label;
  if (!words.empty())
    label.line("<FONT POINT-SIZE=\"9\"><I>" + words + "</I></FONT>");
  std::string name = m_.elementName(e);
  std::string cls = m_.elementClass(e);
  // One style per line: Graphviz measures text without the fonts, and
  // runs of different weight on one line would overlap.
  std::string head = labelText(name.empty() ? "?" : name);
  if (!cls.empty() || !isRef)
    head += " : " + labelText(cls.empty() ? "?" : cls);
  label.line("<B>" + (isNot ? "<S>" + head + "</S>" : head) + "</B>");
  std::string where = m_.attr(e, "constraint");
  if (!where.empty())
    for (const std::string &l : labelLines("where " + where))
      label.code(l);
  for (ObjectId a : assignments)
    for (const std::string &l : labelLines(assignmentText(a, false)))
      label.code(l);
  n.label = label.str();
  return n;
}

void ProcedureBuilder::addLinks() {
  for (ObjectId rule : rules_)
    for (ObjectId link : m_.many(rule, "ownedLink")) {
      Kind kind = m_.kind(link);
      if (kind != Kind::AssocLink && kind != Kind::Link)
        continue;
      GraphEdge e;
      auto end = [&](const char *role) {
        auto it = elementNodes_.find(m_.one(link, role));
        return it != elementNodes_.end() ? it->second : helperNode("?");
      };
      e.tail = end("from");
      e.head = end("to");
      e.attrs = style::kLink;
      e.attrs.emplace_back("id", id(link));
      std::string classes = "zeva zeva-link";
      if (kind == Kind::Link) {
        e.attrs.emplace_back("dir", "none");
        set(e.attrs, "style", "dotted");
        e.attrs.emplace_back("class", classes);
        g_.edges.push_back(std::move(e));
        continue;
      }
      std::string role = m_.attr(m_.one(link, "destProp"), "name");
      if (role.empty())
        role = m_.attr(m_.one(link, "sourceProp"), "name");
      std::string label = labelText(role.empty() ? "?" : role, 40);
      std::string type = m_.attr(link, "AssocLinkType");
      if (type == "Create") {
        classes += " zeva-create";
        label = "create " + label;
        set(e.attrs, "color", style::kCreateColor);
        set(e.attrs, "fontcolor", style::kCreateColor);
        set(e.attrs, "penwidth", "2");
      } else if (type == "Delete") {
        classes += " zeva-delete";
        label = "delete " + label;
        set(e.attrs, "color", style::kDeleteColor);
        set(e.attrs, "fontcolor", style::kDeleteColor);
        set(e.attrs, "penwidth", "2");
      }
      if (m_.attr(link, "CardConstraint") == "NOT") {
        classes += " zeva-not";
        label = "not " + label;
        set(e.attrs, "color", style::kDeleteColor);
        set(e.attrs, "fontcolor", style::kDeleteColor);
        set(e.attrs, "style", "dashed");
        set(e.attrs, "arrowhead", "teenormal");
      }
      e.attrs.emplace_back("class", classes);
      e.label = label;
      g_.edges.push_back(std::move(e));
    }
}

} // namespace zdiagram
