//===- compile_bench.cpp - Whole compilations of large models -------------===//
//
// A unit of many procedures, each a start, a chain of end nodes and flows,
// with typed variables and parameters: the cost of a run must grow with
// the model, not with its square.
//
//===----------------------------------------------------------------------===//

#include "bench_support.h"

#include <benchmark/benchmark.h>

using namespace zrep;
using bench::Builder;

namespace {

void buildModel(Repository &repo, int procedures) {
  Builder b{repo};
  auto [kmodel, cls] = bench::addClassModel(b);
  ObjectId integer = b.make("Kernel::PrimitiveType");
  b.set(integer, "name", "Integer");
  b.link(kmodel, "ownedMember", integer);

  ObjectId unit = bench::addUnit(b);
  for (int i = 0; i < procedures; ++i) {
    ObjectId p = b.make("ZEVA::ZEVAprocedure");
    b.set(p, "name", "p" + std::to_string(i));
    if (i == 0)
      b.set(p, "isMain", "true");
    b.link(unit, "ownedMember", p);
    ObjectId param = b.make("ZEVA::Parameter");
    b.set(param, "refName", "x");
    b.set(param, "paramNumber", "1");
    b.link(param, "type", integer);
    b.link(p, "ownedElement", param);
    ObjectId var = b.make("ZEVA::Variable");
    b.set(var, "refName", "c");
    b.link(var, "type", cls);
    b.link(p, "ownedElement", var);
    ObjectId prev = b.make("ZEVA::Start");
    b.link(p, "ownedElement", prev);
    for (int k = 0; k < 3; ++k) {
      ObjectId end = b.make("ZEVA::End");
      b.link(p, "ownedElement", end);
      ObjectId flow = b.make("ZEVA::Flow");
      b.link(p, "ownedElement", flow);
      b.link(flow, "from", prev);
      b.link(flow, "to", end);
      prev = end;
    }
  }
}

void BM_CompileProcedures(benchmark::State &state) {
  Repository repo;
  buildModel(repo, static_cast<int>(state.range(0)));
  bench::withCompiler(repo, [&] {
    for (auto _ : state)
      Kel_LibMain(); // every run clears the previous run's program first
  });
  state.counters["objects"] = static_cast<double>(repo.objectCount());
  state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_CompileProcedures)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime() // the runs go on a thread with a large stack
    ->Complexity();
BENCHMARK_MAIN();
