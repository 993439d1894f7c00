//===- export_procedure.cpp - Procedures, nodes, rules and flows ----------===//

#include "export_writer.h"

#include "names.h"
#include "stack_segments.h"

namespace notation {

void Exporter::parameter(ObjectId param, int number) {
  mark(param);
  std::string_view inOut = repo_.valueView(param, s_.zInOut);
  if (inOut == "true")
    out_ += "inout ";
  std::string_view n = repo_.valueView(param, s_.zRefName);
  appendLeadingName(out_, n);
  if (ObjectId type = partner(repo_, param, s_.zType)) {
    out_ += ": ";
    out_ += typeRef(type);
  }
  std::string numberText = std::to_string(number);
  tail(param, {{s_.zRefName, n},
               {s_.zParamNumber, numberText},
               {s_.zInOut, inOut == "true" ? "true" : ""}});
}

void Exporter::external(ObjectId p) {
  mark(p);
  indent();
  std::string_view noCompile = repo_.valueView(p, s_.zDoNotCompile);
  if (noCompile == "true")
    out_ += "nocompile ";
  out_ += "external ";
  std::string_view n = repo_.valueView(p, s_.zName);
  name(n);
  out_ += sibling(p, s_.zOwningPackage, 'f', n);
  out_ += '(';
  int number = 0;
  forPartners(repo_, p, s_.zParams, [&](ObjectId param) {
    if (number)
      out_ += ", ";
    parameter(param, ++number);
  });
  out_ += ')';
  tail(p,
       {{s_.zName, n}, {s_.zDoNotCompile, noCompile == "true" ? "true" : ""}});
  out_ += ";\n";
}

void Exporter::procedure(ObjectId p) {
  mark(p);
  indent();
  std::string_view isMain = repo_.valueView(p, s_.zIsMain);
  std::string_view debug = repo_.valueView(p, s_.zDebugOn);
  std::string_view noCompile = repo_.valueView(p, s_.zDoNotCompile);
  if (isMain == "true")
    out_ += "main ";
  if (debug == "true")
    out_ += "debug ";
  if (noCompile == "true")
    out_ += "nocompile ";
  out_ += "procedure ";
  std::string_view n = repo_.valueView(p, s_.zName);
  name(n);
  out_ += sibling(p, s_.zOwningPackage, 'f', n);
  proc_ = p;
  decls_.clear();
  nodeNames_.clear();
  // Parameters are the procedure's elements of that class, in order; the
  // text declares them in the head, so the import lists them first.
  out_ += '(';
  int number = 0;
  forPartners(repo_, p, s_.zOwnedElement, [&](ObjectId e) {
    if (repo_.classOf(e) != s_.zParameter)
      return;
    if (number)
      out_ += ", ";
    parameter(e, ++number);
    decls_[repo_.valueView(e, s_.zRefName)].push_back(e);
  });
  out_ += ')';
  forPartners(repo_, p, s_.zParams, [&](ObjectId param) {
    if (!marked(param))
      warn(param, "a parameter that is not an element of its procedure is "
                  "left out");
  });
  if (ObjectId type = partner(repo_, p, s_.zReturnType)) {
    out_ += ": ";
    out_ += typeRef(type);
  }
  tail(p, {{s_.zName, n},
           {s_.zIsMain, isMain == "true" ? "true" : ""},
           {s_.zDebugOn, debug == "true" ? "true" : ""},
           {s_.zDoNotCompile, noCompile == "true" ? "true" : ""}});
  out_ += " {\n";
  forPartners(repo_, p, s_.zOwnedElement, [&](ObjectId e) {
    TypeId cls = repo_.classOf(e);
    if (cls == s_.zVariable || cls == s_.zDef)
      decls_[repo_.valueView(e, s_.zRefName)].push_back(e);
  });
  nameNodes(p, true);
  ++depth_;
  forPartners(repo_, p, s_.zOwnedElement, [&](ObjectId e) { bodyItem(e); });
  --depth_;
  indent();
  out_ += "}\n";
  proc_ = 0;
}

void Exporter::nameNodes(ObjectId container, bool top) {
  std::unordered_map<std::string_view, int> counts;
  std::vector<ObjectId> pending{};
  // Flow ends in text order: the procedure's own, each loop's body after
  // the loop.
  auto visit = [&](auto &&self, ObjectId n) -> void {
    TypeId cls = repo_.classOf(n);
    std::string_view kind = cls == s_.zStart     ? "start"
                            : cls == s_.zEnd     ? "end"
                            : cls == s_.zRule    ? "rule"
                            : cls == s_.zText    ? "text"
                            : cls == s_.zCall    ? "call"
                            : cls == s_.zForeach ? "foreach"
                                                 : "while";
    int k = ++counts[kind];
    std::string nm(kind);
    if (k > 1 || (kind != "start" && kind != "end"))
      nm += std::to_string(k);
    nodeNames_[n] = nm;
    if (s_.mm.isKindOf(cls, s_.zLoop))
      forPartners(repo_, n, s_.zOwnedFlowEnd, [&](ObjectId inner) {
        zsupport::withStackRoom([&] { self(self, inner); });
      });
  };
  (void)top;
  forPartners(repo_, container, s_.zOwnedElement, [&](ObjectId e) {
    if (s_.mm.isKindOf(repo_.classOf(e), s_.zFlowEnd) &&
        !partner(repo_, e, s_.zOwningContainer))
      visit(visit, e);
  });
}

std::string Exporter::nodeRef(ObjectId node) {
  auto it = node ? nodeNames_.find(node) : nodeNames_.end();
  if (it == nodeNames_.end())
    return "?";
  return it->second; // generated: identifiers
}

std::string Exporter::declRef(ObjectId decl) {
  std::string_view n = repo_.valueView(decl, s_.zRefName);
  auto it = decls_.find(n);
  if (it != decls_.end())
    for (std::size_t k = 0; k < it->second.size(); ++k)
      if (it->second[k] == decl) {
        std::string out;
        appendLeadingName(out, n);
        if (k)
          out += "#" + std::to_string(k + 1);
        return out;
      }
  return {};
}

void Exporter::bodyItem(ObjectId item) {
  TypeId cls = repo_.classOf(item);
  if (cls == s_.zVariable || cls == s_.zDef) {
    mark(item);
    indent();
    out_ += cls == s_.zVariable ? "var " : "def ";
    std::string_view n = repo_.valueView(item, s_.zRefName);
    out_ += declRef(item);
    if (ObjectId type = partner(repo_, item, s_.zType)) {
      out_ += ": ";
      out_ += typeRef(type);
    }
    tail(item, {{s_.zRefName, n}});
    out_ += ";\n";
  } else if (s_.mm.isKindOf(cls, s_.zFlowEnd)) {
    if (!partner(repo_, item, s_.zOwningContainer))
      node(item);
  } else if (cls == s_.zFlow) {
    flow(item);
  }
}

void Exporter::node(ObjectId n) {
  mark(n);
  TypeId cls = repo_.classOf(n);
  const std::string &nm = nodeNames_[n];
  if (cls == s_.zRule)
    return rule(n, false);
  indent();
  if (cls == s_.zStart || cls == s_.zEnd) {
    const char *kind = cls == s_.zStart ? "start" : "end";
    out_ += kind;
    if (nm != kind)
      out_ += " " + nm;
    tail(n, {});
    out_ += ";\n";
    return;
  }
  if (cls == s_.zCall) {
    out_ += "call " + nm;
    tail(n, {});
    out_ += " = ";
    ObjectId callee = partner(repo_, n, s_.zProc_);
    out_ += callee ? procs_.shortest(callee) : std::string("?");
    out_ += '(';
    int number = 0;
    forPartners(repo_, n, s_.zCallParams, [&](ObjectId arg) {
      mark(arg);
      if (number)
        out_ += ", ";
      std::string numberText = std::to_string(++number);
      std::string_view expr = repo_.valueView(arg, s_.zArgExpr);
      std::string values =
          overrides(arg, {{s_.zArgNumber, numberText}, {s_.zArgExpr, expr}});
      if (!values.empty())
        out_ += "@" + values.substr(1) + " ";
      expression(expr, ExprEnd::Argument);
    });
    out_ += ");\n";
    return;
  }
  if (cls == s_.zText) {
    out_ += "text " + nm;
    std::string_view constraint = repo_.valueView(n, s_.zTextConstraint);
    tail(n, {{s_.zTextConstraint, constraint}});
    out_ += " {\n";
    ++depth_;
    if (!constraint.empty()) {
      indent();
      out_ += "when ";
      expression(constraint, ExprEnd::Semicolon);
      out_ += ";\n";
    }
    forPartners(repo_, n, s_.zOwnedAssign,
                [&](ObjectId a) { assignment(a, 0); });
    --depth_;
    indent();
    out_ += "}\n";
    return;
  }
  // A loop.
  bool foreach = cls == s_.zForeach;
  out_ += (foreach ? "foreach " : "while ") + nm;
  std::string_view notFixed =
      foreach ? repo_.valueView(n, s_.zNotFixed) : std::string_view();
  if (notFixed == "true")
    out_ += " notfixed";
  if (foreach)
    tail(n, {{s_.zNotFixed, notFixed == "true" ? "true" : ""}});
  else
    tail(n, {});
  out_ += " {\n";
  ++depth_;
  ObjectId head = partner(repo_, n, s_.zLoophead);
  bool headWritten = false;
  forPartners(repo_, n, s_.zOwnedFlowEnd, [&](ObjectId inner) {
    if (inner == head && repo_.classOf(inner) == s_.zRule) {
      mark(inner);
      rule(inner, true);
      headWritten = true;
    } else {
      zsupport::withStackRoom([&] { node(inner); });
    }
  });
  if (head && !headWritten)
    warn(n, "its loop head is not in its body: the link to it is left out");
  --depth_;
  indent();
  out_ += "}\n";
}

std::string Exporter::elementRef(ObjectId element, ObjectId) {
  auto it = element ? ruleElements_.find(element) : ruleElements_.end();
  if (it == ruleElements_.end() || it->second.first.empty())
    return "?";
  std::string out;
  appendLeadingName(out, it->second.first);
  if (it->second.second)
    out += "#" + std::to_string(it->second.second + 1);
  return out;
}

void Exporter::rule(ObjectId r, bool head) {
  indent();
  if (head)
    out_ += "head ";
  out_ += "rule " + nodeNames_[r];
  tail(r, {});
  out_ += " {\n";
  ++depth_;
  // The name each element is written with, counted for ordinals.
  ruleElements_.clear();
  std::unordered_map<std::string_view, int> seen;
  forPartners(repo_, r, s_.zOwnedElem, [&](ObjectId e) {
    std::string_view n;
    ObjectId def = partner(repo_, e, s_.zDef_);
    ObjectId ref = def ? 0 : partner(repo_, e, s_.zReferElem);
    if ((def || ref) && !declRef(def ? def : ref).empty())
      n = repo_.valueView(def ? def : ref, s_.zRefName);
    ruleElements_[e] = {n, seen[n]++};
  });
  forPartners(repo_, r, s_.zOwnedElem, [&](ObjectId e) { element(e); });
  forPartners(repo_, r, s_.zOwnedLink, [&](ObjectId l) { link(l); });
  forPartners(repo_, r, s_.zOwnedAssign, [&](ObjectId a) { assignment(a, r); });
  forPartners(repo_, r, s_.zOwnedElem, [&](ObjectId e) {
    forPartners(repo_, e, s_.zAssignments, [&](ObjectId a) {
      if (marked(a) || partner(repo_, a, s_.zOwningDecision))
        return;
      warn(a, "an assignment that belongs to no rule is written into the "
              "rule of its element");
      assignment(a, r);
    });
  });
  --depth_;
  indent();
  out_ += "}\n";
}

void Exporter::element(ObjectId e) {
  mark(e);
  indent();
  std::string_view card = repo_.valueView(e, s_.zElemCard);
  std::string_view kind = repo_.valueView(e, s_.zElemType);
  if (card == "NOT")
    out_ += "not ";
  std::string_view conveyedKind = "Normal";
  if (kind == "Create" || kind == "Delete" || kind == "LoopVariable") {
    conveyedKind = kind;
    out_ += kind == "Create"   ? "create "
            : kind == "Delete" ? "delete "
                               : "each ";
  }
  ObjectId def = partner(repo_, e, s_.zDef_);
  ObjectId ref = partner(repo_, e, s_.zReferElem);
  if (def) {
    // The definition the import takes: the first of that name, or #k.
    std::string_view n = repo_.valueView(def, s_.zRefName);
    int k = 0, position = 0;
    auto it = decls_.find(n);
    if (it != decls_.end())
      for (ObjectId d : it->second)
        if (repo_.classOf(d) == s_.zDef && ++position && d == def)
          k = position;
    if (!k) {
      warn(e, "its definition is not declared in its procedure: left out");
      out_ += "?";
    } else {
      appendLeadingName(out_, n);
      if (k > 1)
        out_ += "#" + std::to_string(k);
      out_ += ": ";
      out_ += typeRef(partner(repo_, def, s_.zType));
    }
    if (ref)
      warn(e, "it has both a definition and a reference: the reference is "
              "left out");
  } else if (ref) {
    std::string r = declRef(ref);
    if (r.empty()) {
      warn(e, "it refers to something that its procedure does not declare: "
              "left out");
      r = "?";
    }
    out_ += r;
  } else {
    out_ += "?";
  }
  std::string_view constraint = repo_.valueView(e, s_.zConstraint);
  tail(e, {{s_.zElemType, conveyedKind},
           {s_.zElemCard, card == "NOT" ? "NOT" : ""},
           {s_.zConstraint, constraint}});
  if (!constraint.empty()) {
    out_ += " where ";
    expression(constraint, ExprEnd::Semicolon);
  }
  out_ += ";\n";
}

void Exporter::link(ObjectId l) {
  mark(l);
  indent();
  std::string from = elementRef(partner(repo_, l, s_.zLinkFrom), 0);
  std::string to = elementRef(partner(repo_, l, s_.zLinkTo), 0);
  if (repo_.classOf(l) != s_.zAssocLink) {
    out_ += from + " -- " + to;
    tail(l, {});
    out_ += ";\n";
    return;
  }
  std::string_view card = repo_.valueView(l, s_.zLinkCard);
  std::string_view kind = repo_.valueView(l, s_.zLinkType);
  std::string_view conveyedKind = "Normal";
  if (card == "NOT")
    out_ += "not ";
  if (kind == "Create" || kind == "Delete") {
    conveyedKind = kind;
    out_ += kind == "Create" ? "create " : "delete ";
  }
  out_ += from + " -";
  ObjectId dest = partner(repo_, l, s_.zDestProp);
  ObjectId source = partner(repo_, l, s_.zSourceProp);
  ObjectId fromElement = partner(repo_, l, s_.zLinkFrom);
  std::string_view role = dest ? repo_.valueView(dest, s_.kName) : "";
  ObjectId cls =
      fromElement ? referencableType(repo_, s_, fromElement) : ObjectId(0);
  if (!dest && !source) {
    out_ += "?";
  } else if (dest && cls && !role.empty() &&
             findProperty(repo_, s_, cls, role) == dest &&
             oppositeEnd(repo_, s_, dest) == source) {
    appendName(out_, role);
  } else {
    out_ += "(" + propertyRef(dest) + ", " + propertyRef(source) + ")";
  }
  out_ += "-> " + to;
  tail(l, {{s_.zLinkType, conveyedKind},
           {s_.zLinkCard, card == "NOT" ? "NOT" : ""}});
  out_ += ";\n";
}

void Exporter::assignment(ObjectId a, ObjectId rule) {
  mark(a);
  indent();
  ObjectId target = partner(repo_, a, s_.zAssignedElement);
  std::string ref;
  if (!target) {
    ref = "?";
  } else if (rule && ruleElements_.count(target)) {
    ref = elementRef(target, rule);
  } else {
    ref = declRef(target);
    std::string_view n = repo_.valueView(target, s_.zRefName);
    bool shadowed = false;
    if (rule)
      for (const auto &[e, written] : ruleElements_)
        shadowed = shadowed || written.first == n;
    if (ref.empty() || shadowed) {
      warn(a, "its target cannot be named here: left out");
      ref = "?";
    }
  }
  out_ += ref;
  if (ObjectId attr = partner(repo_, a, s_.zAttribute)) {
    std::string_view n = repo_.valueView(attr, s_.kName);
    ObjectId cls = target ? referencableType(repo_, s_, target) : 0;
    if (cls && !n.empty() && findProperty(repo_, s_, cls, n) == attr) {
      out_ += '.';
      appendName(out_, n);
    } else {
      out_ += ".(" + propertyRef(attr) + ")";
    }
  }
  out_ += " := ";
  expression(repo_.valueView(a, s_.zAssignExpr), ExprEnd::Semicolon);
  out_ += ";\n";
}

void Exporter::flow(ObjectId f) {
  mark(f);
  indent();
  ObjectId from = partner(repo_, f, s_.zFlowFrom);
  ObjectId to = partner(repo_, f, s_.zFlowTo);
  std::string fromName = nodeRef(from), toName = nodeRef(to);
  if ((from && fromName == "?") || (to && toName == "?"))
    warn(f, "it leads to or from a node of another procedure: that end is "
            "left out");
  out_ += fromName;
  std::string_view isElse = repo_.valueView(f, s_.zIsElse);
  if (isElse == "true")
    out_ += " else";
  out_ += " -> " + toName;
  tail(f, {{s_.zIsElse, isElse == "true" ? "true" : ""}});
  out_ += ";\n";
}

} // namespace notation
