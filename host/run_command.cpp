//===- run_command.cpp - zevac run: a compiled program on a model ---------===//
//
// Loads the compiled repository, reads its program, finds the metamodel
// script the program names, loads the instance model against it, checks
// the program, runs the main procedure and saves the changed model. Input
// and check problems exit 2 with nothing written; a run-time fault exits 1
// and leaves the model file as it was.
//
//===----------------------------------------------------------------------===//

#include "commands.h"

#include "check.h"
#include "connection.h"
#include "file_text.h"
#include "host_dialogs.h"
#include "large_stack.h"
#include "machine.h"
#include "messages.h"
#include "metamodel.h"
#include "model_file.h"
#include "module_runner.h"
#include "project.h"
#include "qta_rep.h"
#include "repo_file.h"
#include "repository.h"
#include "repository_user.h"
#include "run_trace.h"
#include "script_file.h"
#include "standard_output.h"
#include "units.h"

#include <fmt/format.h>

#include <chrono>
#include <csignal>
#include <dlfcn.h>
#include <filesystem>
#include <iostream>
#include <malloc.h>

namespace zevac {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start)
      .count();
}

/// Names source elements in messages and the trace: by their place in the
/// notation text the program was compiled from, else by class, id and path.
class ElementNames {
public:
  ElementNames(const zrep::Repository &repo, const ModelFile &file,
               const std::string &path)
      : repo_(repo), file_(file), path_(path) {}

  /// "rule findShop in store::restockAll", or "Rule #18 in
  /// store_restockAll".
  std::string label(int id) const {
    if (!id || !repo_.exists(id))
      return "(no source element)";
    if (std::uint32_t offset; file_.source && file_.map.find(id, offset))
      return notation::describeObject(repo_, file_.map, id);
    std::string cls = repo_.metamodel().classInfo(repo_.classOf(id))->name;
    if (cls.rfind("ZEVA::", 0) == 0)
      cls.erase(0, 6);
    std::string text = cls + " #" + std::to_string(id);
    if (std::string path = readablePath(repo_, id); !path.empty())
      text += " in " + path;
    return text;
  }

  /// " [rule x in p at FILE:LINE:COL]", " [ZEVA::Rule #42 path]" or "".
  std::string bracket(int id) const {
    if (!id || !repo_.exists(id))
      return {};
    if (std::uint32_t offset; file_.source && file_.map.find(id, offset)) {
      auto [line, col] = file_.source->lineCol(offset);
      return " [" + label(id) + " at " + path_ + ":" + std::to_string(line) +
             ":" + std::to_string(col) + "]";
    }
    std::string text = " [" +
                       repo_.metamodel().classInfo(repo_.classOf(id))->name +
                       " #" + std::to_string(id);
    if (std::string path = readablePath(repo_, id); !path.empty())
      text += " " + path;
    return text + "]";
  }

  /// "in procedure P, at `STATEMENT` [element]" for a command.
  std::string place(const std::string &procedure, const std::string &statement,
                    int origin) const {
    std::string where;
    if (!procedure.empty())
      where += "in procedure " + procedure;
    if (!statement.empty())
      where += (where.empty() ? "at `" : ", at `") +
               zrep::printableWhole(statement) + "`";
    return where + bracket(origin);
  }

private:
  const zrep::Repository &repo_;
  const ModelFile &file_;
  std::string path_;
};

int countErrors(const zrep::Repository &repo) {
  const zrep::Metamodel &mm = repo.metamodel();
  zrep::TypeId cls = mm.classId("Utility::CompilerMessages");
  zrep::TypeId type = mm.attrId(cls, "CompilerMessageType");
  int errors = 0;
  repo.forEachObject([&](const zrep::Object &o) {
    if (o.cls == cls && repo.valueView(o.id, type) == "Error")
      ++errors;
  });
  return errors;
}

/// The metamodel script of the unit that runs: as given, else the file its
/// "useMM" names in the unit's folder, from the current directory and then
/// from the compiled file's folder.
std::string findScript(const RunOptions &o, const kel::Unit &unit,
                       std::string &error) {
  if (!o.metamodel.empty())
    return o.metamodel;
  std::string file;
  for (const kel::Directive &d : unit.directives)
    if (d.kind == "useMM")
      file = d.file;
  if (file.empty()) {
    error = "the unit " + unit.name +
            " names no metamodel script (useMM); give one with --metamodel";
    return {};
  }
  namespace fs = std::filesystem;
  fs::path folder = fs::path(unit.name).parent_path();
  fs::path fromCwd = folder / file;
  fs::path fromModel = fs::path(o.compiled).parent_path() / folder / file;
  std::error_code ec;
  for (const fs::path &p : {fromCwd, fromModel})
    if (fs::is_regular_file(p, ec))
      return p.string();
  error = "the metamodel script " + zrep::printableWhole(fromCwd.string()) +
          " (useMM \"" + zrep::printableWhole(file) + "\" of " +
          zrep::printableWhole(unit.name) + ") is not there, nor " +
          zrep::printableWhole(fromModel.string()) +
          "; give it with --metamodel";
  return {};
}

/// The libraries of --natives, open while the run needs them.
struct Libraries {
  std::vector<void *> handles;
  ~Libraries() {
    for (void *h : handles)
      ::dlclose(h);
  }
  KelNativeFunction find(const std::string &name) const {
    std::string symbol = "Kel_Func_" + name;
    for (void *h : handles)
      if (void *f = ::dlsym(h, symbol.c_str()))
        return reinterpret_cast<KelNativeFunction>(f);
    return nullptr;
  }
};

struct RunJob {
  const kel::CheckedProgram *program;
  kel::RunStats *stats;
  kel::TraceSink *trace;
  std::optional<kel::RunFault> fault;
  bool transaction = true;
};

/// One run, as the compiler module's runs are framed: a new run generation
/// and one repository transaction around the program.
void runJob(void *arg) {
  auto &job = *static_cast<RunJob *>(arg);
  kel::initializeUnits();
  kel::RepositoryUser::raiseGeneration();
  if (!_StartSaveTransaction1(0, 0, "")) {
    job.transaction = false;
    return;
  }
  try {
    kel::Machine(*job.program, *job.stats, job.trace).run();
  } catch (kel::RunFault &f) {
    job.fault = std::move(f);
  }
  _CommitSaveTransaction();
}

/// Compiles a model read from a notation file, as `zevac compile` would,
/// without saving it: the program is run from memory. False (after the
/// messages) when the compiler could not run or reported errors.
bool compileInMemory(ModelFile &file, const std::string &path, bool quiet) {
  std::string error;
  ProjectFolder folder;
  if (!folder.create(*file.repo, error)) {
    std::cerr << path << ": error: " << error << '\n';
    return false;
  }
  zrep::connect(file.repo.get());
  std::vector<SideFile> sideFiles;
  bool ran = runCompilerModule(defaultModulePath(), sideFiles, error);
  zrep::connect(nullptr);
  if (!ran) {
    std::cerr << "zevac: error: " << error << '\n';
    return false;
  }
  folder.keep();
  for (const SideFile &f : sideFiles)
    if (!f.error.empty())
      std::cerr << "zevac: error: could not write "
                << zrep::printableWhole(f.path) << ": "
                << zrep::printableWhole(f.error) << '\n';
  MessageLocator locate = sourceLocator(file, path);
  MessageCounts counts =
      printCompilerMessages(*file.repo, path, quiet, std::cerr, locate);
  if (counts.errors)
    std::cerr << path << ": note: the program was not run\n";
  return counts.errors == 0 && !file.repo->idsRanOut();
}

} // namespace

int runRun(const RunOptions &o) {
  std::signal(SIGPIPE, SIG_IGN);
  // Compiling and running happen on threads of their own, one at a time. In
  // the main arena the heap grows with padding; a thread's own arena would
  // grow it a few pages at a time, a system call each.
  mallopt(M_ARENA_MAX, 1);
  std::string out = o.output.empty() ? o.model : o.output;
  auto start = Clock::now();
  ModelFile compiledFile = readModel(o.compiled);
  if (!compiledFile.repo)
    return kExitFailure;
  // A notation file is compiled here; its elements keep their names.
  if (compiledFile.source &&
      !compileInMemory(compiledFile, o.compiled, o.quiet))
    return kExitCompileErrors;
  const zrep::Repository &compiled = *compiledFile.repo;
  ElementNames names(compiled, compiledFile, o.compiled);
  auto fail = [&](const std::string &file, const std::string &what) {
    std::cerr << file << ": error: " << what << '\n';
    return kExitFailure;
  };
  if (int errors = countErrors(compiled))
    return fail(o.compiled,
                fmt::format("the program was compiled with {} error{}; fix "
                            "them and compile again (zevac compile)",
                            errors, errors == 1 ? "" : "s"));
  std::vector<std::string> readProblems;
  kel::Program program = kel::readProgram(compiled, readProblems);
  for (const std::string &p : readProblems)
    std::cerr << o.compiled << ": error: " << zrep::printableWhole(p) << '\n';
  if (!readProblems.empty())
    return kExitFailure;
  std::string why;
  const kel::Unit *unit = kel::mainUnit(program, o.unit, why);
  if (!unit)
    return fail(o.compiled, why);
  std::string script = findScript(o, *unit, why);
  if (script.empty())
    return fail(o.compiled, why);
  std::shared_ptr<const zrep::Metamodel> mm = readScriptFile(script);
  if (!mm)
    return kExitFailure;

  // A notation file is read too, and never overwritten (see model_file.h).
  InstanceModel instance = readInstanceModel(o.model, o.output, mm, out);
  if (!instance.repo)
    return kExitFailure;
  double loadMs = msSince(start);
  std::size_t before = instance.repo->objectCount();

  start = Clock::now();
  Libraries libs;
  for (const std::string &lib : o.natives) {
    void *h = ::dlopen(lib.find('/') == std::string::npos ? ("./" + lib).c_str()
                                                          : lib.c_str(),
                       RTLD_NOW | RTLD_LOCAL);
    if (!h)
      return fail(lib, std::string("cannot load the library: ") + ::dlerror());
    libs.handles.push_back(h);
  }
  // Checking makes the procedures' fresh pointer variables, which look
  // their classes up in the connected repository.
  zrep::connect(instance.repo.get());
  kel::CheckOptions copts;
  copts.unit = o.unit;
  copts.trace = o.trace;
  copts.findExternal = [&](const std::string &name) { return libs.find(name); };
  std::vector<kel::CheckProblem> problems;
  kel::CheckedProgram checked =
      kel::checkProgram(program, *mm, copts, problems);
  for (const kel::CheckProblem &p : problems) {
    std::string where =
        names.place(p.procedure, p.statement, static_cast<int>(p.origin));
    std::cerr << o.compiled
              << ": error: " << (where.empty() ? "" : where + ": ")
              << zrep::printableWhole(p.message) << '\n';
  }
  if (!problems.empty()) {
    zrep::connect(nullptr);
    return kExitFailure;
  }
  double checkMs = msSince(start);

  start = Clock::now();
  std::vector<SideFile> files;
  kel::setDialogHooks(hostDialogs(files));
  kel::RunStats stats;
  std::unique_ptr<RunTrace> trace;
  if (o.trace)
    trace = std::make_unique<RunTrace>([&](int id) { return names.label(id); },
                                       std::cout);
  RunJob job{&checked, &stats, trace.get(), std::nullopt, true};
  zsupport::runOnLargeStack(runJob, &job);
  zrep::connect(nullptr);
  std::string dialog = lastDialog();
  forgetDialogs();
  double runMs = msSince(start);
  flushStandardOutput();
  for (const SideFile &f : files)
    if (!f.error.empty())
      std::cerr << "zevac: error: could not write "
                << zrep::printableWhole(f.path) << ": "
                << zrep::printableWhole(f.error) << '\n';
  if (!job.transaction)
    return fail(o.model, "the repository transaction did not start");
  if (job.fault) {
    const kel::RunFault &f = *job.fault;
    std::string message = f.message;
    if (message.empty())
      message = dialog.empty() ? "the run was stopped (STOP)"
                               : "the run was aborted: " +
                                     dialog.substr(0, dialog.find('\n'));
    std::string where = names.place(f.procedure, f.command.text,
                                    static_cast<int>(f.command.origin));
    std::cerr << o.model << ": error: run-time fault"
              << (where.empty() ? "" : " " + where) << ": "
              << zrep::printableWhole(message) << "\n"
              << o.model << ": note: nothing was saved\n";
    return kExitCompileErrors;
  }

  start = Clock::now();
  std::string error;
  if (!zrep::saveRepositoryFile(*instance.repo, out, error))
    return fail(out, error);
  double saveMs = msSince(start);
  for (const SideFile &f : files)
    if (f.error.empty() && !o.quiet)
      std::cerr << "zevac: wrote " << zrep::printableWhole(f.path) << '\n';
  if (o.stats)
    std::cerr << fmt::format(
        "zevac: stats: load {:.1f} ms, check {:.1f} ms, run {:.1f} ms, save "
        "{:.1f} ms, objects {} before, {} after; {} calls, {} matches, {} "
        "created, {} deleted, {} links made, {} links removed\n",
        loadMs, checkMs, runMs, saveMs, before, instance.repo->objectCount(),
        stats.calls, stats.matches, stats.created, stats.deleted, stats.linked,
        stats.unlinked);
  return finishStandardOutput(kExitOk);
}

} // namespace zevac
