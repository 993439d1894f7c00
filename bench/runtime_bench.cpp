//===- runtime_bench.cpp - Model variables over very long lists -----------===//
//
// Iteration and link tests must cost the same whether a list holds ten
// entries or a million, including when most of a cached list is dead.
//
//===----------------------------------------------------------------------===//

#include "connection.h"
#include "dialogs.h"
#include "kel_var.h"
#include "repository.h"

#include <benchmark/benchmark.h>

using namespace kel;

namespace {

constexpr int kMillion = 1'000'000;

/// A connected repository with a run generation of its own.
struct Run {
  zrep::Repository repo;
  Run() {
    zrep::connect(&repo);
    RepositoryUser::raiseGeneration();
  }
  ~Run() { zrep::connect(nullptr); }
};

/// First/Next over a class whose first 999,999 of 1,000,000 objects were
/// deleted during the run.
void BM_FirstNextOverDeletedPrefix(benchmark::State &state) {
  Run run;
  Kel_Var_2 v("ZEVA::Rule");
  for (int i = 0; i < kMillion; ++i)
    AddObj(v, "ZEVA::Rule");
  Kel_Var_2 d("ZEVA::Rule");
  bool found = First(d, "ZEVA::Rule");
  for (int i = 0; i < kMillion - 1; ++i) {
    DeleteObj(d);
    found = Next(d);
  }
  ObjectId last = CurId(d);
  for (auto _ : state) {
    Kel_Var_2 w("ZEVA::Rule");
    bool ok = First(w, "ZEVA::Rule") && CurId(w) == last && !Next(w);
    if (!ok || !found)
      state.SkipWithError("wrong object");
  }
}

/// LinkExists, FirstByLink and re-linking on an object with a million
/// partners.
void BM_LinksOfAMillionPartners(benchmark::State &state) {
  Run run;
  Kel_Var_2 pkg("ZEVA::Package"), member("ZEVA::ZEVAprocedure");
  AddObj(pkg, "ZEVA::Package");
  Kel_Var_2 all("ZEVA::PackageableElement");
  FirstByLink(all, pkg, "ownedMember"); // cache the partner list early
  for (int i = 0; i < kMillion; ++i) {
    AddObj(member, "ZEVA::ZEVAprocedure");
    AddLink(pkg, member, "ownedMember");
  }
  Kel_Var_2 firstMember("ZEVA::ZEVAprocedure");
  First(firstMember, "ZEVA::ZEVAprocedure");
  for (auto _ : state) {
    bool ok = LinkExists(pkg, member, "ownedMember") &&
              LinkExists(pkg, firstMember, "ownedMember");
    AddLink(pkg, firstMember, "ownedMember"); // moves to the end
    Kel_Var_2 it("ZEVA::PackageableElement");
    ok = ok && FirstByLink(it, pkg, "ownedMember");
    SetPointer(it, member);
    if (!ok || IsNull(it))
      state.SkipWithError("link missing");
  }
}

} // namespace

BENCHMARK(BM_FirstNextOverDeletedPrefix)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LinksOfAMillionPartners)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
