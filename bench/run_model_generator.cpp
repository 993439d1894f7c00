//===- run_model_generator.cpp - Instance models for bench/run ------------===//
//
// run_model_generator MMSCRIPT N OUT.json
//
// Writes an instance model of the class model of bench/run/chain.zeva (read
// from its compiled metamodel script) with exactly N objects: one chain of
// nodes linked by `next`, each node followed by zero to two tags. Values
// and weights are 0..999 from a fixed pseudo-random sequence, so the same
// N always gives the same file.
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

/// splitmix64: well spread values from consecutive seeds.
std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: run_model_generator MMSCRIPT N OUT.json\n");
    return 2;
  }
  kel::ScriptResult script = kel::readMetamodelScriptFile(argv[1]);
  for (const std::string &p : script.problems)
    std::fprintf(stderr, "%s\n", p.c_str());
  if (!script.mm)
    return 1;
  long total = std::atol(argv[2]);
  if (total < 1) {
    std::fprintf(stderr, "run_model_generator: N must be positive\n");
    return 2;
  }
  const zrep::Metamodel &mm = *script.mm;
  zrep::TypeId node = mm.classId("graph::Node");
  zrep::TypeId tag = mm.classId("graph::Tag");
  zrep::TypeId value = mm.attrId(node, "value");
  zrep::TypeId mark = mm.attrId(node, "mark");
  zrep::TypeId weight = mm.attrId(tag, "weight");
  zrep::TypeId next = mm.endId(node, "next");
  zrep::TypeId tags = mm.endId(node, "tags");
  if (!node || !tag || !value || !mark || !weight || !next || !tags) {
    std::fprintf(stderr,
                 "run_model_generator: %s is not the metamodel of "
                 "bench/run/chain.zeva\n",
                 argv[1]);
    return 1;
  }

  zrep::Repository repo(script.mm);
  std::uint64_t seed = 0;
  zrep::ObjectId previous = 0;
  for (long made = 0; made < total;) {
    std::uint64_t r = mix(seed++);
    zrep::ObjectId n = repo.createObject(node);
    ++made;
    repo.setValue(n, value, std::to_string(r % 1000));
    repo.setValue(n, mark, "false");
    if (previous)
      repo.createLink(next, previous, n);
    previous = n;
    for (std::uint64_t k = (r >> 32) % 3; k > 0 && made < total; --k, ++made) {
      zrep::ObjectId t = repo.createObject(tag);
      repo.setValue(t, weight, std::to_string(mix(seed++) % 1000));
      repo.createLink(tags, n, t);
    }
  }
  std::string error;
  if (!zrep::saveRepositoryFile(repo, argv[3], error)) {
    std::fprintf(stderr, "%s: error: %s\n", argv[3], error.c_str());
    return 1;
  }
  return 0;
}
