//===- run_floor.cpp - bench/run/chain.zeva written by hand ---------------===//
//
// run_floor MMSCRIPT IN.json OUT.json
//
// Makes on an instance model the changes that `zevac run` makes with the
// compiled bench/run/chain.zeva, in the same order and through the same
// repository library, as plain loops over class extents and partner lists:
// the floor that the interpreter is measured against. Loads IN.json with
// the metamodel script, runs, saves OUT.json and prints the time of each
// phase as `zevac run --stats` does.
//
//===----------------------------------------------------------------------===//

#include "metamodel.h"
#include "metamodel_script.h"
#include "repo_file.h"
#include "repository.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using zrep::ObjectId;
using zrep::TypeId;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start)
      .count();
}

struct Chain {
  zrep::Repository &repo;
  TypeId node, tag, value, mark, weight, next, prev, tags, tagNode;

  std::int32_t integer(ObjectId obj, TypeId attr) const {
    std::string_view text = repo.valueView(obj, attr);
    std::int32_t n = 0;
    std::from_chars(text.data(), text.data() + text.size(), n);
    return n;
  }
  bool boolean(ObjectId obj, TypeId attr) const {
    std::string_view text = repo.valueView(obj, attr);
    return text == "true" || text == "1";
  }
  /// The objects of a class as they were when a loop over it began.
  std::vector<ObjectId> extent(TypeId cls) {
    std::vector<ObjectId> ids(static_cast<std::size_t>(repo.extentSize(cls)));
    for (std::size_t i = 0; i < ids.size(); ++i)
      ids[i] = repo.extentAt(cls, static_cast<std::int64_t>(i));
    return ids;
  }
  ObjectId firstPartner(ObjectId obj, TypeId end) {
    return repo.partnerCount(obj, end) > 0 ? repo.partnerAt(obj, end, 0) : 0;
  }

  // Out of line, so that profiles show the run apart from load and save.
  [[gnu::noinline]] void run() {
    // markPeaks: a node whose successor has a smaller value.
    std::int64_t nodes = repo.extentSize(node);
    for (std::int64_t i = 0; i < nodes; ++i) {
      ObjectId n = repo.extentAt(node, i);
      if (ObjectId m = firstPartner(n, next);
          m && integer(m, value) < integer(n, value))
        repo.setValue(n, mark, "true");
    }
    // tagPeaks: a tag for each marked node without one.
    for (std::int64_t i = 0; i < nodes; ++i) {
      ObjectId n = repo.extentAt(node, i);
      if (!boolean(n, mark) || repo.partnerCount(n, tags) != 0)
        continue;
      ObjectId fresh = repo.createObject(tag);
      repo.createLink(tags, n, fresh);
      repo.setValue(fresh, weight, std::to_string(integer(n, value)));
    }
    // pruneTags: the tags under 100 go, those under 200 lose their node.
    for (ObjectId t : extent(tag)) {
      if (integer(t, weight) >= 200)
        continue;
      ObjectId n = firstPartner(t, tagNode);
      if (!n)
        continue;
      if (integer(t, weight) < 100)
        repo.deleteObject(t);
      else
        repo.deleteLink(tagNode, t, n);
    }
    // findHead and walk: the first node without a predecessor, then along
    // the chain, each value plus the one before it (wrapping as Kel does).
    ObjectId cur = 0;
    for (std::int64_t i = 0; i < nodes && !cur; ++i)
      if (ObjectId h = repo.extentAt(node, i); repo.partnerCount(h, prev) == 0)
        cur = h;
    if (!cur)
      return;
    while (ObjectId nx = firstPartner(cur, next)) {
      auto sum = static_cast<std::int32_t>(
          static_cast<std::uint32_t>(integer(nx, value)) +
          static_cast<std::uint32_t>(integer(cur, value)));
      repo.setValue(nx, value, std::to_string(sum));
      cur = nx;
    }
  }
};

} // namespace

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: run_floor MMSCRIPT IN.json OUT.json\n");
    return 2;
  }
  auto start = Clock::now();
  kel::ScriptResult script = kel::readMetamodelScriptFile(argv[1]);
  for (const std::string &p : script.problems)
    std::fprintf(stderr, "%s\n", p.c_str());
  if (!script.mm)
    return 1;
  zrep::LoadResult in = zrep::loadRepositoryFile(argv[2], script.mm);
  for (const std::string &p : in.problems)
    std::fprintf(stderr, "%s\n", p.c_str());
  if (!in.repo)
    return 1;
  double loadMs = msSince(start);

  zrep::Repository &repo = *in.repo;
  const zrep::Metamodel &mm = repo.metamodel();
  TypeId node = mm.classId("graph::Node"), tag = mm.classId("graph::Tag");
  Chain chain{repo,
              node,
              tag,
              mm.attrId(node, "value"),
              mm.attrId(node, "mark"),
              mm.attrId(tag, "weight"),
              mm.endId(node, "next"),
              mm.endId(node, "prev"),
              mm.endId(node, "tags"),
              mm.endId(tag, "node")};
  if (!chain.value || !chain.mark || !chain.weight || !chain.next ||
      !chain.prev || !chain.tags || !chain.tagNode) {
    std::fprintf(stderr,
                 "run_floor: %s is not the metamodel of "
                 "bench/run/chain.zeva\n",
                 argv[1]);
    return 1;
  }
  std::size_t before = repo.objectCount();
  start = Clock::now();
  chain.run();
  double runMs = msSince(start);

  start = Clock::now();
  std::string error;
  if (!zrep::saveRepositoryFile(repo, argv[3], error)) {
    std::fprintf(stderr, "%s: error: %s\n", argv[3], error.c_str());
    return 1;
  }
  double saveMs = msSince(start);
  std::fprintf(stderr,
               "run_floor: stats: load %.1f ms, run %.1f ms, save %.1f ms, "
               "objects %zu before, %zu after\n",
               loadMs, runMs, saveMs, before, repo.objectCount());
  return 0;
}
