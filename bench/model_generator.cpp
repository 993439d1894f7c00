//===- model_generator.cpp - A large, realistic repository file -----------===//
//
// model_generator N SEED OUT.json
// model_generator --shape SHAPE N OUT.json
//
// Writes a repository file with a class model of a few hundred classes and
// a ZEVA model of four units holding N procedures in all (the first one the
// main procedure), about fifty objects each: rules with navigated, NOT,
// create and delete elements, loops, calls and text statements. The same N
// and SEED give the same file. The file is written as it is made, one
// procedure at a time.
//
// With --shape, writes instead one of the models of extreme shape of
// extreme_models.h, of size N.
//
//===----------------------------------------------------------------------===//

#include "model_generator.h"
#include "extreme_models.h"
#include "model_generator_procedures.h"

#include "repo_file.h"
#include "repository.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

using namespace gen;

namespace {

const char *const kUnits[] = {"orders", "billing", "audit", "sync"};
constexpr int kUnitCount = 4;
const std::vector<std::string> kVerbs = {
    "approve", "check",  "update", "close",   "archive", "sync",
    "notify",  "assign", "review", "collect", "merge",   "refresh"};

bool parseNumber(const char *text, unsigned long long &value) {
  char *end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && end != text && *end == '\0';
}

/// Signatures first: a call may go to a procedure written later.
Procedures plan(const ClassModel &m, int count, Rng &rng, Id &nextId,
                const std::vector<Id> &units, const std::vector<Id> &helpers) {
  Procedures p;
  p.byAnchor.resize(m.classes.size());
  p.report = nextId++;
  for (int i = 0; i < count; ++i) {
    Signature s;
    s.id = nextId++;
    int unit = static_cast<int>(static_cast<long long>(i) * kUnitCount / count);
    s.package = i % 3 == 2 ? helpers[unit] : units[unit];
    if (i == 0) {
      s.name = "main";
      s.isMain = true;
    } else {
      s.anchor = rng.pick(m.anchors);
      s.name = rng.pick(kVerbs) + m.classes[s.anchor].noun + std::to_string(i);
      s.label = rng.chance(50);
      s.limit = rng.chance(40);
      s.total = rng.chance(15);
      s.debug = rng.chance(5);
      p.byAnchor[s.anchor].push_back(i);
    }
    p.signatures.push_back(std::move(s));
  }
  // The main procedure finds an object for the first procedure it calls.
  p.signatures[0].anchor =
      count > 1 ? p.signatures[1].anchor : m.anchors.front();
  return p;
}

int writeShape(const char *name, const char *size, const char *path) {
  const extreme::ShapeInfo *shape = extreme::findShape(name);
  unsigned long long n = 0;
  if (!shape || !parseNumber(size, n) || n < 1 || n > 100000000) {
    std::fprintf(stderr, "usage: model_generator --shape SHAPE N OUT.json\n"
                         "shapes:");
    for (const extreme::ShapeInfo &s : extreme::shapes())
      std::fprintf(stderr, " %s", s.name);
    std::fprintf(stderr, "\n");
    return 2;
  }
  zrep::Repository repo;
  extreme::build(repo, shape->shape, static_cast<int>(n));
  std::string error;
  if (!zrep::saveRepositoryFile(repo, path, error)) {
    std::fprintf(stderr, "model_generator: %s\n", error.c_str());
    return 2;
  }
  std::printf("model_generator: %s %llu, %zu objects\n", name, n,
              repo.objectCount());
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 5 && std::strcmp(argv[1], "--shape") == 0)
    return writeShape(argv[2], argv[3], argv[4]);
  unsigned long long n = 0, seed = 0;
  if (argc != 4 || !parseNumber(argv[1], n) || !parseNumber(argv[2], seed) ||
      n < 1 || n > 10000000) {
    std::fprintf(stderr, "usage: model_generator N SEED OUT.json\n");
    return 2;
  }
  std::FILE *out = std::fopen(argv[3], "wb");
  if (!out) {
    std::fprintf(stderr, "model_generator: cannot write %s: %s\n", argv[3],
                 std::strerror(errno));
    return 2;
  }
  Rng rng(seed);
  Writer writer(out);
  Id nextId = 10;
  writer.write(Obj{1, "project::Project", {}, {}}
                   .attr("name", "Bench")
                   .attr("path", "bench/Project.zvp"));
  ClassModel model = makeClassModel(rng, nextId);
  writeClassModel(model, writer);

  Id zevaModel = nextId++;
  std::vector<Id> units, helpers;
  for (int u = 0; u < kUnitCount; ++u)
    units.push_back(nextId++);
  for (int u = 0; u < kUnitCount; ++u)
    helpers.push_back(nextId++);
  int count = static_cast<int>(n);
  Procedures procs = plan(model, count, rng, nextId, units, helpers);
  Id reportParam = nextId++;

  writer.write(Obj{zevaModel, "ZEVA::Model", {{"name", "Workflows"}}, {}}.link(
      "ownedMember", units));
  for (int u = 0; u < kUnitCount; ++u) {
    Obj unit{units[u], "ZEVA::Package", {}, {}};
    unit.attr("name", kUnits[u])
        .attr("isUnit", "true")
        .attr("compileThis", "true");
    unit.link("ownedMember", {helpers[u]});
    if (u == 0)
      unit.links_of("ownedMember").push_back(procs.report);
    writer.write(unit);
    writer.write(Obj{helpers[u], "ZEVA::Package", {{"name", "helpers"}}, {}});
  }
  writer.write(Obj{procs.report, "ZEVA::ExternalProcedure", {}, {}}
                   .attr("name", "report")
                   .link("params", {reportParam}));
  writer.write(Obj{reportParam, "ZEVA::Parameter", {}, {}}
                   .attr("refName", "message")
                   .attr("paramNumber", "1")
                   .attr("inOut", "false")
                   .link("type", {model.string}));
  for (int i = 0; i < count; ++i)
    writeProcedure(model, procs, i, rng, nextId, writer);
  bool ok = writer.finish();
  ok = std::fclose(out) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "model_generator: writing %s failed\n", argv[3]);
    return 2;
  }
  std::printf("model_generator: %d procedures, %zu objects\n", count,
              writer.count());
  return 0;
}
