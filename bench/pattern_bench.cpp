//===- pattern_bench.cpp - Compiling one large rule -----------------------===//
//
// One rule whose pattern is a chain of N class elements from a reference
// element: every element is searched from the one before, nesting N deep.
// The compile time must grow linearly with N.
//
//===----------------------------------------------------------------------===//

#include "bench_support.h"

#include <benchmark/benchmark.h>

using namespace zrep;
using bench::Builder;

namespace {

void buildModel(Repository &repo, int elements) {
  Builder b{repo};
  ObjectId cls = bench::addClassModel(b).cls;
  ObjectId role = b.make("Kernel::Property");
  b.set(role, "name", "next");
  b.link(role, "type", cls);

  ObjectId unit = bench::addUnit(b);
  ObjectId p = b.make("ZEVA::ZEVAprocedure");
  b.set(p, "name", "p");
  b.link(unit, "ownedMember", p);
  auto member = [&](const char *cls) {
    ObjectId e = b.make(cls);
    b.link(p, "ownedElement", e);
    return e;
  };
  ObjectId start = member("ZEVA::Start"), rule = member("ZEVA::Rule"),
           end = member("ZEVA::End");
  for (auto [from, to] : {std::pair{start, rule}, std::pair{rule, end}}) {
    ObjectId flow = member("ZEVA::Flow");
    b.link(flow, "from", from);
    b.link(flow, "to", to);
  }
  ObjectId var = member("ZEVA::Variable");
  b.set(var, "refName", "v");
  b.link(var, "type", cls);
  ObjectId previous = member("ZEVA::ClassElement");
  b.set(previous, "ElemType", "Normal");
  b.link(previous, "referElem", var);
  b.link(rule, "ownedElem", previous);
  for (int i = 0; i < elements; ++i) {
    ObjectId def = member("ZEVA::ClassElementDef");
    b.set(def, "refName", "x" + std::to_string(i));
    b.link(def, "type", cls);
    ObjectId element = member("ZEVA::ClassElement");
    b.set(element, "ElemType", "Normal");
    b.link(element, "def", def);
    b.link(rule, "ownedElem", element);
    ObjectId link = member("ZEVA::AssocLink");
    b.set(link, "AssocLinkType", "Normal");
    b.link(link, "from", previous);
    b.link(link, "to", element);
    b.link(link, "sourceProp", role);
    b.link(link, "destProp", role);
    b.link(rule, "ownedLink", link);
    previous = element;
  }
}

void BM_CompileChainPattern(benchmark::State &state) {
  Repository repo;
  buildModel(repo, static_cast<int>(state.range(0)));
  bench::withCompiler(repo, [&] {
    for (auto _ : state)
      Kel_LibMain();
  });
  state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_CompileChainPattern)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime() // the runs go on a thread with a large stack
    ->Complexity(benchmark::oN);
BENCHMARK_MAIN();
