//===- mutex_floor.cpp - bench/mutex/mutex.zeva written by hand -----------===//
//
// mutex_floor MMSCRIPT IN.json OUT.json
//
// Applies to an instance model the rules of the mutex benchmark's short
// transformation sequence in the order and with the matches that `zevac run`
// gives the compiled bench/mutex/mutex.zeva, through the same repository
// library, as plain loops over extents and partner lists: the floor that
// the interpreter is measured against. Each rule searches as the compiled
// one does (the first candidate in extent or link order that fits) and
// makes its changes in the same order, so that both leave the same file.
//
//===----------------------------------------------------------------------===//

#include "floor_main.h"
#include "metamodel.h"

#include <cstdint>
#include <string>

namespace {

using zrep::ObjectId;
using zrep::TypeId;
struct Mutex {
  zrep::Repository &repo;
  TypeId ring, process, resource, size, next, request, token, heldBy, release;

  std::int32_t integer(ObjectId obj, TypeId attr) const {
    return floor_bench::integer(repo, obj, attr);
  }
  ObjectId firstPartner(ObjectId obj, TypeId end) {
    return floor_bench::firstPartner(repo, obj, end);
  }
  /// The first object of `cls` for which `fits` finds a partner, and that
  /// partner; {0, 0} when none.
  template <class Fits>
  std::pair<ObjectId, ObjectId> find(TypeId cls, Fits fits) {
    for (std::int64_t i = 0, n = repo.extentSize(cls); i < n; ++i) {
      ObjectId obj = repo.extentAt(cls, i);
      if (ObjectId partner = fits(obj))
        return {obj, partner};
    }
    return {0, 0};
  }

  /// The first partner of `obj` along `end` that `fits`; 0 when none.
  template <class Fits>
  ObjectId partnerWhere(ObjectId obj, TypeId end, Fits fits) {
    for (std::int64_t i = 0, n = repo.partnerCount(obj, end); i < n; ++i)
      if (ObjectId p = repo.partnerAt(obj, end, i); fits(p))
        return p;
    return 0;
  }

  void newRule() {
    auto [p1, p2] =
        find(process, [&](ObjectId p) { return firstPartner(p, next); });
    if (!p1)
      return;
    ObjectId p = repo.createObject(process);
    repo.createLink(next, p1, p);
    repo.createLink(next, p, p2);
    repo.deleteLink(next, p1, p2);
  }
  void mountRule() {
    if (repo.extentSize(process) == 0)
      return;
    ObjectId p = repo.extentAt(process, 0);
    ObjectId r = repo.createObject(resource);
    repo.createLink(token, r, p);
  }
  void requestRule(ObjectId p) {
    if (repo.partnerCount(p, request) != 0)
      return;
    auto [r, holder] = find(resource, [&](ObjectId r) {
      return repo.connected(heldBy, r, p) ? 0 : p;
    });
    if (r)
      repo.createLink(request, p, r);
  }
  void takeRule() {
    auto [r, p] = find(resource, [&](ObjectId r) {
      return partnerWhere(
          r, token, [&](ObjectId p) { return repo.connected(request, p, r); });
    });
    if (!r)
      return;
    repo.createLink(heldBy, r, p);
    repo.deleteLink(request, p, r);
    repo.deleteLink(token, r, p);
  }
  void releaseRule() {
    auto [r, p] = find(resource, [&](ObjectId r) {
      return partnerWhere(r, heldBy, [&](ObjectId p) {
        return repo.partnerCount(p, request) == 0;
      });
    });
    if (!r)
      return;
    repo.createLink(release, r, p);
    repo.deleteLink(heldBy, r, p);
  }
  void giveRule() {
    ObjectId p2 = 0;
    auto [r, p1] = find(resource, [&](ObjectId r) {
      return partnerWhere(r, release, [&](ObjectId p) {
        return (p2 = firstPartner(p, next)) != 0;
      });
    });
    if (!r)
      return;
    repo.createLink(token, r, p2);
    repo.deleteLink(release, r, p1);
  }

  // Out of line, so that profiles show the run apart from load and save.
  [[gnu::noinline]] void run() {
    if (repo.extentSize(ring) == 0)
      return;
    ObjectId theRing = repo.extentAt(ring, 0);
    for (std::int32_t count = 2; integer(theRing, size) > count; ++count)
      newRule();
    mountRule();
    for (std::int64_t i = 0; i < repo.extentSize(process); ++i)
      requestRule(repo.extentAt(process, i));
    for (std::int32_t count = 0; integer(theRing, size) > count; ++count) {
      takeRule();
      releaseRule();
      giveRule();
    }
  }
};

} // namespace

int main(int argc, char **argv) {
  return floor_bench::floorMain(
      argc, argv, "mutex_floor", "bench/mutex/mutex.zeva",
      [](zrep::Repository &repo) -> std::function<void()> {
        const zrep::Metamodel &mm = repo.metamodel();
        TypeId ring = mm.classId("mutex::Ring"),
               process = mm.classId("mutex::Process"),
               resource = mm.classId("mutex::Resource");
        Mutex mutex{repo,
                    ring,
                    process,
                    resource,
                    mm.attrId(ring, "size"),
                    mm.endId(process, "next"),
                    mm.endId(process, "request"),
                    mm.endId(resource, "token"),
                    mm.endId(resource, "held_by"),
                    mm.endId(resource, "release")};
        if (!mutex.size || !mutex.next || !mutex.request || !mutex.token ||
            !mutex.heldBy || !mutex.release)
          return {};
        return [mutex]() mutable { mutex.run(); };
      });
}
