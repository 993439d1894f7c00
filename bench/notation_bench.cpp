//===- notation_bench.cpp - Notation text against the repository file -----===//
//
// notation_bench [N...]   (default: 1000 10000)
//
// For each N, the model_generator beside this program writes the model of N
// procedures (seed 1); its text is exported once and written beside it.
// Then, side by side and alternating, with the median of a few runs each:
//   load    loadRepositoryFile of the JSON file
//   import  reading the text file and importNotation
//   save    saveRepositoryFile of the loaded repository
//   export  exportNotation of the same repository
// and the ratios import/load (target: at most 1.5) and export/save (target:
// at most 1). Last, the text of the largest model goes round: export,
// import, export again must give the same text. Exits non-zero when a step
// fails or the round trip differs, not when a target is missed.
//
//===----------------------------------------------------------------------===//

#include "export_notation.h"
#include "import.h"
#include "repo_file.h"
#include "repository.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kImportTarget = 1.5, kExportTarget = 1.0;

fs::path gWork; ///< the scratch folder, removed on failure too

[[noreturn]] void fail(const std::string &what) {
  std::fprintf(stderr, "notation_bench: %s\n", what.c_str());
  std::error_code ec;
  if (!gWork.empty())
    fs::remove_all(gWork, ec);
  std::exit(1);
}

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start)
      .count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::string readFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::string text(fs::file_size(path), '\0');
  if (!in || !in.read(text.data(), static_cast<std::streamsize>(text.size())))
    fail("cannot read " + path.string());
  return text;
}

/// Imports `text`; stops the program on errors.
std::unique_ptr<zrep::Repository> importText(const std::string &name,
                                             std::string text) {
  notation::SourceFile file(name, std::move(text));
  notation::Diagnostics diags(file);
  notation::ImportResult r = notation::importNotation(file, diags);
  if (!r.repo) {
    std::ostringstream os;
    diags.print(os, 10);
    fail("the exported text does not import:\n" + os.str());
  }
  return std::move(r.repo);
}

struct Row {
  int n = 0;
  std::size_t objects = 0, warnings = 0;
  double jsonMB = 0, textMB = 0;
  double load = 0, import = 0, save = 0, exportMs = 0;
};

Row measure(const fs::path &generator, const fs::path &work, int n) {
  Row row;
  row.n = n;
  fs::path json = work / ("model_" + std::to_string(n) + ".json");
  fs::path zeva = work / ("model_" + std::to_string(n) + ".zeva");
  fs::path saved = work / "saved.json";
  std::string cmd = "'" + generator.string() + "' " + std::to_string(n) +
                    " 1 '" + json.string() + "' > /dev/null";
  if (std::system(cmd.c_str()) != 0)
    fail("model_generator " + std::to_string(n) + " failed");
  zrep::LoadResult first = zrep::loadRepositoryFile(json.string());
  if (!first.repo)
    fail("the generated model does not load: " + first.problems.at(0));
  row.objects = first.repo->objectCount();
  {
    notation::ExportResult e = notation::exportNotation(*first.repo);
    row.warnings = e.warnings.size();
    std::string error;
    if (!zrep::writeFileAtomically(zeva.string(), e.text, error))
      fail(error);
  }
  row.jsonMB = static_cast<double>(fs::file_size(json)) / 1e6;
  row.textMB = static_cast<double>(fs::file_size(zeva)) / 1e6;

  // Alternating, so that a change in the machine's load weighs on both
  // sides of each ratio alike.
  int runs = n >= 10000 ? 3 : 7;
  std::vector<double> load, import, save, exported;
  for (int i = 0; i < runs; ++i) {
    auto t = Clock::now();
    zrep::LoadResult r = zrep::loadRepositoryFile(json.string());
    load.push_back(msSince(t));
    if (!r.repo)
      fail("the generated model does not load");
    r.repo.reset();

    t = Clock::now();
    auto imported = importText(zeva.string(), readFile(zeva));
    import.push_back(msSince(t));
    imported.reset();

    std::string error;
    t = Clock::now();
    if (!zrep::saveRepositoryFile(*first.repo, saved.string(), error))
      fail(error);
    save.push_back(msSince(t));

    t = Clock::now();
    notation::ExportResult e = notation::exportNotation(*first.repo);
    exported.push_back(msSince(t));
    if (e.text.empty())
      fail("the export is empty");
  }
  row.load = median(load);
  row.import = median(import);
  row.save = median(save);
  row.exportMs = median(exported);
  fs::remove(saved);
  return row;
}

/// Export, import and export again: the same text.
void roundTrip(const fs::path &work, int n) {
  fs::path json = work / ("model_" + std::to_string(n) + ".json");
  zrep::LoadResult r = zrep::loadRepositoryFile(json.string());
  if (!r.repo)
    fail("the generated model does not load");
  std::string text = notation::exportNotation(*r.repo).text;
  auto again = importText("round.zeva", text);
  std::string second = notation::exportNotation(*again).text;
  if (second != text) {
    auto at =
        std::mismatch(text.begin(), text.end(), second.begin(), second.end());
    std::size_t offset = static_cast<std::size_t>(at.first - text.begin());
    fail("round trip of " + std::to_string(n) +
         " procedures: the second export differs from byte " +
         std::to_string(offset) + " on:\n" + text.substr(offset, 200) +
         "\n---\n" + second.substr(offset, 200));
  }
  std::printf("round trip of %d procedures: export, import, export: the same "
              "text (%zu bytes, %zu objects imported)\n",
              n, text.size(), again->objectCount());
}

} // namespace

int main(int argc, char **argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i)
    sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty())
    sizes = {1000, 10000};
  if (std::any_of(sizes.begin(), sizes.end(), [](int n) { return n < 1; }))
    fail("usage: notation_bench [N...]");
  fs::path self = fs::read_symlink("/proc/self/exe");
  fs::path generator = self.parent_path() / "model_generator";
  fs::path work = gWork =
      fs::temp_directory_path() / ("zeva_notation_" + std::to_string(getpid()));
  fs::create_directories(work);

  std::printf("%6s %9s %8s %8s %8s %9s %7s %8s %9s %7s\n", "N", "objects",
              "JSON MB", "text MB", "load ms", "import ms", "ratio", "save ms",
              "export ms", "ratio");
  for (int n : sizes) {
    Row r = measure(generator, work, n);
    double importRatio = r.import / r.load, exportRatio = r.exportMs / r.save;
    std::printf("%6d %9zu %8.1f %8.1f %8.1f %9.1f %6.2fx %8.1f %9.1f %6.2fx\n",
                r.n, r.objects, r.jsonMB, r.textMB, r.load, r.import,
                importRatio, r.save, r.exportMs, exportRatio);
    std::printf(
        "       import/load %.2fx (target <= %.1fx: %s), export/save "
        "%.2fx (target <= %.1fx: %s)%s\n",
        importRatio, kImportTarget,
        importRatio <= kImportTarget ? "met" : "MISSED", exportRatio,
        kExportTarget, exportRatio <= kExportTarget ? "met" : "MISSED",
        r.warnings
            ? (", " + std::to_string(r.warnings) + " export warnings").c_str()
            : "");
    std::fflush(stdout);
  }
  roundTrip(work, *std::max_element(sizes.begin(), sizes.end()));
  fs::remove_all(work);
  return 0;
}
