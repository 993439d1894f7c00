//===- commands.cpp - The subcommands of zevac ----------------------------===//

#include "commands.h"

#include "connection.h"
#include "explain.h"
#include "file_text.h"
#include "lint.h"
#include "listing_file.h"
#include "load_warnings.h"
#include "messages.h"
#include "metamodel_print.h"
#include "model_file.h"
#include "module_runner.h"
#include "project.h"
#include "repo_file.h"
#include "repository.h"
#include "standard_output.h"

#include <fmt/format.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace zevac {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start)
      .count();
}

/// Prints what the run did with the files beside the repository: each one
/// written and still there (unless `quiet`), each one that failed. Returns
/// whether all were written.
bool reportSideFiles(const std::vector<SideFile> &files, bool quiet) {
  bool all = true;
  for (const SideFile &f : files) {
    std::string path = zrep::printable(f.path, f.path.size() + 1);
    std::error_code ec;
    if (!f.error.empty()) {
      std::cerr << "zevac: error: could not write " << path << ": "
                << zrep::printable(f.error, f.error.size() + 1) << '\n';
      all = false;
    } else if (!quiet && std::filesystem::exists(f.path, ec)) {
      std::cerr << "zevac: wrote " << path << '\n';
    }
  }
  return all;
}

/// Prints the coded warnings of the model (unless `quiet`), each located as
/// the compiler messages are, then a note pointing to `zevac explain`.
/// Returns how many there are.
std::size_t printLintWarnings(const ModelFile &file, const std::string &model,
                              bool quiet) {
  const zrep::Repository &repo = *file.repo;
  std::vector<zlint::Warning> warnings = zlint::lint(repo);
  if (quiet || warnings.empty())
    return warnings.size();
  MessageLocator locate = sourceLocator(file, model);
  for (const zlint::Warning &w : warnings)
    // The checks echo names printable already; the whole line stays one
    // line whatever a check says.
    printDiagnostic(repo, model, "warning",
                    "L" + std::to_string(w.code) + " - " +
                        zrep::printable(w.text, w.text.size() + 1),
                    w.element, locate, std::cerr);
  std::cerr << "zevac: note: run 'zevac explain L" << warnings.front().code
            << "' to learn more about warning L" << warnings.front().code
            << '\n';
  return warnings.size();
}

} // namespace

int finishStandardOutput(int status) {
  if (int err = flushStandardOutput()) {
    std::cerr << "zevac: error: cannot write to standard output: "
              << std::strerror(err) << '\n';
    return kExitFailure;
  }
  return status;
}

int runCheck(const CheckOptions &opts) {
  const std::string &model = opts.model;
  ModelFile file = readModel(model);
  auto &repo = file.repo;
  if (!repo)
    return kExitFailure;
  bool lint = opts.lint || opts.werror;
  std::size_t warnings = lint ? printLintWarnings(file, model, false) : 0;
  // The lint's L14 and L15 are the load warnings, coded.
  if (!lint)
    printLoadWarnings(*repo, model, std::cerr);
  std::cout << model << ": valid, " << repo->objectCount() << " objects\n";
  return finishStandardOutput(opts.werror && warnings ? kExitCompileErrors
                                                      : kExitOk);
}

int runMetamodel(const std::string &format) {
  if (format == "md")
    printMetamodelMarkdown(zrep::Metamodel::builtin(), std::cout);
  else
    printMetamodelJson(zrep::Metamodel::builtin(), std::cout);
  return finishStandardOutput(kExitOk);
}

int runCompile(const CompileOptions &opts) {
  // A listing piped into a reader that stops early must not end the run
  // before its messages are printed.
  std::signal(SIGPIPE, SIG_IGN);
  if (!opts.output.empty() && !checkNotOverwritten(opts.model, opts.output))
    return kExitFailure;
  auto start = Clock::now();
  ModelFile file = readModel(opts.model);
  auto &repo = file.repo;
  if (!repo)
    return kExitFailure;
  double loadMs = msSince(start);
  std::size_t before = repo->objectCount();
  // Linting reads the model as loaded, before the compiler changes it.
  bool lint = opts.lint || opts.werror;
  std::size_t warnings =
      lint ? printLintWarnings(file, opts.model, opts.quiet) : 0;
  // The lint's L14 and L15 are the load warnings, coded.
  if (!opts.quiet && !lint)
    printLoadWarnings(*repo, opts.model, std::cerr);
  // A run makes objects from its first step on (the crash guard): without
  // a free id it could neither compile nor say why.
  if (!repo->hasFreeId()) {
    std::cerr << opts.model
              << ": error: no object id is left for the compiler's objects: "
                 "the file uses the largest id, 2147483647\n";
    return kExitFailure;
  }

  // Whatever can be checked is checked before the compiler writes a file.
  // Compiled in place, a symbolic link stays one: the file it leads to is
  // replaced.
  // A notation file is never written: the repository goes beside it.
  std::string out = opts.output;
  if (out.empty() && isNotationFile(opts.model))
    out = withEnding(opts.model, ".json");
  if (out.empty()) {
    std::error_code ec;
    out = opts.model;
    if (std::filesystem::is_symlink(out, ec))
      if (auto target = std::filesystem::canonical(out, ec); !ec)
        out = target.string();
  }
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
  std::vector<SideFile> sideFiles;
  bool ran =
      runCompilerModule(opts.module.empty() ? defaultModulePath() : opts.module,
                        sideFiles, error);
  zrep::connect(nullptr);
  if (!ran) {
    std::cerr << "zevac: error: " << error << '\n';
    return kExitFailure;
  }
  double compileMs = msSince(start);

  start = Clock::now();
  bool saved = zrep::saveRepositoryFile(*repo, out, error);
  double saveMs = msSince(start);
  if (!saved) {
    std::cerr << out << ": error: " << error << '\n';
    folder.discard();
  } else {
    folder.keep();
  }
  bool listed = saved && listing.write(*repo, error);
  if (saved && !listed)
    std::cerr << error << '\n';
  bool sideFilesWritten = reportSideFiles(sideFiles, opts.quiet);

  // The run stopped where it found no id; what it had made is saved.
  if (repo->idsRanOut())
    std::cerr << opts.model
              << ": error: the compilation ran out of object ids (every id "
                 "up to 2147483647 is used) and stopped; its program is "
                 "incomplete\n";
  // The messages of the run are printed whether or not its files were.
  MessageLocator locate = sourceLocator(file, opts.model);
  MessageCounts counts =
      printCompilerMessages(*repo, opts.model, opts.quiet, std::cerr, locate);
  if (!opts.quiet && counts.errors + counts.warnings > 0)
    std::cerr << explainHint(counts.explainTopic) << '\n';
  if (opts.stats)
    std::cerr << fmt::format("zevac: stats: load {:.1f} ms, compile {:.1f} ms, "
                             "save {:.1f} ms, objects {} before, {} after\n",
                             loadMs, compileMs, saveMs, before,
                             repo->objectCount());
  if (!listed)
    return kExitFailure;
  return counts.errors || repo->idsRanOut() || !sideFilesWritten ||
                 (opts.werror && warnings)
             ? kExitCompileErrors
             : kExitOk;
}

} // namespace zevac
