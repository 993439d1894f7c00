//===- repo_file_bench.cpp - Load and save of large repository files ------===//
//
// A repository of about a million objects shaped like a big transformation:
// packages of procedures, each with flow ends joined by flows, owned
// elements and a few attribute values per object. With ZEVA_REPO_FILE set,
// also loads and saves that file (say, a compiled generated model).
//
//===----------------------------------------------------------------------===//

#include "repo_file.h"
#include "repository.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace zrep;

namespace {

std::unique_ptr<Repository> makeBig(int procedures) {
  auto repo = std::make_unique<Repository>();
  const Metamodel &mm = repo->metamodel();
  auto cls = [&](const char *n) { return mm.classId(n); };
  auto end = [&](const char *c, const char *r) { return mm.endId(cls(c), r); };
  auto attr = [&](const char *c, const char *a) {
    return mm.attrId(cls(c), a);
  };
  TypeId ownedMember = end("ZEVA::Package", "ownedMember");
  TypeId ownedElement = end("ZEVA::ZEVAprocedure", "ownedElement");
  TypeId from = end("ZEVA::Flow", "from"), to = end("ZEVA::Flow", "to");
  TypeId name = attr("ZEVA::PackageableElement", "name");
  TypeId isElse = attr("ZEVA::Flow", "isElse");
  ObjectId model = repo->createObject(cls("ZEVA::Model"));
  ObjectId pkg = 0;
  for (int p = 0; p < procedures; ++p) {
    if (p % 100 == 0) {
      pkg = repo->createObject(cls("ZEVA::Package"));
      repo->setValue(pkg, name, "package" + std::to_string(p / 100));
      repo->createLink(ownedMember, model, pkg);
    }
    ObjectId proc = repo->createObject(cls("ZEVA::ZEVAprocedure"));
    repo->setValue(proc, name, "procedure_" + std::to_string(p));
    repo->createLink(ownedMember, pkg, proc);
    // Start, 3 rules, End, joined by 4 flows: 10 objects per procedure.
    ObjectId prev = repo->createObject(cls("ZEVA::Start"));
    repo->createLink(ownedElement, proc, prev);
    for (int i = 0; i < 4; ++i) {
      ObjectId next =
          repo->createObject(cls(i < 3 ? "ZEVA::Rule" : "ZEVA::End"));
      ObjectId flow = repo->createObject(cls("ZEVA::Flow"));
      repo->setValue(flow, isElse, i % 2 ? "true" : "false");
      repo->createLink(ownedElement, proc, next);
      repo->createLink(ownedElement, proc, flow);
      repo->createLink(from, flow, prev);
      repo->createLink(to, flow, next);
      prev = next;
    }
  }
  return repo;
}

std::string tempPath() {
  return (std::filesystem::temp_directory_path() /
          ("zeva_bench_" + std::to_string(::getpid()) + ".json"))
      .string();
}

constexpr int kProcedures = 100'000; // about 1,000,000 objects

void BM_SaveMillionObjects(benchmark::State &state) {
  auto repo = makeBig(kProcedures);
  std::string path = tempPath(), error;
  for (auto _ : state)
    if (!saveRepositoryFile(*repo, path, error))
      state.SkipWithError(error.c_str());
  state.counters["objects"] = static_cast<double>(repo->objectCount());
  state.counters["MB"] =
      static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  std::remove(path.c_str());
}

void BM_LoadFile(benchmark::State &state, const std::string &path) {
  std::size_t objects = 0;
  for (auto _ : state) {
    LoadResult r = loadRepositoryFile(path);
    if (!r.repo)
      state.SkipWithError(r.problems.at(0).c_str());
    else
      objects = r.repo->objectCount();
  }
  state.counters["objects"] = static_cast<double>(objects);
}

void BM_LoadMillionObjects(benchmark::State &state) {
  std::string path = tempPath(), error;
  {
    auto repo = makeBig(kProcedures);
    saveRepositoryFile(*repo, path, error);
  }
  BM_LoadFile(state, path);
  std::remove(path.c_str());
}

void BM_SaveFile(benchmark::State &state, const std::string &path) {
  LoadResult r = loadRepositoryFile(path);
  if (!r.repo) {
    state.SkipWithError(r.problems.at(0).c_str());
    return;
  }
  std::string out = tempPath(), error;
  for (auto _ : state)
    if (!saveRepositoryFile(*r.repo, out, error))
      state.SkipWithError(error.c_str());
  state.counters["objects"] = static_cast<double>(r.repo->objectCount());
  std::remove(out.c_str());
}

} // namespace

BENCHMARK(BM_SaveMillionObjects)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadMillionObjects)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv) {
  if (const char *file = std::getenv("ZEVA_REPO_FILE")) {
    std::string path = file;
    benchmark::RegisterBenchmark("BM_LoadFile", BM_LoadFile, path)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_SaveFile", BM_SaveFile, path)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
