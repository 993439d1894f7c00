//===- extreme_models.cpp - Valid models of extreme shape -----------------===//

#include "extreme_models.h"

#include "repository.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace extreme {

namespace {

using zrep::ObjectId;
using Attrs = std::initializer_list<std::pair<const char *, std::string>>;

constexpr ShapeInfo kShapes[] = {
    {Shape::Packages, "packages", "levels", 50000, 100000},
    {Shape::Classes, "classes", "classes", 50000, 100000},
    {Shape::Pattern, "pattern", "elements", 50000, 100000},
    {Shape::Expression, "expression", "bytes", 1 << 19, 1 << 20},
    {Shape::Brackets, "brackets", "bytes", 1 << 19, 1 << 20},
    {Shape::FlowEnds, "flowends", "flow ends", 50000, 100000},
    {Shape::Parameters, "parameters", "parameters", 15000, 30000},
    {Shape::Mains, "mains", "units", 250, 500},
};

struct Builder {
  zrep::Repository &repo;
  const zrep::Metamodel &mm = repo.metamodel();

  ObjectId make(const char *cls, Attrs attrs = {}) {
    ObjectId id = repo.createObject(mm.classId(cls));
    for (const auto &[name, value] : attrs)
      repo.setValue(id, mm.attrId(mm.classId(cls), name), value);
    return id;
  }
  void link(ObjectId a, const char *role, ObjectId b) {
    repo.createLink(mm.endId(repo.classOf(a), role), a, b);
  }
  ObjectId named(const char *cls, const std::string &name, ObjectId owner) {
    ObjectId id = make(cls, {{"name", name}});
    link(owner, "ownedMember", id);
    return id;
  }
  ObjectId property(ObjectId cls, const char *name, ObjectId type) {
    ObjectId p = make("Kernel::Property", {{"name", name}});
    link(cls, "ownedAttribute", p);
    link(p, "type", type);
    return p;
  }
  ObjectId unit(ObjectId owner, const std::string &name) {
    ObjectId u =
        make("ZEVA::Package",
             {{"name", name}, {"isUnit", "true"}, {"compileThis", "true"}});
    link(owner, "ownedMember", u);
    return u;
  }
};

/// Class A in package Pk, with attributes n : Integer and s : String and
/// the association end "next" : A; and an empty ZEVA model.
struct Base {
  ObjectId kmodel, pk, integer, string, a, n, next, zmodel;
};

Base makeBase(Builder &b) {
  Base m{};
  m.kmodel = b.make("Kernel::Model", {{"name", "K"}});
  m.integer = b.named("Kernel::PrimitiveType", "Integer", m.kmodel);
  m.string = b.named("Kernel::PrimitiveType", "String", m.kmodel);
  b.named("Kernel::PrimitiveType", "Boolean", m.kmodel);
  m.pk = b.named("Kernel::Package", "Pk", m.kmodel);
  m.a = b.named("Kernel::Class", "A", m.pk);
  m.n = b.property(m.a, "n", m.integer);
  b.property(m.a, "s", m.string);
  m.next = b.property(m.a, "next", m.a);
  m.zmodel = b.make("ZEVA::Model", {{"name", "M"}});
  return m;
}

/// A procedure and the elements of its diagram.
struct Procedure {
  Builder &b;
  ObjectId id;

  Procedure(Builder &builder, ObjectId owner, const char *name, Attrs attrs)
      : b(builder), id(b.make("ZEVA::ZEVAprocedure", attrs)) {
    b.repo.setValue(id, b.mm.attrId(b.repo.classOf(id), "name"), name);
    b.link(owner, "ownedMember", id);
  }
  ObjectId element(const char *cls, Attrs attrs = {}) {
    ObjectId e = b.make(cls, attrs);
    b.link(id, "ownedElement", e);
    return e;
  }
  ObjectId flow(ObjectId from, ObjectId to) {
    ObjectId f = element("ZEVA::Flow");
    b.link(f, "from", from);
    b.link(f, "to", to);
    return f;
  }
  /// Start, the flow ends in a row, End.
  void row(std::initializer_list<ObjectId> ends) {
    ObjectId previous = element("ZEVA::Start");
    for (ObjectId e : ends) {
      flow(previous, e);
      previous = e;
    }
    flow(previous, element("ZEVA::End"));
  }
  ObjectId variable(const std::string &name, ObjectId type,
                    const char *cls = "ZEVA::Variable") {
    ObjectId v = element(cls, {{"refName", name}});
    b.link(v, "type", type);
    return v;
  }
  ObjectId parameter(const std::string &name, int number, ObjectId type,
                     bool inOut) {
    ObjectId p =
        b.make("ZEVA::Parameter", {{"refName", name},
                                   {"paramNumber", std::to_string(number)},
                                   {"inOut", inOut ? "true" : "false"}});
    b.link(p, "type", type);
    b.link(id, "ownedElement", p);
    b.link(id, "params", p);
    return p;
  }
  /// A class element of `rule`: searched (`type`) or standing for `target`.
  ObjectId classElement(ObjectId rule, const std::string &name, ObjectId type,
                        const std::string &constraint = "") {
    ObjectId def = variable(name, type, "ZEVA::ClassElementDef");
    ObjectId e = element("ZEVA::ClassElement",
                         {{"ElemType", "Normal"}, {"constraint", constraint}});
    b.link(e, "def", def);
    b.link(rule, "ownedElem", e);
    return e;
  }
  ObjectId reference(ObjectId rule, ObjectId target,
                     const std::string &constraint = "") {
    ObjectId e = element("ZEVA::ClassElement",
                         {{"ElemType", "Normal"}, {"constraint", constraint}});
    b.link(e, "referElem", target);
    b.link(rule, "ownedElem", e);
    return e;
  }
  ObjectId assoc(ObjectId rule, ObjectId from, ObjectId to, ObjectId end) {
    ObjectId l = element("ZEVA::AssocLink", {{"AssocLinkType", "Normal"}});
    b.link(l, "from", from);
    b.link(l, "to", to);
    b.link(l, "sourceProp", end);
    b.link(l, "destProp", end);
    b.link(rule, "ownedLink", l);
    return l;
  }
  void assign(ObjectId element, ObjectId attribute, const std::string &expr) {
    ObjectId a = b.make("ZEVA::Assignment", {{"expr", expr}});
    b.link(a, "assignedElement", element);
    b.link(a, "attribute", attribute);
  }
};

void packages(Builder &b, const Base &m, int n) {
  ObjectId kernelOwner = m.kmodel, zevaOwner = m.zmodel;
  for (int i = 0; i < n; ++i) {
    kernelOwner = b.named("Kernel::Package", "k", kernelOwner);
    zevaOwner = i + 1 < n ? b.named("ZEVA::Package", "p", zevaOwner)
                          : b.unit(zevaOwner, "u");
  }
  ObjectId deep = b.named("Kernel::Class", "D", kernelOwner);
  ObjectId count = b.property(deep, "count", m.integer);
  Procedure p(b, zevaOwner, "main", {{"isMain", "true"}});
  ObjectId v = p.variable("v", deep);
  ObjectId rule = p.element("ZEVA::Rule");
  p.assign(p.reference(rule, v, "count = 1"), count, "count + 1");
  p.classElement(rule, "x", deep, "count > 0");
  p.row({rule});
}

void classes(Builder &b, const Base &m, int n) {
  ObjectId general = m.a, deepest = m.a, second = m.a;
  for (int i = 1; i < n; ++i) {
    ObjectId c = b.named("Kernel::Class", "A" + std::to_string(i), m.pk);
    ObjectId g = b.make("Kernel::Generalization");
    b.link(g, "specific", c);
    b.link(g, "general", general);
    general = deepest = c;
    if (i == 1)
      second = c;
  }
  // An end typed by A's subclass: a search of A along it excludes every
  // subclass of A.
  ObjectId sub = b.property(m.a, "sub", second);
  ObjectId unit = b.unit(m.zmodel, "u");
  Procedure q(b, unit, "q", {});
  q.parameter("a", 1, m.a, false);
  q.row({});
  Procedure p(b, unit, "main", {{"isMain", "true"}});
  ObjectId v = p.variable("v", deepest);
  ObjectId rule = p.element("ZEVA::Rule");
  ObjectId from = p.reference(rule, v, "n = 1");
  ObjectId x = p.classElement(rule, "x", m.a, "x.isKindOf(pk::A) and n > 0");
  p.assoc(rule, from, x, sub);
  p.assign(from, m.n, "n + 1");
  ObjectId call = p.element("ZEVA::CallStatement");
  b.link(call, "proc", q.id);
  ObjectId actual =
      b.make("ZEVA::CallParam", {{"paramNumber", "1"}, {"expr", "v"}});
  b.link(call, "params", actual);
  p.row({rule, call});
}

void pattern(Builder &b, const Base &m, int n) {
  Procedure p(b, b.unit(m.zmodel, "u"), "main", {{"isMain", "true"}});
  ObjectId rule = p.element("ZEVA::Rule");
  ObjectId previous = p.reference(rule, p.variable("v", m.a));
  for (int i = 0; i < n; ++i) {
    ObjectId x = p.classElement(rule, "x" + std::to_string(i), m.a,
                                i % 100 == 0 ? "n > 0" : "");
    p.assoc(rule, previous, x, m.next);
    previous = x;
  }
  p.assign(previous, m.n, "n + 1");
  p.row({rule});
}

void expression(Builder &b, const Base &m, int n, bool nested) {
  std::string constraint, value;
  if (nested) {
    int depth = n / 2;
    constraint = std::string(depth, '(') + "n = 1" + std::string(depth, ')');
    value = std::string(depth, '(') + "n + 1" + std::string(depth, ')');
  } else {
    for (int i = 0; constraint.size() < std::size_t(n); ++i)
      constraint +=
          (i ? " or " : "") + ("(n = " + std::to_string(i) + " and s <> \"t" +
                               std::to_string(i) + "\")");
    for (int i = 0; value.size() < std::size_t(n); ++i)
      value += (i ? " + " : "") + ("(n - " + std::to_string(i) + ") * 2");
  }
  Procedure p(b, b.unit(m.zmodel, "u"), "main", {{"isMain", "true"}});
  ObjectId rule = p.element("ZEVA::Rule");
  ObjectId x = p.classElement(rule, "x", m.a, constraint);
  p.assign(x, m.n, value);
  p.row({rule});
}

void flowEnds(Builder &b, const Base &m, int n) {
  ObjectId unit = b.unit(m.zmodel, "u");
  Procedure q(b, unit, "q", {});
  q.parameter("a", 1, m.integer, false);
  q.row({});
  Procedure p(b, unit, "main", {{"isMain", "true"}, {"debugOn", "true"}});
  ObjectId v = p.variable("v", m.a), i = p.variable("i", m.integer);
  ObjectId previous = p.element("ZEVA::Start");
  for (int k = 0; k < n; ++k) {
    ObjectId e = 0;
    switch (k % 3) {
    case 0: {
      e = p.element("ZEVA::TextStatement", {{"constraint", "i > 0"}});
      ObjectId a = b.make("ZEVA::Assignment", {{"expr", "i - 1"}});
      b.link(e, "ownedAssign", a);
      b.link(a, "assignedElement", i);
      break;
    }
    case 1:
      e = p.element("ZEVA::Rule");
      p.reference(e, v, "n = " + std::to_string(k));
      break;
    default: {
      e = p.element("ZEVA::CallStatement");
      b.link(e, "proc", q.id);
      ObjectId actual =
          b.make("ZEVA::CallParam", {{"paramNumber", "1"}, {"expr", "i + 1"}});
      b.link(e, "params", actual);
    }
    }
    p.flow(previous, e);
    previous = e;
  }
  p.flow(previous, p.element("ZEVA::End"));
}

void parameters(Builder &b, const Base &m, int n) {
  ObjectId unit = b.unit(m.zmodel, "u");
  Procedure q(b, unit, "q", {});
  ObjectId external = b.make("ZEVA::ExternalProcedure", {{"name", "ext"}});
  b.link(unit, "ownedMember", external);
  const ObjectId types[] = {m.integer, m.string, m.a};
  const char *const actuals[] = {"i + 1", "\"text\"", "v"};
  for (int k = 1; k <= n; ++k) {
    std::string name = "arg" + std::to_string(k);
    q.parameter(name, k, types[k % 3], k % 4 == 0);
    ObjectId formal =
        b.make("ZEVA::Parameter", {{"refName", name},
                                   {"paramNumber", std::to_string(k)},
                                   {"inOut", "false"}});
    b.link(formal, "type", types[k % 3]);
    b.link(external, "params", formal);
  }
  q.row({});
  Procedure p(b, unit, "main", {{"isMain", "true"}});
  p.variable("v", m.a);
  p.variable("i", m.integer);
  ObjectId calls[2];
  for (int c = 0; c < 2; ++c) {
    calls[c] = p.element("ZEVA::CallStatement");
    b.link(calls[c], "proc", c ? external : q.id);
    for (int k = 1; k <= n; ++k) {
      ObjectId actual =
          b.make("ZEVA::CallParam", {{"paramNumber", std::to_string(k)},
                                     {"expr", actuals[k % 3]}});
      b.link(calls[c], "params", actual);
    }
  }
  p.row({calls[0], calls[1]});
}

void mains(Builder &b, const Base &m, int n) {
  for (int i = 0; i < n; ++i) {
    Procedure p(b, b.unit(m.zmodel, "u" + std::to_string(i)), "main",
                {{"isMain", "true"}});
    p.row({});
  }
}

} // namespace

std::span<const ShapeInfo> shapes() { return kShapes; }

const ShapeInfo *findShape(std::string_view name) {
  for (const ShapeInfo &s : kShapes)
    if (name == s.name)
      return &s;
  return nullptr;
}

void build(zrep::Repository &repo, Shape shape, int n) {
  Builder b{repo};
  Base m = makeBase(b);
  switch (shape) {
  case Shape::Packages:
    return packages(b, m, n);
  case Shape::Classes:
    return classes(b, m, n);
  case Shape::Pattern:
    return pattern(b, m, n);
  case Shape::Expression:
  case Shape::Brackets:
    return expression(b, m, n, shape == Shape::Brackets);
  case Shape::FlowEnds:
    return flowEnds(b, m, n);
  case Shape::Parameters:
    return parameters(b, m, n);
  case Shape::Mains:
    return mains(b, m, n);
  }
}

} // namespace extreme
