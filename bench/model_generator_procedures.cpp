//===- model_generator_procedures.cpp - One generated procedure -----------===//
//
// A procedure is a chain of statements from its start to its end node: a
// first rule that matches around the first parameter, then a mix of rules,
// foreach and while loops, calls and text statements, each as a modeller
// would draw it. Everything is made for one procedure at a time and written
// at once, so memory does not grow with the model.
//
//===----------------------------------------------------------------------===//

#include "model_generator_procedures.h"
#include "model_generator_texts.h"

namespace gen {

namespace {

/// A class-typed name that a statement can use: a parameter or a
/// class-element definition.
struct Ref {
  Id id;
  std::string name;
  int cls;
};

class ProcedureBuilder {
public:
  ProcedureBuilder(const ClassModel &m, const Procedures &p, int index,
                   Rng &rng, Id &nextId)
      : m_(m), p_(p), sig_(p.signatures[index]), index_(index), rng_(rng),
        nextId_(nextId), texts_(m, sig_, rng) {}

  void write(Writer &out) {
    build();
    Obj proc{sig_.id, "ZEVA::ZEVAprocedure", {}, {}};
    proc.attr("name", sig_.name);
    if (sig_.isMain)
      proc.attr("isMain", "true");
    if (sig_.debug)
      proc.attr("debugOn", "true");
    proc.link("owningPackage", {sig_.package});
    if (!params_.empty())
      proc.link("params", params_);
    proc.link("ownedElement", owned_);
    out.write(proc);
    for (const Obj &o : objs_)
      out.write(o);
  }

private:
  // --- Objects -----------------------------------------------------------

  int add(const char *cls, bool owned = true) {
    Obj o;
    o.id = nextId_++;
    o.cls = cls;
    if (owned)
      owned_.push_back(o.id);
    objs_.push_back(std::move(o));
    return static_cast<int>(objs_.size()) - 1;
  }
  Obj &at(int i) { return objs_[i]; }
  Id id(int i) const { return objs_[i].id; }

  Id variable(const char *name, Id type) {
    int v = add("ZEVA::Variable");
    at(v).attr("refName", name).link("type", {type});
    return id(v);
  }

  Id parameter(const char *name, Id type, bool inOut) {
    int v = add("ZEVA::Parameter");
    at(v)
        .attr("refName", name)
        .attr("paramNumber", std::to_string(params_.size() + 1))
        .attr("inOut", inOut ? "true" : "false")
        .link("type", {type});
    params_.push_back(id(v));
    return id(v);
  }

  Ref definition(int cls) {
    std::string name = m_.classes[cls].noun.substr(0, 3);
    name[0] = static_cast<char>(name[0] - 'A' + 'a');
    name += std::to_string(++defs_);
    int d = add("ZEVA::ClassElementDef");
    at(d).attr("refName", name).link("type", {m_.classes[cls].id});
    return {id(d), name, cls};
  }

  /// A flow end, put into `container` when there is one.
  int flowEnd(const char *cls, int container) {
    int f = add(cls);
    if (container >= 0)
      at(container).links_of("ownedFlowEnd").push_back(id(f));
    return f;
  }

  void flow(Id from, Id to, bool isElse) {
    int f = add("ZEVA::Flow");
    if (isElse)
      at(f).attr("isElse", "true");
    at(f).link("from", {from}).link("to", {to});
  }

  int element(int rule, const char *kind, const Ref &source, bool isReference,
              bool isNot = false) {
    int e = add("ZEVA::ClassElement");
    at(e).attr("ElemType", kind);
    if (isNot)
      at(e).attr("CardConstraint", "NOT");
    at(e).link(isReference ? "referElem" : "def", {source.id});
    at(rule).links_of("ownedElem").push_back(id(e));
    return e;
  }

  void constrain(int element, int cls) {
    at(element).attr("constraint", texts_.constraint(cls));
  }

  /// A link along `end` from element `from` (of the end's owner) to `to`.
  void assocLink(int rule, int from, int to, int end, const char *kind,
                 bool isNot = false) {
    int l = add("ZEVA::AssocLink");
    at(l).attr("AssocLinkType", kind);
    if (isNot)
      at(l).attr("CardConstraint", "NOT");
    at(l).link("from", {id(from)}).link("to", {id(to)});
    at(l).link("sourceProp", {m_.ends[m_.ends[end].opposite].id});
    at(l).link("destProp", {m_.ends[end].id});
    at(rule).links_of("ownedLink").push_back(id(l));
  }

  void assignment(int decision, Id target, Id attribute, std::string expr) {
    int a = add("ZEVA::Assignment", false);
    at(a).attr("expr", std::move(expr)).link("assignedElement", {target});
    if (attribute)
      at(a).link("attribute", {attribute});
    if (decision >= 0)
      at(a).link("owningDecision", {id(decision)});
  }

  // --- Class model choices ----------------------------------------------

  /// The class of an element reached along an end typed `cls`: the class
  /// itself, sometimes a subclass, and a concrete one when it must be.
  int reachedClass(int cls, bool concrete) {
    const Class &c = m_.classes[cls];
    if (!c.children.empty() && (rng_.chance(15) || (concrete && c.isAbstract)))
      return reachedClass(rng_.pick(c.children), concrete);
    return concrete && c.isAbstract ? -1 : cls;
  }

  /// An element of a new definition reached from `from` (of class `cls`)
  /// along one of the ends `cls` has; -1 when the class has none.
  int navigate(int rule, int from, int cls, const char *kind,
               const char *linkKind, int &reached, bool isNot = false) {
    const auto &ends = m_.classes[cls].allEnds;
    if (ends.empty())
      return -1;
    int end = rng_.pick(ends);
    reached = reachedClass(m_.ends[end].target, false);
    Ref def = definition(reached);
    int e = element(rule, kind, def, false, isNot);
    assocLink(rule, from, e, end, linkKind);
    lastDef_ = def;
    return e;
  }

  void assignAttributes(int decision, int element, int cls, int count) {
    for (int k = 0; k < count; ++k) {
      const Attribute &a = texts_.attributeOf(cls);
      assignment(decision, id(element), a.id, texts_.value(a, cls));
    }
  }

  // --- Statements --------------------------------------------------------

  struct Stmt {
    Id id;
    bool elseFlow = false; // it may have an ELSE flow
  };

  /// A rule matching around the first parameter: a navigated element, and
  /// some of a second one (with a NOT-link when the classes allow it), a
  /// NOT-element, a created element and assignments.
  Stmt matchRule() {
    int r = flowEnd("ZEVA::Rule", -1);
    int a = anchor_.cls;
    int ref = element(r, "Normal", anchor_, !sig_.isMain);
    if (sig_.isMain)
      constrain(ref, a);
    int cls = -1, b = -1;
    const auto &triangles = m_.triangles[a];
    if (!sig_.isMain && !triangles.empty() && rng_.chance(35)) {
      const Triangle &t = rng_.pick(triangles);
      cls = reachedClass(m_.ends[t.xy].target, false);
      Ref def = definition(cls);
      b = element(r, "Normal", def, false);
      assocLink(r, ref, b, t.xy, "Normal");
      bound_.push_back(def);
      if (rng_.chance(60))
        constrain(b, cls);
      int zc = reachedClass(m_.ends[t.yz].target, false);
      Ref zdef = definition(zc);
      int c = element(r, "Normal", zdef, false);
      assocLink(r, b, c, t.yz, "Normal");
      if (rng_.chance(50))
        constrain(c, zc);
      assocLink(r, ref, c, t.xz, "Normal", true);
    } else {
      b = navigate(r, ref, a, "Normal", rng_.chance(10) ? "Delete" : "Normal",
                   cls);
      if (b < 0)
        return {id(r), true};
      bound_.push_back(lastDef_);
      if (rng_.chance(70))
        constrain(b, cls);
      int cc = -1;
      if (rng_.chance(40)) {
        int c = navigate(r, b, cls, rng_.chance(20) ? "Delete" : "Normal",
                         "Normal", cc);
        if (c >= 0 && rng_.chance(50))
          constrain(c, cc);
      }
    }
    if (rng_.chance(30)) {
      int dc = -1;
      int d = navigate(r, b, cls, "Normal", "Normal", dc, true);
      if (d >= 0 && rng_.chance(80))
        constrain(d, dc);
    }
    if (rng_.chance(35))
      createElement(r, b, cls);
    if (rng_.chance(60))
      assignAttributes(r, b, cls, 1 + rng_.below(2));
    return {id(r), true};
  }

  /// A new object linked to element `from` of class `cls`.
  void createElement(int rule, int from, int cls) {
    const auto &ends = m_.classes[cls].allEnds;
    if (ends.empty())
      return;
    int end = rng_.pick(ends);
    int created = reachedClass(m_.ends[end].target, true);
    if (created < 0)
      return;
    int e = element(rule, "Create", definition(created), false);
    assocLink(rule, from, e, end, "Create");
    assignAttributes(rule, e, created, 1 + rng_.below(2));
  }

  /// A foreach loop over objects reached from the first parameter; its
  /// body counts them, calls a procedure with each, or runs a rule on it.
  Stmt foreachLoop() {
    int loop = flowEnd("ZEVA::ForeachLoop", -1);
    at(loop).attr("notFixed", "false");
    int head = flowEnd("ZEVA::Rule", loop);
    at(loop).link("loophead", {id(head)});
    int ref = element(head, "Normal", anchor_, true);
    int cls = -1;
    int var = navigate(head, ref, anchor_.cls, "LoopVariable", "Normal", cls);
    if (var < 0)
      return {id(loop)};
    Ref loopDef = lastDef_;
    if (rng_.chance(60))
      constrain(var, cls);
    if (rng_.chance(30)) {
      int nc = -1;
      int next = navigate(head, var, cls, "Normal", "Normal", nc);
      if (next >= 0 && rng_.chance(50))
        constrain(next, nc);
    }
    if (rng_.chance(40))
      assignAttributes(head, var, cls, 1);
    int roll = rng_.below(100);
    if (roll < 20)
      return {id(loop)};
    Id body;
    if (roll < 55) {
      body = counter(loop);
    } else if (roll < 80) {
      body = call(loop, &loopDef).id;
    } else {
      int r = flowEnd("ZEVA::Rule", loop);
      int on = element(r, "Normal", loopDef, true);
      int oc = -1;
      int other = navigate(r, on, cls, "Normal", "Normal", oc);
      if (other >= 0)
        assignAttributes(r, other, oc, 1);
      else
        assignAttributes(r, on, cls, 1);
      body = id(r);
    }
    flow(id(head), body, false);
    return {id(loop)};
  }

  /// A while loop whose loophead finds an object and changes or deletes
  /// it, so that the loop ends.
  Stmt whileLoop() {
    int loop = flowEnd("ZEVA::WhileLoop", -1);
    int head = flowEnd("ZEVA::Rule", loop);
    at(loop).link("loophead", {id(head)});
    int ref = element(head, "Normal", anchor_, true);
    int cls = -1;
    int b = navigate(head, ref, anchor_.cls, "Normal", "Normal", cls);
    if (b < 0)
      return {id(loop)};
    const Attribute *flag = nullptr;
    for (int k : m_.classes[cls].allAttributes) {
      const Attribute &a = m_.attributes[k];
      if (a.kind == Kind::Boolean || a.kind == Kind::Integer)
        flag = &a;
    }
    if (!flag || rng_.chance(40)) {
      at(b).attrs.front().second = "Delete"; // ElemType
      if (rng_.chance(50))
        constrain(b, cls);
    } else if (flag->kind == Kind::Boolean) {
      at(b).attr("constraint", flag->name);
      assignment(head, id(b), flag->id, "false");
    } else {
      at(b).attr("constraint", flag->name + " > 0");
      assignment(head, id(b), flag->id, flag->name + " - 1");
    }
    if (rng_.chance(50))
      flow(id(head), counter(loop), false);
    return {id(loop)};
  }

  /// n = n + 1, in `container` when there is one.
  Id counter(int container) {
    int t = flowEnd("ZEVA::TextStatement", container);
    assignment(t, n_, 0, "n + 1");
    return id(t);
  }

  void callParam(int call, int number, std::string expr) {
    int p = add("ZEVA::CallParam", false);
    at(p).attr("paramNumber", std::to_string(number)).attr("expr", expr);
    at(call).links_of("params").push_back(id(p));
  }

  /// A call of a procedure whose first parameter takes one of the names
  /// bound here; of the external procedure when there is none.
  Stmt call(int container, const Ref *extra) {
    int c = flowEnd("ZEVA::CallStatement", container);
    std::vector<const Ref *> refs{&anchor_};
    for (const Ref &r : bound_)
      refs.push_back(&r);
    if (extra)
      refs.push_back(extra);
    for (int attempt = 0; attempt < 8; ++attempt) {
      const Ref *ref = refs[rng_.below(static_cast<int>(refs.size()))];
      if (extra && attempt == 0)
        ref = extra;
      std::vector<int> candidates;
      for (int k = ref->cls; k >= 0; k = m_.classes[k].parent)
        for (int callee : p_.byAnchor[k])
          if (callee != index_)
            candidates.push_back(callee);
      if (candidates.empty())
        continue;
      const Signature &callee = p_.signatures[rng_.pick(candidates)];
      at(c).link("proc", {callee.id});
      int number = 1;
      callParam(c, number++, (rng_.chance(20) ? "@" : "") + ref->name);
      if (callee.label)
        callParam(c, number++, texts_.text());
      if (callee.limit)
        callParam(c, number++,
                  rng_.chance(50) ? "n"
                                  : (sig_.limit ? "limit + 1" : "size(msg)"));
      if (callee.total)
        callParam(c, number++, "n");
      return {id(c)};
    }
    at(c).link("proc", {p_.report});
    callParam(c, 1, texts_.text());
    return {id(c)};
  }

  /// A text statement: a counter, a test of variables or of an object
  /// found before, with assignments; an ELSE flow is allowed.
  Stmt textStatement() {
    int t = flowEnd("ZEVA::TextStatement", -1);
    int roll = rng_.below(100);
    if (roll < 30 || bound_.empty()) {
      if (roll < 15)
        at(t).attr("constraint", sig_.limit ? "n < limit" : "size(msg) > 0");
      assignment(t, n_, 0, "n + 1");
      assignment(t, msg_, 0, "msg + \" \" + toString(n)");
      return {id(t), roll < 15};
    }
    const Ref &obj = rng_.pick(bound_);
    const Attribute &a = texts_.attributeOf(obj.cls);
    std::string test = texts_.atom(a, obj.name + ".");
    if (rng_.chance(30))
      test += " and n > 0";
    at(t).attr("constraint", test);
    const Attribute &set = texts_.attributeOf(obj.cls);
    std::string expr;
    switch (set.kind) {
    case Kind::Integer:
      expr = obj.name + "." + set.name + " + 1";
      break;
    case Kind::String:
      expr = "\"checked\"";
      break;
    case Kind::Boolean:
      expr = "true";
      break;
    case Kind::Enum:
      expr = texts_.literal(set);
      break;
    }
    assignment(t, obj.id, set.id, expr);
    return {id(t), true};
  }

  Stmt start() {
    int t = flowEnd("ZEVA::TextStatement", -1);
    assignment(t, n_, 0, "0");
    assignment(t, msg_, 0, "\"" + sig_.name + "\"");
    return {id(t)};
  }

  // --- The procedure -----------------------------------------------------

  void build() {
    if (sig_.isMain) {
      anchor_ = definition(sig_.anchor);
    } else {
      const Class &a = m_.classes[sig_.anchor];
      std::string name = a.noun;
      name[0] = static_cast<char>(name[0] - 'A' + 'a');
      anchor_ = {parameter(name.c_str(), a.id, false), name, sig_.anchor};
      if (sig_.label)
        parameter("label", m_.string, false);
      if (sig_.limit)
        parameter("limit", m_.integer, false);
      if (sig_.total)
        parameter("total", m_.integer, true);
    }
    n_ = variable("n", m_.integer);
    msg_ = variable("msg", m_.string);
    Id startNode = id(flowEnd("ZEVA::Start", -1));
    std::vector<Stmt> chain;
    if (sig_.isMain || rng_.chance(30))
      chain.push_back(start());
    chain.push_back(matchRule());
    if (sig_.isMain) {
      chain.push_back(call(-1, nullptr));
      chain.push_back(call(-1, nullptr));
      chain.push_back(call(-1, nullptr));
    } else {
      for (int k = 2 + rng_.below(4); k > 0; --k) {
        int roll = rng_.below(100);
        chain.push_back(roll < 25   ? foreachLoop()
                        : roll < 37 ? whileLoop()
                        : roll < 62 ? call(-1, nullptr)
                        : roll < 85 ? textStatement()
                                    : matchRule());
      }
    }
    if (sig_.total) {
      int t = flowEnd("ZEVA::TextStatement", -1);
      assignment(t, params_.back(), 0, "n");
      chain.push_back({id(t)});
    }
    Id endNode = id(flowEnd("ZEVA::End", -1));
    flow(startNode, chain.front().id, false);
    for (std::size_t k = 0; k < chain.size(); ++k) {
      Id next = k + 1 < chain.size() ? chain[k + 1].id : endNode;
      flow(chain[k].id, next, false);
      if (chain[k].elseFlow && rng_.chance(65))
        flow(chain[k].id,
             k + 2 < chain.size() && rng_.chance(30) ? chain[k + 2].id
                                                     : endNode,
             true);
    }
  }

  const ClassModel &m_;
  const Procedures &p_;
  const Signature &sig_;
  int index_;
  Rng &rng_;
  Id &nextId_;
  Texts texts_;
  std::vector<Obj> objs_;
  std::vector<Id> owned_, params_;
  Ref anchor_{0, "", -1}, lastDef_{0, "", -1};
  std::vector<Ref> bound_;
  Id n_ = 0, msg_ = 0;
  int defs_ = 0;
};

} // namespace

void writeProcedure(const ClassModel &model, const Procedures &procedures,
                    int index, Rng &rng, Id &nextId, Writer &out) {
  ProcedureBuilder(model, procedures, index, rng, nextId).write(out);
}

} // namespace gen
