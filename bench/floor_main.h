//===- floor_main.h - The frame of the hand-written floors ------*- C++ -*-===//
//
// NAME MMSCRIPT IN.json OUT.json: loads an instance model with the metamodel
// of a metamodel script, runs the hand-written changes, saves the model and
// prints the time of each phase as `zevac run --stats` does.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "metamodel_script.h"
#include "repo_file.h"
#include "repository.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace floor_bench {

/// An Integer attribute's value (0 when it has none).
inline std::int32_t integer(const zrep::Repository &repo, zrep::ObjectId obj,
                            zrep::TypeId attr) {
  std::string_view text = repo.valueView(obj, attr);
  std::int32_t n = 0;
  std::from_chars(text.data(), text.data() + text.size(), n);
  return n;
}

/// The first partner of `obj` at `end`, or 0.
inline zrep::ObjectId firstPartner(zrep::Repository &repo, zrep::ObjectId obj,
                                   zrep::TypeId end) {
  return repo.partnerCount(obj, end) > 0 ? repo.partnerAt(obj, end, 0) : 0;
}

/// `prepare` looks up what the changes need in the loaded repository and
/// returns the run, or an empty function when the metamodel is not the one
/// expected (`source` names the transformation it should be of).
inline int floorMain(
    int argc, char **argv, const char *name, const char *source,
    const std::function<std::function<void()>(zrep::Repository &)> &prepare) {
  using Clock = std::chrono::steady_clock;
  auto msSince = [](Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start)
        .count();
  };
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s MMSCRIPT IN.json OUT.json\n", name);
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
  std::function<void()> run = prepare(repo);
  if (!run) {
    std::fprintf(stderr, "%s: %s is not the metamodel of %s\n", name, argv[1],
                 source);
    return 1;
  }
  std::size_t before = repo.objectCount();
  start = Clock::now();
  run();
  double runMs = msSince(start);

  start = Clock::now();
  std::string error;
  if (!zrep::saveRepositoryFile(repo, argv[3], error)) {
    std::fprintf(stderr, "%s: error: %s\n", argv[3], error.c_str());
    return 1;
  }
  double saveMs = msSince(start);
  std::fprintf(stderr,
               "%s: stats: load %.1f ms, run %.1f ms, save %.1f ms, "
               "objects %zu before, %zu after\n",
               name, loadMs, runMs, saveMs, before, repo.objectCount());
  return 0;
}

} // namespace floor_bench
