//===- import.cpp - From notation text to a repository --------------------===//

#include "import.h"

#include "parser.h"

#include <unordered_set>

namespace notation {

ImportResult importNotation(const SourceFile &file, Diagnostics &diags) {
  ImportResult result;
  if (!checkEncoding(file, diags))
    return result;
  auto repo = std::make_unique<zrep::Repository>();
  Parser parser(file, diags, *repo, result.map);
  parser.parseFile();
  if (diags.errorCount() == 0)
    result.repo = std::move(repo);
  return result;
}

namespace {

/// "lib::copyBooks": the packages below the transformation and the name.
std::string zevaPath(const zrep::Repository &repo, const Schema &s,
                     ObjectId obj) {
  std::string path(repo.valueView(obj, s.zName));
  std::unordered_set<ObjectId> seen{obj};
  for (ObjectId p = partner(repo, obj, s.zOwningPackage);
       p && repo.classOf(p) != s.zModel && seen.insert(p).second;
       p = partner(repo, p, s.zOwningPackage))
    path = std::string(repo.valueView(p, s.zName)) + "::" + path;
  return path;
}

} // namespace

std::string describeObject(const zrep::Repository &repo, const SourceMap &map,
                           ObjectId id) {
  std::uint32_t offset;
  if (!map.find(id, offset) || !repo.exists(id))
    return {};
  const Schema &s = Schema::builtin();
  TypeId cls = repo.classOf(id);
  std::string what;
  ObjectId inside = id; // what leads to the procedure
  if (const std::string *node = map.nodeName(id)) {
    const char *kind = cls == s.zRule      ? "rule"
                       : cls == s.zText    ? "text"
                       : cls == s.zCall    ? "call"
                       : cls == s.zForeach ? "foreach"
                       : cls == s.zWhile   ? "while"
                       : cls == s.zStart   ? "start"
                                           : "end";
    what = *node == kind ? std::string(kind) : std::string(kind) + " " + *node;
  } else if (cls == s.zElement) {
    std::string_view n = elementName(repo, s, id);
    what = "element " + std::string(n.empty() ? "?" : n);
  } else if (cls == s.zAssocLink || cls == s.zLink) {
    what = "link";
  } else if (cls == s.zFlow) {
    what = "flow";
  } else if (cls == s.zAssignment) {
    what = "assignment";
    ObjectId owner = partner(repo, id, s.zOwningDecision);
    inside = owner ? owner : partner(repo, id, s.zAssignedElement);
  } else if (cls == s.zCallParam) {
    what = "argument " + std::string(repo.valueView(id, s.zArgNumber));
    inside = partner(repo, id, s.zParamCall);
  } else if (cls == s.zParameter || cls == s.zVariable || cls == s.zDef) {
    what = std::string(cls == s.zParameter  ? "parameter "
                       : cls == s.zVariable ? "variable "
                                            : "definition ") +
           std::string(repo.valueView(id, s.zRefName));
    if (cls == s.zParameter && !partner(repo, id, s.zOwningProcedure))
      inside = partner(repo, id, s.zParamOf);
  } else if (cls == s.zAnnotation) {
    what = "annotation";
    inside = partner(repo, id, s.zAnnotatedElement);
  } else if (s.mm.isKindOf(cls, s.zProcedure)) {
    return "procedure " + zevaPath(repo, s, id);
  } else if (cls == s.zModel) {
    return "transformation " + std::string(repo.valueView(id, s.zName));
  } else if (cls == s.zPackage) {
    return (repo.valueView(id, s.zIsUnit) == "true" ? "unit " : "package ") +
           zevaPath(repo, s, id);
  } else if (s.mm.isKindOf(cls, s.kNamed)) {
    const zrep::ClassInfo *c = s.mm.classInfo(cls);
    std::string kind = c->name.substr(c->name.find("::") + 2);
    kind[0] = static_cast<char>(std::tolower(kind[0]));
    return kind + " " + std::string(repo.valueView(id, s.kName));
  } else {
    return s.mm.classInfo(cls)->name;
  }
  ObjectId proc = 0;
  if (inside && s.mm.isKindOf(repo.classOf(inside), s.zProcedure))
    proc = inside;
  else if (inside)
    proc = partner(repo, inside, s.zOwningProcedure);
  if (proc)
    what += " in " + zevaPath(repo, s, proc);
  return what;
}

} // namespace notation
