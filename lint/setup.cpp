//===- setup.cpp - Project and unit set-up (L12-L16) ----------------------===//
//
// What the compiler takes from the project and the units: where it writes
// its files, whether the trace has its globals, how the values of Boolean
// and expression attributes read, and whether a call finds the parameters
// of a procedure compiled after it.
//
//===----------------------------------------------------------------------===//

#include "doubtful_values.h"
#include "lint_context.h"

#include "file_text.h"
#include "utf8.h"

#include <charconv>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace zlint {

const std::vector<WarningInfo> &setupWarnings() {
  static const std::vector<WarningInfo> table = {
      {12, "project file name is not 11 characters long",
       "The compiler finds the project folder by cutting the last 11 "
       "characters off the project's \"path\" (project::Project), as if the "
       "file name were always as long as \"Project.zvp\"; a path shorter than "
       "that is kept whole. With a file name of another length it cuts into "
       "the folder name or keeps part of the file name, and writes "
       "MMscript.txt and names the Kel units after a folder that was never "
       "meant: \"projects/My.zvp\" gives \"proj.zeva/...\", \"My.zvp\" "
       "gives \"My.zvp.zeva/...\". Name the project file with "
       "11 characters, such as Project.zvp."},
      {13, "debugOn procedures but no main procedure",
       "A procedure with \"debugOn\" writes its trace through the globals "
       "_IDENTint and _IDENTstr and the natives appendToFile and _resetIDENT, "
       "which the compiler declares only in the unit of the main procedure "
       "(\"isMain\"); every other unit compiled in the same run uses that "
       "unit and shares them. When the run compiles no main procedure, the "
       "traced procedures name globals and procedures that nothing "
       "declares, and the program cannot run. Mark the main procedure "
       "(isMain) in one of the compiled units, or turn debugOn off."},
      {14, "Boolean attribute with a non-canonical text",
       "A Boolean attribute reads as true only when its text is \"true\" "
       "(or \"1\"); any other text, such as \"True\", \"yes\" or \"0\", "
       "reads as false, whatever it seems to say. A unit marked "
       "isUnit=\"True\" is not a unit, compileThis=\"TRUE\" selects nothing, "
       "debugOn=\"yes\" traces nothing. Write \"true\" or \"false\"."},
      {15, "expression text with bare line feeds",
       "The expression lexer takes each line feed together with the "
       "character before it, which is meant to be the carriage return of a "
       "CR LF pair. In a text whose lines end in a bare line feed (LF "
       "only), the last character of the line is lost: \"n > 1 and\" "
       "followed by a line feed reads as \"n > 1 an\". Line feeds inside "
       "string constants, at the start of the text and after another line "
       "feed lose nothing, nor does a line ending in a blank. End the lines "
       "with CR LF, put a blank before each line feed, or write the text on "
       "one line."},
      {16, "call of a procedure compiled later, without params links",
       "A call statement takes the formal parameters of the called "
       "procedure from its \"params\" list. The compiler fills that list "
       "when it compiles the procedure's header, in the order of the "
       "units and their members; a call of a procedure that is compiled "
       "after the caller (or not at all in this run) sees only the "
       "parameters already in the list. It then passes fewer arguments "
       "than the procedure takes, or reports \"Too many call parameters!\" "
       "(54) for the first compilation only. Link the procedure \"params\" "
       "to each of its parameters, as the notation import does."},
  };
  return table;
}

namespace {

/// Boolean attributes read as the compiler reads them.
bool isTrue(const LintContext &cx, ObjectId id, const char *name) {
  std::string v = cx.attr(id, name);
  return v == "true" || v == "1";
}

std::string nameOf(const LintContext &cx, ObjectId id) {
  return zrep::printable(cx.attr(id, "name"));
}

/// The procedures that a compiler run compiles, in order, each with the
/// unit whose program gets it (0 when it is reached without one).
struct Run {
  struct Compiled {
    ObjectId procedure, unit;
  };
  std::vector<Compiled> procedures;
  std::unordered_map<ObjectId, std::size_t> position;
};

/// Walks the packages as the compiler's driver does: from the first
/// ZEVA::Model, depth first along ownedMember, when any package is a unit
/// selected for compilation.
Run compiledProcedures(const LintContext &cx) {
  const zrep::Metamodel &mm = cx.metamodel();
  zrep::TypeId modelCls = mm.classId("ZEVA::Model"),
               packageCls = mm.classId("ZEVA::Package"),
               procCls = mm.classId("ZEVA::ZEVAprocedure"),
               externalCls = mm.classId("ZEVA::ExternalProcedure");
  ObjectId model = 0;
  bool anySelected = false;
  cx.repo().forEachObject([&](const zrep::Object &o) {
    if (!model && o.cls == modelCls)
      model = o.id;
    if (!anySelected && mm.isKindOf(o.cls, packageCls))
      anySelected =
          isTrue(cx, o.id, "isUnit") && isTrue(cx, o.id, "compileThis");
  });
  Run run;
  if (!model || !anySelected)
    return run;
  struct Step {
    ObjectId element, unit;
    bool inUnit;
  };
  std::vector<Step> stack{{model, 0, isTrue(cx, model, "compileThis")}};
  std::unordered_set<ObjectId> seen;
  while (!stack.empty()) {
    Step s = stack.back();
    stack.pop_back();
    if (!seen.insert(s.element).second || isTrue(cx, s.element, "doNotCompile"))
      continue;
    zrep::TypeId cls = cx.repo().classOf(s.element);
    if (cls == procCls || cls == externalCls) {
      run.position.emplace(s.element, run.procedures.size());
      run.procedures.push_back({s.element, s.unit});
      continue;
    }
    bool isUnit = isTrue(cx, s.element, "isUnit");
    Step next{0, s.unit, true};
    bool skipProcedures = false;
    if (isUnit && isTrue(cx, s.element, "compileThis"))
      next.unit = s.element;
    else if (isUnit || !s.inUnit) {
      next.inUnit = false;
      skipProcedures = true;
    }
    std::vector<ObjectId> members = cx.many(s.element, "ownedMember");
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
      zrep::TypeId c = cx.repo().classOf(*it);
      if (skipProcedures && (c == procCls || c == externalCls))
        continue;
      next.element = *it;
      stack.push_back(next);
    }
  }
  return run;
}

/// L12: the file name of the project path must be what the compiler cuts.
void checkProjectPath(LintContext &cx) {
  const zrep::Metamodel &mm = cx.metamodel();
  zrep::TypeId projectCls = mm.classId("project::Project"),
               modelCls = mm.classId("ZEVA::Model");
  ObjectId project = 0, model = 0;
  cx.repo().forEachObject([&](const zrep::Object &o) {
    if (!project && o.cls == projectCls)
      project = o.id;
    if (!model && o.cls == modelCls)
      model = o.id;
  });
  if (!project || !model)
    return;
  std::string path = cx.attr(project, "path");
  if (path.empty())
    return;
  std::size_t slash = path.find_last_of("/\\");
  std::string_view file =
      std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
  std::size_t length = zrep::utf8::count(path);
  if (zrep::utf8::count(file) == 11)
    return;
  std::string kept = path;
  if (length >= 11)
    kept.resize(zrep::utf8::offset(path, length - 11));
  cx.warn(
      12, project,
      "the project file name \"" + zrep::printable(file) +
          "\" is not 11 characters long, but the compiler cuts the "
          "last 11 characters off the path \"" +
          zrep::printable(path) + "\" and writes into \"" +
          zrep::printable(kept + ".zeva/" + cx.attr(model, "name") + "/kel/") +
          "\": name the project file with 11 characters, such as "
          "Project.zvp");
}

/// L13: traced procedures need the globals that only a main procedure's
/// unit declares.
void checkTraceGlobals(LintContext &cx, const Run &run) {
  zrep::TypeId procCls = cx.metamodel().classId("ZEVA::ZEVAprocedure");
  std::vector<std::pair<ObjectId, ObjectId>> traced; // unit, first traced
  std::unordered_set<ObjectId> tracedUnits;
  for (const Run::Compiled &c : run.procedures) {
    if (cx.repo().classOf(c.procedure) != procCls)
      continue;
    if (isTrue(cx, c.procedure, "isMain"))
      return;
    if (!isTrue(cx, c.procedure, "debugOn"))
      continue;
    if (tracedUnits.insert(c.unit).second)
      traced.emplace_back(c.unit, c.procedure);
  }
  for (auto [unit, procedure] : traced) {
    std::string what =
        unit ? "unit '" + nameOf(cx, unit) + "' has debugOn procedures"
             : "procedure '" + nameOf(cx, procedure) + "' has debugOn";
    cx.warn(13, unit ? unit : procedure,
            what + " (such as '" + nameOf(cx, procedure) +
                "'), but no main procedure is compiled with it, and only the "
                "main procedure's unit declares the trace globals "
                "_IDENTint and _IDENTstr: mark a main procedure (isMain) or "
                "turn debugOn off");
  }
}

/// L14, L15: Boolean and expression texts that read otherwise than they
/// seem to.
void checkValues(LintContext &cx) {
  const zrep::Metamodel &mm = cx.metamodel();
  std::vector<std::vector<DoubtfulAttribute>> byClass =
      doubtfulAttributesByClass(mm);
  cx.repo().forEachObject([&](const zrep::Object &o) {
    if (!o.values)
      return;
    for (const DoubtfulAttribute &k :
         byClass[o.cls - zrep::Metamodel::kFirstClassId]) {
      std::string_view v = cx.repo().slotValue(o, k.slot);
      if (k.isBoolean) {
        if (isMisleadingBoolean(v))
          cx.warn(14, o.id,
                  "the Boolean " + k.attr->name + " is \"" +
                      zrep::printable(v) +
                      "\", which reads as false: write \"true\" or "
                      "\"false\"");
        continue;
      }
      LineFeedLoss loss = lostBeforeLineFeed(v);
      if (loss.line)
        cx.warn(15, o.id,
                "line " + std::to_string(loss.line) + " of the " +
                    k.attr->name +
                    " text ends in a bare line feed, which the lexer takes "
                    "together with \"" +
                    zrep::printable(loss.lost) +
                    "\" before it: end the lines with CR LF or write the "
                    "text on one line");
    }
  });
}

/// The parameters that compiling `procedure`'s header links into its
/// params list: those of its elements numbered 1, 2, ... without a gap,
/// the first of each number, that have a type.
std::vector<ObjectId> headerParameters(const LintContext &cx,
                                       ObjectId procedure) {
  zrep::TypeId paramCls = cx.metamodel().classId("ZEVA::Parameter");
  std::unordered_map<int, ObjectId> byNumber;
  for (ObjectId e : cx.many(procedure, "ownedElement")) {
    if (cx.repo().classOf(e) != paramCls)
      continue;
    std::string text = cx.attr(e, "paramNumber");
    int n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec == std::errc() && end == text.data() + text.size() && n > 0)
      byNumber.try_emplace(n, e);
  }
  std::vector<ObjectId> taken;
  for (int n = 1; byNumber.count(n); ++n)
    if (ObjectId p = byNumber.at(n); cx.one(p, "type"))
      taken.push_back(p);
  return taken;
}

/// L16: a call reads its callee's params list, which the callee's header
/// fills only when it is compiled.
void checkLateCallees(LintContext &cx, const Run &run) {
  const zrep::Metamodel &mm = cx.metamodel();
  zrep::TypeId procCls = mm.classId("ZEVA::ZEVAprocedure"),
               callCls = mm.classId("ZEVA::CallStatement");
  std::unordered_map<ObjectId, bool> complete; // callee: params all linked
  for (std::size_t at = 0; at < run.procedures.size(); ++at) {
    ObjectId caller = run.procedures[at].procedure;
    if (cx.repo().classOf(caller) != procCls)
      continue;
    for (ObjectId call : cx.many(caller, "ownedElement")) {
      if (cx.repo().classOf(call) != callCls)
        continue;
      ObjectId callee = cx.one(call, "proc");
      if (!callee || cx.repo().classOf(callee) != procCls ||
          isTrue(cx, callee, "doNotCompile"))
        continue;
      if (auto p = run.position.find(callee);
          p != run.position.end() && p->second <= at)
        continue;
      auto [it, fresh] = complete.try_emplace(callee, true);
      if (fresh) {
        std::vector<ObjectId> listed = cx.many(callee, "params");
        std::unordered_set<ObjectId> linked(listed.begin(), listed.end());
        for (ObjectId p : headerParameters(cx, callee))
          it->second = it->second && linked.count(p);
      }
      if (!it->second)
        cx.warn(16, call,
                "'" + nameOf(cx, callee) +
                    "' is compiled after this call, and not all of its "
                    "parameters are in its params list, which the call "
                    "reads: link the procedure params to each of its "
                    "parameters");
    }
  }
}

} // namespace

void checkSetup(LintContext &cx) {
  checkProjectPath(cx);
  Run run = compiledProcedures(cx);
  checkTraceGlobals(cx, run);
  checkValues(cx);
  checkLateCallees(cx, run);
}

} // namespace zlint
