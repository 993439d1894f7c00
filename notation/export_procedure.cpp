//===- export_procedure.cpp - Procedures, nodes, rules and flows ----------===//

#include "export_writer.h"

#include "names.h"
#include "stack_segments.h"

#include <array>
#include <charconv>

namespace notation {

namespace {

/// The words that node names are made of, by Known::group of a node.
constexpr std::array<std::string_view, 7> kNodeKinds = {
    "start", "end", "rule", "text", "call", "foreach", "while"};

} // namespace

void Exporter::fetch(const zrep::Object &proc) {
  std::size_t sum = 0;
  forPartners(repo_, proc, s_.zOwnedElement,
              [&](ObjectId e) { __builtin_prefetch(repo_.find(e)); });
  forPartners(repo_, proc, s_.zOwnedElement, [&](ObjectId e) {
    const zrep::Object &o = object(e);
    if (o.endCount)
      sum += static_cast<std::size_t>(repo_.endPartners(o, 0).end);
    if (o.values)
      sum += repo_.slotValue(o, 0).size();
  });
  fetched_ += sum; // kept, so that the reads stay
}

const zrep::Object &Exporter::object(ObjectId obj) const {
  static const zrep::Object none{};
  const zrep::Object *o = repo_.find(obj);
  return o ? *o : none;
}

Exporter::Known &Exporter::know(ObjectId obj) {
  std::uint32_t i = repo_.indexOf(obj);
  return i < knownSize_ ? known_[i] : unknown_;
}

const Exporter::Known *Exporter::known(ObjectId obj, ObjectId scope,
                                       Known::Kind kind) const {
  std::uint32_t i = repo_.indexOf(obj);
  if (i >= knownSize_ || !scope)
    return nullptr;
  const Known &k = known_[i];
  return k.scope == scope && k.kind == kind ? &k : nullptr;
}

std::uint32_t Exporter::group(std::string_view n) {
  // Procedures declare few names: a look through them is quicker than a
  // hash map, which only many names need.
  constexpr std::size_t kFew = 16;
  auto at = static_cast<std::uint32_t>(groups_.size());
  if (at <= kFew) {
    for (std::uint32_t g = 0; g < at; ++g)
      if (groups_[g].name == n)
        return g;
  } else {
    auto [it, fresh] = groupOf_.try_emplace(n, at);
    if (!fresh)
      return it->second;
  }
  if (at == kFew) // from now on in the map
    for (std::uint32_t g = 0; g <= at; ++g)
      groupOf_.emplace(g < at ? groups_[g].name : n, g);
  Group &g = groups_.emplace_back();
  g.name = n;
  appendLeadingName(g.written, n);
  return at;
}

std::uint32_t Exporter::findGroup(std::string_view n) const {
  if (!groupOf_.empty()) {
    auto it = groupOf_.find(n);
    return it == groupOf_.end() ? kNoGroup : it->second;
  }
  for (std::uint32_t g = 0; g < groups_.size(); ++g)
    if (groups_[g].name == n)
      return g;
  return kNoGroup;
}

void Exporter::declare(const zrep::Object &decl) {
  std::uint32_t g = group(value(repo_, decl, s_.zRefName));
  Group &same = groups_[g];
  bool isDef = decl.cls == s_.zDef;
  know(decl.id) = {proc_, Known::Decl, g, same.size++, isDef ? ++same.defs : 0};
}

void Exporter::parameter(ObjectId id, int number) {
  mark(id);
  const zrep::Object &param = object(id);
  std::string_view inOut = value(repo_, param, s_.zInOut);
  if (inOut == "true")
    out_ += "inout ";
  std::string_view n = value(repo_, param, s_.zRefName);
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

void Exporter::procedure(ObjectId p, const std::string &ordinal) {
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
  out_ += ordinal;
  proc_ = p;
  fetch(object(p));
  groups_.clear();
  groupOf_.clear();
  // Group 0: the empty name, which is also the name of the elements whose
  // declaration is not one of the procedure's.
  group({});
  // Parameters are the procedure's elements of that class, in order; the
  // text declares them in the head, so the import lists them first.
  out_ += '(';
  int number = 0;
  forPartners(repo_, p, s_.zOwnedElement, [&](ObjectId e) {
    const zrep::Object &o = object(e);
    if (o.cls != s_.zParameter)
      return;
    if (number)
      out_ += ", ";
    parameter(e, ++number);
    declare(o);
  });
  out_ += ')';
  forPartners(repo_, p, s_.zParams, [&](ObjectId param) {
    if (partner(repo_, param, s_.zOwningProcedure) != p)
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
    const zrep::Object &o = object(e);
    if (o.cls == s_.zVariable || o.cls == s_.zDef)
      declare(o);
  });
  nameNodes(p);
  ++depth_;
  forPartners(repo_, p, s_.zOwnedElement, [&](ObjectId e) { bodyItem(e); });
  --depth_;
  indent();
  out_ += "}\n";
  proc_ = 0;
}

void Exporter::nameNodes(ObjectId container) {
  std::array<std::uint32_t, kNodeKinds.size()> counts{};
  // Flow ends in text order: the procedure's own, each loop's body after
  // the loop.
  auto visit = [&](auto &&self, const zrep::Object &n) -> void {
    TypeId cls = n.cls;
    std::uint32_t kind = cls == s_.zStart     ? 0
                         : cls == s_.zEnd     ? 1
                         : cls == s_.zRule    ? 2
                         : cls == s_.zText    ? 3
                         : cls == s_.zCall    ? 4
                         : cls == s_.zForeach ? 5
                                              : 6;
    know(n.id) = {proc_, Known::Node, kind, ++counts[kind], 0};
    textOrder_.push_back(n.id);
    if (s_.mm.isKindOf(cls, s_.zLoop))
      forPartners(repo_, n, s_.zOwnedFlowEnd, [&](ObjectId inner) {
        zsupport::withStackRoom([&] { self(self, object(inner)); });
      });
  };
  textOrder_.clear();
  forPartners(repo_, container, s_.zOwnedElement, [&](ObjectId e) {
    const zrep::Object &o = object(e);
    if (s_.mm.isKindOf(o.cls, s_.zFlowEnd) &&
        !partner(repo_, o, s_.zOwningContainer))
      visit(visit, o);
  });
  // The import lists the flow ends in the order of the text, which the
  // compiler follows when it lays out the program: say so when the
  // repository's order is another.
  std::size_t at = 0;
  bool same = true;
  forPartners(repo_, container, s_.zOwnedElement, [&](ObjectId e) {
    if (s_.mm.isKindOf(object(e).cls, s_.zFlowEnd))
      same = same && at < textOrder_.size() && textOrder_[at++] == e;
  });
  if (!same || at != textOrder_.size())
    warn(container, "its flow ends are in another order than the text "
                    "gives them (each loop's body right after the loop): "
                    "the import orders them as the text does");
}

bool Exporter::appendNodeName(ObjectId node, bool orKind) {
  const Known *k = node ? known(node, proc_, Known::Node) : nullptr;
  if (!k)
    return false;
  // "start" and "end" for the first ones, else the kind and k: generated
  // identifiers.
  bool numbered = k->number > 1 || k->group > 1;
  if (numbered || orKind)
    out_ += kNodeKinds[k->group];
  if (numbered) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, k->number).ptr;
    out_.append(digits, end);
  }
  return true;
}

std::string Exporter::declRef(ObjectId decl) {
  const Known *k = known(decl, proc_, Known::Decl);
  if (!k)
    return {};
  std::string out = groups_[k->group].written;
  if (k->number)
    out += "#" + std::to_string(k->number + 1);
  return out;
}

void Exporter::bodyItem(ObjectId id) {
  const zrep::Object &item = object(id);
  TypeId cls = item.cls;
  if (cls == s_.zVariable || cls == s_.zDef) {
    mark(id);
    indent();
    out_ += cls == s_.zVariable ? "var " : "def ";
    std::string_view n = value(repo_, item, s_.zRefName);
    out_ += declRef(id);
    if (ObjectId type = partner(repo_, item, s_.zType)) {
      out_ += ": ";
      out_ += typeRef(type);
    }
    tail(item, {{s_.zRefName, n}});
    out_ += ";\n";
  } else if (s_.mm.isKindOf(cls, s_.zFlowEnd)) {
    if (!partner(repo_, item, s_.zOwningContainer))
      node(id);
  } else if (cls == s_.zFlow) {
    flow(item);
  }
}

void Exporter::node(ObjectId id) {
  mark(id);
  const zrep::Object &n = object(id);
  TypeId cls = n.cls;
  if (cls == s_.zRule)
    return rule(id, false);
  indent();
  if (cls == s_.zStart || cls == s_.zEnd) {
    out_ += cls == s_.zStart ? "start" : "end";
    // The name when it is not the kind alone.
    out_ += ' ';
    if (!appendNodeName(id, false) || out_.back() == ' ')
      out_.pop_back();
    tail(n, {});
    out_ += ";\n";
    return;
  }
  if (cls == s_.zCall) {
    out_ += "call ";
    appendNodeName(id, true);
    tail(n, {});
    out_ += " = ";
    ObjectId callee = partner(repo_, n, s_.zProc_);
    out_ += callee ? std::string_view(procs_->shortest(callee)) : "?";
    out_ += '(';
    int number = 0;
    forPartners(repo_, n, s_.zCallParams, [&](ObjectId argId) {
      mark(argId);
      const zrep::Object &arg = object(argId);
      if (number)
        out_ += ", ";
      std::string numberText = std::to_string(++number);
      std::string_view expr = value(repo_, arg, s_.zArgExpr);
      if (overrides(arg, {{s_.zArgNumber, numberText}, {s_.zArgExpr, expr}}))
        out_ += ' ';
      expression(expr, ExprEnd::Argument);
    });
    out_ += ");\n";
    return;
  }
  if (cls == s_.zText) {
    out_ += "text ";
    appendNodeName(id, true);
    std::string_view constraint = value(repo_, n, s_.zTextConstraint);
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
  out_ += foreach ? "foreach " : "while ";
  appendNodeName(id, true);
  std::string_view notFixed =
      foreach ? value(repo_, n, s_.zNotFixed) : std::string_view();
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
    warn(id, "its loop head is not in its body: the link to it is left out");
  --depth_;
  indent();
  out_ += "}\n";
}

std::string Exporter::elementRef(ObjectId element) {
  const Known *k = element ? known(element, rule_, Known::Element) : nullptr;
  if (!k || groups_[k->group].name.empty())
    return "?";
  std::string out = groups_[k->group].written;
  if (k->number)
    out += "#" + std::to_string(k->number + 1);
  return out;
}

void Exporter::rule(ObjectId r, bool head) {
  indent();
  if (head)
    out_ += "head ";
  out_ += "rule ";
  appendNodeName(r, true);
  const zrep::Object &ro = object(r);
  tail(ro, {});
  out_ += " {\n";
  ++depth_;
  // The name each element is written with, counted for ordinals: that of
  // its declaration, or none when the procedure does not declare it.
  rule_ = r;
  forPartners(repo_, ro, s_.zOwnedElem, [&](ObjectId e) {
    const zrep::Object &eo = object(e);
    ObjectId def = partner(repo_, eo, s_.zDef_);
    ObjectId ref = def ? 0 : partner(repo_, eo, s_.zReferElem);
    const Known *d =
        def || ref ? known(def ? def : ref, proc_, Known::Decl) : nullptr;
    std::uint32_t g = d ? d->group : 0;
    Group &same = groups_[g];
    if (same.rule != r) {
      same.rule = r;
      same.seen = 0;
    }
    know(e) = {r, Known::Element, g, same.seen++, 0};
  });
  forPartners(repo_, ro, s_.zOwnedElem, [&](ObjectId e) { element(e); });
  forPartners(repo_, ro, s_.zOwnedLink, [&](ObjectId l) { link(l); });
  forPartners(repo_, ro, s_.zOwnedAssign,
              [&](ObjectId a) { assignment(a, r); });
  forPartners(repo_, ro, s_.zOwnedElem, [&](ObjectId e) {
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

void Exporter::element(ObjectId id) {
  mark(id);
  indent();
  const zrep::Object &e = object(id);
  std::string_view card = value(repo_, e, s_.zElemCard);
  std::string_view kind = value(repo_, e, s_.zElemType);
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
    const Known *d = known(def, proc_, Known::Decl);
    std::uint32_t k = d ? d->defNumber : 0;
    if (!k) {
      warn(id, "its definition is not declared in its procedure: left out");
      out_ += "?";
    } else {
      out_ += groups_[d->group].written;
      if (k > 1)
        out_ += "#" + std::to_string(k);
      out_ += ": ";
      out_ += typeRef(partner(repo_, def, s_.zType));
    }
    if (ref)
      warn(id, "it has both a definition and a reference: the reference is "
               "left out");
  } else if (ref) {
    std::string r = declRef(ref);
    if (r.empty()) {
      warn(id, "it refers to something that its procedure does not declare: "
               "left out");
      r = "?";
    }
    out_ += r;
  } else {
    out_ += "?";
  }
  std::string_view constraint = value(repo_, e, s_.zConstraint);
  tail(e, {{s_.zElemType, conveyedKind},
           {s_.zElemCard, card == "NOT" ? "NOT" : ""},
           {s_.zConstraint, constraint}});
  if (!constraint.empty()) {
    out_ += " where ";
    expression(constraint, ExprEnd::Semicolon);
  }
  out_ += ";\n";
}

void Exporter::link(ObjectId id) {
  mark(id);
  indent();
  const zrep::Object &l = object(id);
  ObjectId fromElement = partner(repo_, l, s_.zLinkFrom);
  std::string from = elementRef(fromElement);
  std::string to = elementRef(partner(repo_, l, s_.zLinkTo));
  if (l.cls != s_.zAssocLink) {
    out_ += from;
    out_ += " -- ";
    out_ += to;
    tail(l, {});
    out_ += ";\n";
    return;
  }
  std::string_view card = value(repo_, l, s_.zLinkCard);
  std::string_view kind = value(repo_, l, s_.zLinkType);
  std::string_view conveyedKind = "Normal";
  if (card == "NOT")
    out_ += "not ";
  if (kind == "Create" || kind == "Delete") {
    conveyedKind = kind;
    out_ += kind == "Create" ? "create " : "delete ";
  }
  out_ += from;
  out_ += " -";
  ObjectId dest = partner(repo_, l, s_.zDestProp);
  ObjectId source = partner(repo_, l, s_.zSourceProp);
  std::string_view role = dest ? repo_.valueView(dest, s_.kName) : "";
  ObjectId cls =
      fromElement ? referencableType(repo_, s_, fromElement) : ObjectId(0);
  if (!dest && !source) {
    out_ += "?";
  } else if (dest && cls && !role.empty() && namedFrom(cls, dest) &&
             oppositeEnd(repo_, s_, dest) == source) {
    appendName(out_, role);
  } else {
    out_ += "(" + propertyRef(dest) + ", " + propertyRef(source) + ")";
  }
  out_ += "-> ";
  out_ += to;
  tail(l, {{s_.zLinkType, conveyedKind},
           {s_.zLinkCard, card == "NOT" ? "NOT" : ""}});
  out_ += ";\n";
}

bool Exporter::namedFrom(ObjectId cls, ObjectId property) {
  auto key = static_cast<std::uint64_t>(static_cast<std::uint32_t>(cls)) << 32 |
             static_cast<std::uint32_t>(property);
  auto [named, fresh] = namedFrom_.tryEmplace(key);
  if (fresh)
    *named = findProperty(repo_, s_, cls,
                          repo_.valueView(property, s_.kName)) == property;
  return *named;
}

void Exporter::assignment(ObjectId id, ObjectId rule) {
  mark(id);
  indent();
  const zrep::Object &a = object(id);
  ObjectId target = partner(repo_, a, s_.zAssignedElement);
  std::string ref;
  if (!target) {
    ref = "?";
  } else if (rule && known(target, rule, Known::Element)) {
    ref = elementRef(target);
  } else {
    ref = declRef(target);
    // Shadowed: an element of the rule is written with the same name.
    bool shadowed = false;
    if (rule) {
      std::uint32_t g = findGroup(repo_.valueView(target, s_.zRefName));
      shadowed =
          g != kNoGroup && groups_[g].rule == rule && groups_[g].seen > 0;
    }
    if (ref.empty() || shadowed) {
      warn(id, "its target cannot be named here: left out");
      ref = "?";
    }
  }
  out_ += ref;
  if (ObjectId attr = partner(repo_, a, s_.zAttribute)) {
    std::string_view n = repo_.valueView(attr, s_.kName);
    ObjectId cls = target ? referencableType(repo_, s_, target) : 0;
    if (cls && !n.empty() && namedFrom(cls, attr)) {
      out_ += '.';
      appendName(out_, n);
    } else {
      out_ += ".(" + propertyRef(attr) + ")";
    }
  }
  out_ += " := ";
  expression(value(repo_, a, s_.zAssignExpr), ExprEnd::Semicolon);
  out_ += ";\n";
}

void Exporter::flow(const zrep::Object &f) {
  mark(f.id);
  indent();
  ObjectId from = partner(repo_, f, s_.zFlowFrom);
  ObjectId to = partner(repo_, f, s_.zFlowTo);
  bool fromKnown = appendNodeName(from, true);
  if (!fromKnown)
    out_ += '?';
  std::string_view isElse = value(repo_, f, s_.zIsElse);
  if (isElse == "true")
    out_ += " else";
  out_ += " -> ";
  bool toKnown = appendNodeName(to, true);
  if (!toKnown)
    out_ += '?';
  if ((from && !fromKnown) || (to && !toKnown))
    warn(f.id, "it leads to or from a node of another procedure: that end "
               "is left out");
  tail(f, {{s_.zIsElse, isElse == "true" ? "true" : ""}});
  out_ += ";\n";
}

} // namespace notation
