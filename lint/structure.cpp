//===- structure.cpp - L4-L8: structure the compiler passes over ----------===//
//
// The compiler finds a procedure's flow ends and pattern elements through
// the procedure's `ownedElement`, a loop's body through its `ownedFlowEnd`,
// and control flow through the flows between them. What is linked
// elsewhere is left out of the program without a message.
//
//===----------------------------------------------------------------------===//

#include "file_text.h"
#include "lint_context.h"

#include <unordered_set>

namespace zlint {

const std::vector<WarningInfo> &structureWarnings() {
  static const std::vector<WarningInfo> table = {
      {4, "element missing from its procedure's ownedElement",
       "A class element or link in a rule's ownedElem or ownedLink, a flow "
       "end in a loop's ownedFlowEnd, and a flow end that a flow of the "
       "procedure leads to, must also be in the procedure's ownedElement: "
       "the compiler finds flow ends, declarations and the links it "
       "creates there. A flow end missing from it is not compiled and jumps "
       "to it are left out; a link of kind Create is not made; a class "
       "element loses its constraint. Fix: add the element to the "
       "ownedElement of the procedure that owns the rule, loop or flow."},
      {5, "loophead missing from its loop's body",
       "A loop's loophead rule must also be in the loop's ownedFlowEnd. "
       "Outside it the head does not count as part of the loop body: a head "
       "without a successor returns from the procedure after the first pass "
       "instead of going on with the loop. Fix: add the rule to the loop's "
       "ownedFlowEnd."},
      {6, "flow end that no flow reaches",
       "No path of flows from the start node leads to this flow end: its "
       "incoming flows come from flow ends that are never reached, or it "
       "lies in a loop body without incoming flow and is not the loop's "
       "head. The compiler emits its commands but nothing jumps to them, "
       "without a message (it reports message 66 only for flow ends outside "
       "loops that have no incoming flow at all). Fix: add the missing flow "
       "to it, or remove it."},
      {7, "rule with two loop variables",
       "A foreach loop iterates over one loop variable: the compiler takes "
       "the first class element of kind LoopVariable of the loophead and "
       "treats the others as its first match in each pass. Fix: give the "
       "rule one loop variable (ElemType LoopVariable) and make the others "
       "Normal, or nest a second loop."},
      {8, "reference element referring to something else",
       "A class element's referElem must be a parameter, variable or class "
       "element definition of the element's own procedure (in its "
       "ownedElement). The compiler uses the referred element's refName as "
       "a name of the procedure, so a reference to another procedure's "
       "element, or to a class element, names a pointer that is not "
       "declared there. Fix: link referElem to the parameter, variable or "
       "definition of this procedure that holds the object."},
  };
  return table;
}

namespace {

class StructureCheck {
public:
  explicit StructureCheck(LintContext &cx)
      : cx_(cx), mm_(cx.metamodel()),
        procedure_(mm_.classId("ZEVA::ZEVAprocedure")),
        rule_(mm_.classId("ZEVA::Rule")),
        foreach_(mm_.classId("ZEVA::ForeachLoop")),
        while_(mm_.classId("ZEVA::WhileLoop")),
        start_(mm_.classId("ZEVA::Start")),
        flowEnd_(mm_.classId("ZEVA::FlowEnd")),
        classElement_(mm_.classId("ZEVA::ClassElement")) {
    for (const char *name :
         {"ZEVA::Parameter", "ZEVA::Variable", "ZEVA::ClassElementDef"})
      referencable_.insert(mm_.classId(name));
  }

  void run() {
    cx_.repo().forEachObject([&](const zrep::Object &o) {
      if (o.cls == procedure_)
        checkFlow(o.id);
      else if (o.cls == rule_)
        checkRule(o.id);
      else if (o.cls == foreach_ || o.cls == while_)
        checkLoop(o.id);
      else if (o.cls == classElement_)
        checkReference(o.id);
    });
  }

private:
  /// The procedure that compiles a flow end: its own, or its loop's.
  ObjectId procedureOf(ObjectId flowEnd) const {
    // Loops nest shallowly; the bound only ends a walk around a cycle of
    // containers in a faulty model.
    constexpr int kMaxDepth = 1000;
    ObjectId id = flowEnd;
    for (int depth = 0; id && depth < kMaxDepth; ++depth) {
      if (ObjectId p = cx_.one(id, "owningProcedure"))
        return p;
      id = cx_.one(id, "owningContainer");
    }
    return 0;
  }

  std::string procedureName(ObjectId p) const {
    std::string n = cx_.attr(p, "name");
    return n.empty() ? "#" + std::to_string(p) : zrep::printable(n);
  }

  /// L4 on each of `owner`'s partners at `role` that its procedure lacks.
  void checkOwned(ObjectId owner, const char *role, const char *what,
                  const char *ownerKind) {
    ObjectId p = procedureOf(owner);
    if (!p)
      return;
    for (ObjectId e : cx_.many(owner, role))
      if (cx_.one(e, "owningProcedure") != p)
        cx_.warn(4, e,
                 std::string("this ") + what + " is in a " + ownerKind + "'s " +
                     role +
                     " but not in the ownedElement of its "
                     "procedure " +
                     procedureName(p) + ": add it there");
  }

  void checkRule(ObjectId rule) {
    checkOwned(rule, "ownedElem", "class element", "rule");
    checkOwned(rule, "ownedLink", "link", "rule");
    int loopVariables = 0;
    for (ObjectId e : cx_.many(rule, "ownedElem"))
      if (cx_.attr(e, "ElemType") == "LoopVariable")
        ++loopVariables;
    if (loopVariables > 1)
      cx_.warn(7, rule,
               "this rule has " + std::to_string(loopVariables) +
                   " loop variables; the loop iterates over the first only: "
                   "keep one and make the others Normal");
  }

  void checkLoop(ObjectId loop) {
    checkOwned(loop, "ownedFlowEnd", "flow end", "loop");
    ObjectId head = cx_.one(loop, "loophead");
    if (head && cx_.one(head, "owningContainer") != loop)
      cx_.warn(5, loop,
               "the loophead of this loop is not in its ownedFlowEnd, so "
               "it does not go on with the loop: add the rule #" +
                   std::to_string(head) + " to the loop's ownedFlowEnd");
  }

  void checkReference(ObjectId element) {
    ObjectId target = cx_.one(element, "referElem");
    // An element with a def binds it; its referElem is not used.
    if (!target || cx_.one(element, "def"))
      return;
    ObjectId p = cx_.one(element, "owningProcedure");
    if (!p)
      if (ObjectId rule = cx_.one(element, "owningRule"))
        p = procedureOf(rule);
    if (!p)
      return;
    std::string name = zrep::printable(cx_.attr(target, "refName"));
    if (!referencable_.count(cx_.repo().classOf(target)))
      cx_.warn(8, element,
               "this reference element refers to the " + cx_.cls(target) +
                   " #" + std::to_string(target) +
                   ", not to a parameter, variable or definition: link "
                   "referElem to one of procedure " +
                   procedureName(p));
    else if (cx_.one(target, "owningProcedure") != p)
      cx_.warn(8, element,
               "this reference element refers to '" + name +
                   "', which is not an element of its procedure " +
                   procedureName(p) +
                   ": link referElem to a parameter, variable or "
                   "definition of this procedure");
  }

  bool isLoop(ObjectId id) const {
    zrep::TypeId c = cx_.repo().classOf(id);
    return c == foreach_ || c == while_;
  }

  /// The flow end where a loop's body begins: a foreach loop's loophead; a
  /// while loop's first body flow end without incoming flow.
  ObjectId headOf(ObjectId loop, ObjectId p) const {
    if (cx_.repo().classOf(loop) == foreach_)
      return cx_.one(loop, "loophead");
    for (ObjectId f : cx_.many(loop, "ownedFlowEnd"))
      if (cx_.one(f, "owningProcedure") == p &&
          cx_.repo().classOf(f) != start_ && cx_.many(f, "destination").empty())
        return f;
    return 0;
  }

  /// L6: the flow ends of procedure `p` that no path of flows from its
  /// start nodes reaches, except those the compiler reports itself.
  void checkFlow(ObjectId p) {
    std::vector<ObjectId> flowEnds, work;
    std::unordered_set<ObjectId> reached;
    for (ObjectId e : cx_.many(p, "ownedElement"))
      if (mm_.isKindOf(cx_.repo().classOf(e), flowEnd_)) {
        flowEnds.push_back(e);
        if (cx_.repo().classOf(e) == start_ && reached.insert(e).second)
          work.push_back(e);
      }
    if (work.empty())
      return;
    std::unordered_set<ObjectId> strays;
    auto reach = [&](ObjectId f) {
      if (!f)
        return;
      if (cx_.one(f, "owningProcedure") == p) {
        if (reached.insert(f).second)
          work.push_back(f);
        return;
      }
      // A flow into a flow end that the procedure lacks is dropped; one in
      // a loop body is judged with its loop.
      if (mm_.isKindOf(cx_.repo().classOf(f), flowEnd_) &&
          !cx_.one(f, "owningContainer") && strays.insert(f).second)
        cx_.warn(4, f,
                 "a flow of procedure " + procedureName(p) +
                     " leads to this flow end, which is not in its "
                     "ownedElement, so the jump is left out: add it there");
    };
    while (!work.empty()) {
      ObjectId f = work.back();
      work.pop_back();
      for (ObjectId flow : cx_.many(f, "source"))
        reach(cx_.one(flow, "to"));
      // A loop without head is the compiler's message 63 or 75; its body
      // is not judged.
      if (isLoop(f)) {
        if (ObjectId head = headOf(f, p))
          reach(head);
        else
          for (ObjectId body : cx_.many(f, "ownedFlowEnd"))
            reach(body);
      }
    }
    for (ObjectId f : flowEnds) {
      if (reached.count(f) || cx_.repo().classOf(f) == start_ ||
          cx_.one(f, "loop"))
        continue;
      ObjectId container = cx_.one(f, "owningContainer");
      bool incoming = !cx_.many(f, "destination").empty();
      // Outside loops, a flow end without incoming flow gets message 66; in
      // a loop that is not reached itself, the loop is what to fix.
      if ((!container && !incoming) || (container && !reached.count(container)))
        continue;
      cx_.warn(6, f,
               incoming ? "no path of flows from the start node reaches this "
                          "flow end: its incoming flows come from flow ends "
                          "that are never reached"
                        : "nothing in the loop body leads to this flow end "
                          "and it is not the loop's head: add a flow to it");
    }
  }

  LintContext &cx_;
  const zrep::Metamodel &mm_;
  zrep::TypeId procedure_, rule_, foreach_, while_, start_, flowEnd_,
      classElement_;
  std::unordered_set<zrep::TypeId> referencable_;
};

} // namespace

void checkStructure(LintContext &cx) { StructureCheck(cx).run(); }

} // namespace zlint
