//===- extreme_bench.cpp - Whole runs on models of extreme shape ----------===//
//
// extreme_bench [SHAPE...]
//
// For each shape of extreme_models.h (all by default), writes the model at
// its two sizes and times `zevac compile --stats` on each, with the zevac
// beside this program. The run must end with the exit status the shape
// expects, and its compile time must grow about as the repository does
// (the objects after the run, which grow as the square of the units for
// "mains"): the last column is the growth of the compile time over the
// growth of the objects, near 1 for linear cost.
//
//===----------------------------------------------------------------------===//

#include "extreme_models.h"

#include "repo_file.h"
#include "repository.h"

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
  bool ok = false;
  double compileMs = 0;
  long objectsAfter = 0;
  std::string output;
};

Run compile(const fs::path &zevac, const fs::path &model, int expectedStatus) {
  std::string cmd = "cd '" + model.parent_path().string() + "' && '" +
                    zevac.string() + "' compile --stats --quiet '" +
                    model.filename().string() + "' 2>&1";
  Run r;
  FILE *p = ::popen(cmd.c_str(), "r");
  if (!p)
    return r;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
    r.output.append(buf, n);
  int status = ::pclose(p);
  static const std::regex stats(
      R"(compile ([\d.]+) ms, save [\d.]+ ms, objects \d+ before, (\d+) after)");
  std::smatch m;
  if (WIFEXITED(status) && WEXITSTATUS(status) == expectedStatus &&
      std::regex_search(r.output, m, stats)) {
    r.ok = true;
    r.compileMs = std::stod(m[1]);
    r.objectsAfter = std::stol(m[2]);
  }
  return r;
}

} // namespace

int main(int argc, char **argv) {
  fs::path self = fs::read_symlink("/proc/self/exe");
  fs::path zevac = self.parent_path() / "zevac";
  std::vector<const extreme::ShapeInfo *> chosen;
  for (int i = 1; i < argc; ++i) {
    const extreme::ShapeInfo *s = extreme::findShape(argv[i]);
    if (!s) {
      std::fprintf(stderr, "extreme_bench: unknown shape %s\n", argv[i]);
      return 2;
    }
    chosen.push_back(s);
  }
  if (chosen.empty())
    for (const extreme::ShapeInfo &s : extreme::shapes())
      chosen.push_back(&s);

  fs::path work = fs::temp_directory_path() /
                  ("zeva_extreme_" + std::to_string(::getpid()));
  fs::create_directories(work);
  std::printf("%-11s %10s %10s %12s %10s %12s %7s\n", "shape", "n small", "ms",
              "n large", "ms", "objects", "growth");
  bool allOk = true;
  for (const extreme::ShapeInfo *s : chosen) {
    double ms[2] = {0, 0};
    long objects[2] = {0, 0};
    bool ok = true;
    int sizes[2] = {s->small, s->large};
    for (int k = 0; k < 2 && ok; ++k) {
      fs::path model = work / (std::string(s->name) + ".json");
      {
        zrep::Repository repo;
        extreme::build(repo, s->shape, sizes[k]);
        std::string error;
        if (!zrep::saveRepositoryFile(repo, model.string(), error)) {
          std::fprintf(stderr, "extreme_bench: %s\n", error.c_str());
          return 2;
        }
      }
      Run r = compile(zevac, model, s->shape == extreme::Shape::Mains ? 1 : 0);
      if (!r.ok) {
        std::fprintf(stderr, "extreme_bench: %s at %d failed:\n%.2000s\n",
                     s->name, sizes[k], r.output.c_str());
        ok = allOk = false;
      }
      ms[k] = r.compileMs;
      objects[k] = r.objectsAfter;
    }
    if (!ok)
      continue;
    double growth = (ms[1] / ms[0]) / (double(objects[1]) / objects[0]);
    std::printf("%-11s %10d %10.1f %12d %10.1f %12ld %7.2f\n", s->name,
                sizes[0], ms[0], sizes[1], ms[1], objects[1], growth);
    std::fflush(stdout);
  }
  fs::remove_all(work);
  return allOk ? 0 : 1;
}
