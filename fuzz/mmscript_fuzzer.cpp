//===- mmscript_fuzzer.cpp - Metamodel scripts read and used --------------===//
//
// The input is a metamodel script. It gives either a metamodel and no
// problems, or problems "NAME:LINE:COL: error: ..." in text order and no
// metamodel. A metamodel must hold a repository in which an object of
// every class is linked along each of its ends; composite ends lead to
// fresh objects, so that no object owns itself. That repository saves,
// loads again with the metamodel without problems and saves the same.
//
//===----------------------------------------------------------------------===//

#include "metamodel.h"
#include "metamodel_script.h"
#include "repo_file.h"
#include "repository.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void fail(const char *what, const std::string &detail) {
  std::fprintf(stderr, "mmscript_fuzzer: %s\n%s\n", what, detail.c_str());
  std::abort();
}

std::string joined(const std::vector<std::string> &lines) {
  std::string out;
  for (const std::string &l : lines)
    out += l + "\n";
  return out;
}

/// Line and column of a problem, or false when it has not that form.
bool place(const std::string &problem, std::size_t &line, std::size_t &col) {
  constexpr std::string_view kName = "s.txt:";
  if (!problem.starts_with(kName) ||
      std::sscanf(problem.c_str() + kName.size(), "%zu:%zu", &line, &col) != 2)
    return false;
  return problem.find(": error: ") != std::string::npos && line > 0 && col > 0;
}

void useMetamodel(const std::shared_ptr<const zrep::Metamodel> &mm) {
  using zrep::TypeId;
  for (const zrep::EndInfo &e : mm->ends())
    if (mm->endInfo(e.inverse)->inverse != e.id ||
        mm->endInfo(e.inverse)->owner != e.target)
      fail("ends do not pair", e.role);
  zrep::Repository repo(mm);
  std::vector<zrep::ObjectId> first;
  for (const zrep::ClassInfo &c : mm->classes())
    first.push_back(repo.createObject(c.id));
  std::size_t links = 0;
  for (const zrep::ClassInfo &c : mm->classes()) {
    zrep::ObjectId from = first[c.id - zrep::Metamodel::kFirstClassId];
    for (TypeId end : c.ends) {
      const zrep::EndInfo &e = *mm->endInfo(end);
      if (mm->endInfo(e.inverse)->composite || ++links > 10000)
        continue;
      zrep::ObjectId to =
          e.composite ? repo.createObject(e.target)
                      : first[e.target - zrep::Metamodel::kFirstClassId];
      if (!repo.createLink(end, from, to))
        fail("a link of a fitting partner was refused", e.role);
    }
    for (TypeId attr : c.attrs) {
      const zrep::AttrInfo &a = *mm->attrInfo(attr);
      std::string value = a.kind == zrep::AttrKind::Integer ? "-7"
                          : a.kind != zrep::AttrKind::Enum  ? a.name
                          : mm->enums()[a.enumIndex].literals.empty()
                              ? ""
                              : mm->enums()[a.enumIndex].literals.back();
      if (!repo.setValue(from, attr, value))
        fail("a fitting value was refused", a.name);
    }
  }
  std::string saved = zrep::saveRepositoryText(repo);
  zrep::LoadResult again = zrep::loadRepositoryText(saved, "i.json", mm);
  if (!again.repo)
    fail("a saved instance model does not load", joined(again.problems));
  if (zrep::saveRepositoryText(*again.repo) != saved)
    fail("an instance model saves differently after a load", saved);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  std::string_view text(reinterpret_cast<const char *>(data), size);
  kel::ScriptResult r = kel::readMetamodelScript(text, "s.txt");
  if (!r.mm == r.problems.empty())
    fail("a metamodel comes with problems, or none without",
         joined(r.problems));
  std::size_t lastLine = 0, lastCol = 0;
  for (const std::string &p : r.problems) {
    std::size_t line, col;
    if (!place(p, line, col))
      fail("a problem without its place", p);
    if (line < lastLine || (line == lastLine && col < lastCol))
      fail("problems out of text order", joined(r.problems));
    lastLine = line;
    lastCol = col;
    if (p.find('\n') != std::string::npos)
      fail("a problem of more than one line", p);
  }
  if (r.mm)
    useMetamodel(r.mm);
  return 0;
}
