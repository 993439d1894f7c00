//===- not_trace.cpp - NOT elements in the debug trace (L17) --------------===//
//
// The debug trace of a rule lists every element of its pattern after
// "Pattern MATCHED." and again as "not-changed", NOT elements included, and
// lists a NOT link of kind Create or Delete as created or deleted: read
// naively, the trace says that what the rule forbids was found.
//
//===----------------------------------------------------------------------===//

#include "lint_context.h"

#include "file_text.h"

namespace zlint {

const std::vector<WarningInfo> &notTraceWarnings() {
  static const std::vector<WarningInfo> table = {
      {17, "NOT element or link reported as matched by the debug trace",
       "In a procedure with \"debugOn\", the trace of a rule lists every "
       "element of its pattern after \"Pattern MATCHED.\" and again as "
       "\"not-changed:\", NOT elements (CardConstraint NOT) included, with "
       "the empty identity of the object that was not there; a NOT link of "
       "kind Create or Delete is listed as CREATED or DELETED. The rule "
       "itself works as written: it matches only where no such object or "
       "link exists. Read these trace lines as \"absent\", or move the NOT "
       "test into a procedure without debugOn if the trace is to be read "
       "by others. A while loop's head rule is not traced."},
  };
  return table;
}

namespace {

std::string nameOf(const LintContext &cx, ObjectId element) {
  // A class element is named by its definition or the element it refers to.
  ObjectId source = cx.one(element, "def");
  if (!source)
    source = cx.one(element, "referElem");
  return zrep::printable(source ? cx.attr(source, "refName") : "?");
}

} // namespace

void checkNotTrace(LintContext &cx) {
  const zrep::Metamodel &mm = cx.metamodel();
  zrep::TypeId procCls = mm.classId("ZEVA::ZEVAprocedure"),
               ruleCls = mm.classId("ZEVA::Rule"),
               foreachCls = mm.classId("ZEVA::ForeachLoop"),
               assocLinkCls = mm.classId("ZEVA::AssocLink");
  std::vector<ObjectId> traced;
  cx.repo().forEachObject([&](const zrep::Object &o) {
    if (o.cls == procCls) {
      std::string debug = cx.attr(o.id, "debugOn");
      if (debug == "true" || debug == "1")
        traced.push_back(o.id);
    }
  });
  for (ObjectId procedure : traced) {
    std::string procName = zrep::printable(cx.attr(procedure, "name"));
    for (ObjectId rule : cx.many(procedure, "ownedElement")) {
      if (cx.repo().classOf(rule) != ruleCls)
        continue;
      // The head of a while loop gets no trace lines.
      if (ObjectId loop = cx.one(rule, "loop");
          loop && cx.repo().classOf(loop) != foreachCls)
        continue;
      for (ObjectId element : cx.many(rule, "ownedElem"))
        if (cx.attr(element, "CardConstraint") == "NOT" &&
            cx.attr(element, "ElemType") != "Create")
          cx.warn(17, element,
                  "the debug trace of '" + procName +
                      "' lists the NOT element '" + nameOf(cx, element) +
                      "' after \"Pattern MATCHED.\" as if it had been found: "
                      "read its trace lines as \"absent\"");
      for (ObjectId link : cx.many(rule, "ownedLink")) {
        std::string kind = cx.attr(link, "AssocLinkType");
        if (cx.repo().classOf(link) != assocLinkCls ||
            cx.attr(link, "CardConstraint") != "NOT" ||
            (kind != "Create" && kind != "Delete"))
          continue;
        ObjectId from = cx.one(link, "from"), to = cx.one(link, "to");
        if (!from || !to)
          continue;
        cx.warn(17, link,
                "the debug trace of '" + procName + "' lists the NOT link " +
                    "from '" + nameOf(cx, from) + "' to '" + nameOf(cx, to) +
                    "' as " + (kind == "Create" ? "CREATED" : "DELETED") +
                    " as if it had been found: make it a normal NOT link");
      }
    }
  }
}

} // namespace zlint
