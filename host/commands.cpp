//===- commands.cpp - The subcommands of zevac ----------------------------===//

#include "commands.h"

#include "connection.h"
#include "explain.h"
#include "listing_file.h"
#include "messages.h"
#include "metamodel_print.h"
#include "module_runner.h"
#include "project.h"
#include "repo_file.h"
#include "repository.h"

#include <fmt/format.h>

#include <chrono>
#include <iostream>

namespace zevac {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start)
      .count();
}

/// Loads a repository file, printing its problems; null when there are any.
std::unique_ptr<zrep::Repository> load(const std::string &path) {
  zrep::LoadResult r = zrep::loadRepositoryFile(path);
  for (const std::string &p : r.problems)
    std::cerr << p << '\n';
  if (r.unreported)
    std::cerr << path << ": error: " << r.unreported
              << " more problems not shown\n";
  return std::move(r.repo);
}

} // namespace

int runCheck(const std::string &model) {
  auto repo = load(model);
  if (!repo)
    return kExitFailure;
  std::cout << model << ": valid, " << repo->objectCount() << " objects\n";
  return kExitOk;
}

int runMetamodel(const std::string &format) {
  if (format == "md")
    printMetamodelMarkdown(zrep::Metamodel::builtin(), std::cout);
  else
    printMetamodelJson(zrep::Metamodel::builtin(), std::cout);
  return kExitOk;
}

int runCompile(const CompileOptions &opts) {
  auto start = Clock::now();
  auto repo = load(opts.model);
  if (!repo)
    return kExitFailure;
  double loadMs = msSince(start);
  std::size_t before = repo->objectCount();
  // A run makes objects from its first step on (the crash guard): without
  // a free id it could neither compile nor say why.
  if (!repo->hasFreeId()) {
    std::cerr << opts.model
              << ": error: no object id is left for the compiler's objects: "
                 "the file uses the largest id, 2147483647\n";
    return kExitFailure;
  }

  // Whatever can be checked is checked before the compiler writes a file.
  const std::string &out = opts.output.empty() ? opts.model : opts.output;
  std::string error;
  ListingFile listing;
  if (!listing.check(opts.listing, opts.model, out, error)) {
    std::cerr << error << '\n';
    return kExitFailure;
  }
  ProjectFolder folder;
  if (!folder.create(*repo, error)) {
    std::cerr << opts.model << ": error: " << error << '\n';
    return kExitFailure;
  }

  start = Clock::now();
  zrep::connect(repo.get());
  bool ran = runCompilerModule(
      opts.module.empty() ? defaultModulePath() : opts.module, error);
  zrep::connect(nullptr);
  if (!ran) {
    std::cerr << "zevac: error: " << error << '\n';
    return kExitFailure;
  }
  double compileMs = msSince(start);

  start = Clock::now();
  bool saved = zrep::saveRepositoryFile(*repo, out, error);
  double saveMs = msSince(start);
  if (!saved)
    std::cerr << out << ": error: " << error << '\n';
  else
    folder.keep();
  bool listed = saved && listing.write(*repo, error);
  if (saved && !listed)
    std::cerr << error << '\n';

  // The run stopped where it found no id; what it had made is saved.
  if (repo->idsRanOut())
    std::cerr << opts.model
              << ": error: the compilation ran out of object ids (every id "
                 "up to 2147483647 is used) and stopped; its program is "
                 "incomplete\n";
  // The messages of the run are printed whether or not its files were.
  MessageCounts counts =
      printCompilerMessages(*repo, opts.model, opts.quiet, std::cerr);
  if (!opts.quiet && counts.errors + counts.warnings > 0)
    std::cerr << explainHint(counts.explainTopic) << '\n';
  if (opts.stats)
    std::cerr << fmt::format("zevac: stats: load {:.1f} ms, compile {:.1f} ms, "
                             "save {:.1f} ms, objects {} before, {} after\n",
                             loadMs, compileMs, saveMs, before,
                             repo->objectCount());
  if (!listed)
    return kExitFailure;
  return counts.errors || repo->idsRanOut() ? kExitCompileErrors : kExitOk;
}

} // namespace zevac
