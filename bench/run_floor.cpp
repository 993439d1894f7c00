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

#include "floor_main.h"
#include "metamodel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

using zrep::ObjectId;
using zrep::TypeId;
struct Chain {
  zrep::Repository &repo;
  TypeId node, tag, value, mark, weight, next, prev, tags, tagNode;

  std::int32_t integer(ObjectId obj, TypeId attr) const {
    return floor_bench::integer(repo, obj, attr);
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
    return floor_bench::firstPartner(repo, obj, end);
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
  return floor_bench::floorMain(
      argc, argv, "run_floor", "bench/run/chain.zeva",
      [](zrep::Repository &repo) -> std::function<void()> {
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
            !chain.prev || !chain.tags || !chain.tagNode)
          return {};
        return [chain]() mutable { chain.run(); };
      });
}
