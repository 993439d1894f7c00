//===- messages.cpp - Compiler messages as diagnostics --------------------===//

#include "messages.h"

#include "explain.h"
#include "file_text.h"
#include "repository.h"

#include <algorithm>
#include <ostream>
#include <vector>

namespace zevac {

namespace {

/// Ends leading from an element to the element that contains it, tried in
/// this order.
constexpr const char *kOwnerRoles[] = {
    "owningRule",      "owningContainer", "owningProcedure", "owningDecision",
    "owningPackage",   "class",           "enumeration",     "call",
    "annotatedElement"};

/// Characters of a stored message text that are printed: the longest
/// message text with a name of the usual echo length.
constexpr std::size_t kStoredTextLimit = 200;

std::string attr(const zrep::Repository &repo, zrep::ObjectId id,
                 const char *name) {
  const zrep::Metamodel &mm = repo.metamodel();
  return repo.value(id, mm.attrId(repo.classOf(id), name));
}

/// The element that contains `id`, or 0.
zrep::ObjectId ownerOf(const zrep::Repository &repo, zrep::ObjectId id) {
  const zrep::Metamodel &mm = repo.metamodel();
  zrep::TypeId cls = repo.classOf(id);
  for (const char *role : kOwnerRoles)
    if (zrep::TypeId end = mm.endId(cls, role)) {
      zrep::EndPartners partners = repo.partnersView(id, end);
      for (const zrep::ObjectId *p = partners.begin; p != partners.finish; ++p)
        if (*p)
          return *p;
    }
  return 0;
}

} // namespace

int owningProcedure(const zrep::Repository &repo, int objectId) {
  zrep::TypeId procedure = repo.metamodel().classId("ZEVA::ZEVAprocedure");
  // As in readablePath, Brent's method ends the walk on an owner cycle.
  zrep::ObjectId id = objectId, mark = 0;
  for (std::size_t steps = 0, power = 1; id && id != mark; ++steps) {
    if (steps == power) {
      mark = id;
      power *= 2;
      steps = 0;
    }
    if (repo.classOf(id) == procedure)
      return id;
    id = ownerOf(repo, id);
  }
  return 0;
}

std::string readablePath(const zrep::Repository &repo, int objectId) {
  const zrep::Metamodel &mm = repo.metamodel();
  std::vector<std::string> names;
  zrep::ObjectId id = objectId;
  // Owners may nest as deep as the model likes; a broken model whose owners
  // lead back to an element must not make the walk endless. Brent's method
  // finds such a cycle: the walk stops when it meets an element it marked,
  // marking the element at each power of two steps.
  zrep::ObjectId mark = 0;
  for (std::size_t steps = 0, power = 1; id && id != mark; ++steps) {
    if (steps == power) {
      mark = id;
      power *= 2;
      steps = 0;
    }
    zrep::TypeId cls = repo.classOf(id);
    const std::string &clsName = mm.classInfo(cls)->name;
    if (clsName == "ZEVA::Model" || clsName == "Kernel::Model")
      break;
    std::string name = attr(repo, id, "name");
    if (name.empty())
      name = attr(repo, id, "refName");
    if (!name.empty())
      names.push_back(zrep::printable(name));
    id = ownerOf(repo, id);
  }
  std::string path;
  for (auto it = names.rbegin(); it != names.rend(); ++it)
    path += (path.empty() ? "" : "_") + *it;
  return path;
}

void forEachCompilerMessage(
    const zrep::Repository &repo,
    const std::function<void(const StoredMessage &)> &visit) {
  const zrep::Metamodel &mm = repo.metamodel();
  zrep::TypeId cls = mm.classId("Utility::CompilerMessages");
  zrep::TypeId text = mm.attrId(cls, "text");
  zrep::TypeId type = mm.attrId(cls, "CompilerMessageType");
  zrep::TypeId element = mm.endId(cls, "element");
  for (const zrep::Object *o : repo.allObjects()) {
    if (o->cls != cls)
      continue;
    StoredMessage m;
    m.id = o->id;
    m.error = repo.valueView(o->id, type) == "Error";
    m.text = repo.valueView(o->id, text);
    zrep::EndPartners el = repo.partnersView(o->id, element);
    m.element = el.begin != el.finish ? *el.begin : 0;
    visit(m);
  }
}

void printDiagnostic(const zrep::Repository &repo, const std::string &file,
                     const char *severity, const std::string &text, int element,
                     const MessageLocator &locate, std::ostream &out) {
  std::string where, label;
  if (element && locate && locate(element, where, label)) {
    out << zrep::printable(where, where.size() + 1) << ": " << severity << ": "
        << text << " [" << zrep::printable(label) << "]\n";
    return;
  }
  out << file << ": " << severity << ": " << text;
  if (element) {
    out << " [" << repo.metamodel().classInfo(repo.classOf(element))->name
        << " #" << element;
    if (std::string path = readablePath(repo, element); !path.empty())
      out << ' ' << path;
    out << ']';
  }
  out << '\n';
}

MessageCounts printCompilerMessages(const zrep::Repository &repo,
                                    const std::string &file, bool quiet,
                                    std::ostream &out,
                                    const MessageLocator &locate) {
  MessageCounts counts;
  forEachCompilerMessage(repo, [&](const StoredMessage &m) {
    ++(m.error ? counts.errors : counts.warnings);
    if (quiet)
      return;
    if (counts.explainTopic.empty())
      counts.explainTopic = explainTopic(m.text);
    // Model texts are echoed printable: the stored text holds a name.
    printDiagnostic(repo, file, m.error ? "error" : "warning",
                    zrep::printable(m.text, kStoredTextLimit), m.element,
                    locate, out);
  });
  return counts;
}

} // namespace zevac
