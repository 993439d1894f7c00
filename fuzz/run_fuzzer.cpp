//===- run_fuzzer.cpp - Compiled programs changed, checked and run --------===//
//
// The library example is compiled once. Each input picks one command of its
// program and replaces one of its texts (statement, label, variable, search
// kind) with the rest of the input. The changed program is checked against
// the example's class model: it either gives problems, each with a message,
// or runs on the example's instance model, to its end or to a run-time
// fault, within a bounded number of instructions. Either way the instance
// repository must still save and load again.
//
//===----------------------------------------------------------------------===//

#include "fuzz_support.h"

#include "check.h"
#include "connection.h"
#include "machine.h"
#include "metamodel_script.h"
#include "qta_rep.h"
#include "repo_file.h"
#include "repository.h"
#include "repository_user.h"
#include "units.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

void fail(const char *what, const std::string &detail) {
  std::fprintf(stderr, "run_fuzzer: %s\n%s\n", what, detail.c_str());
  std::abort();
}

struct Example {
  kel::Program program;
  std::shared_ptr<const zrep::Metamodel> mm;
  std::string instance;
};

const Example &example() {
  static const Example ex = [] {
    Example e;
    zrep::LoadResult model = zrep::loadRepositoryText(
        zeva::fuzz::sourceFile("examples/library/model.json"), "model.json");
    if (!model.repo)
      fail("the example does not load", "");
    // The compiler writes its metamodel script into the project's folder.
    std::string folder =
        zeva::fuzz::scratchFolder() + "/library/.zeva/Library/kel";
    std::filesystem::create_directories(folder);
    zeva::fuzz::compile(*model.repo);
    std::vector<std::string> problems;
    e.program = kel::readProgram(*model.repo, problems);
    kel::ScriptResult script =
        kel::readMetamodelScriptFile(folder + "/MMscript.txt");
    if (!problems.empty() || !script.mm)
      fail("the example's program or script does not read", "");
    e.mm = script.mm;
    e.instance = zeva::fuzz::sourceFile("examples/library/instance.json");
    return e;
  }();
  return ex;
}

void collect(std::vector<kel::Command> &block,
             std::vector<kel::Command *> &out) {
  for (kel::Command &c : block) {
    out.push_back(&c);
    for (auto &b : c.blocks)
      collect(b, out);
  }
}

void externalNative(KelNativeCall *) {}

struct Job {
  const kel::CheckedProgram *program;
};

void runJob(void *arg) {
  auto *job = static_cast<Job *>(arg);
  kel::initializeUnits();
  kel::RepositoryUser::raiseGeneration();
  _StartSaveTransaction1(0, 0, "");
  kel::RunStats stats;
  kel::Machine machine(*job->program, stats);
  machine.setStepLimit(200000);
  try {
    machine.run();
  } catch (kel::RunFault &f) {
    if (f.procedure.empty() && f.message.empty())
      fail("a fault that names nothing", "");
  }
  _CommitSaveTransaction();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const Example &ex = example();
  zeva::fuzz::ByteReader in(data, size);
  kel::Program program = ex.program;
  std::vector<kel::Command *> commands;
  for (kel::Unit &u : program.units)
    for (kel::Procedure &p : u.procedures)
      collect(p.body, commands);
  kel::Command &c = *commands[in.below(commands.size())];
  std::size_t field = in.byte() % 4;
  std::string text;
  while (!in.empty())
    text += static_cast<char>(in.byte());
  (field == 0   ? c.text
   : field == 1 ? c.target
   : field == 2 ? c.name
                : c.type) = text;

  zrep::LoadResult instance =
      zrep::loadRepositoryText(ex.instance, "instance.json", ex.mm);
  if (!instance.repo)
    fail("the instance model does not load", "");
  zrep::connect(instance.repo.get());
  kel::CheckOptions options;
  options.findExternal = [](const std::string &) { return externalNative; };
  std::vector<kel::CheckProblem> problems;
  kel::CheckedProgram checked =
      kel::checkProgram(program, *ex.mm, options, problems);
  for (const kel::CheckProblem &p : problems)
    if (p.message.empty())
      fail("a problem without a message", text);
  if (problems.empty()) {
    Job job{&checked};
    zeva::fuzz::runInScratch(runJob, &job);
  }
  zrep::connect(nullptr);
  std::string saved = zrep::saveRepositoryText(*instance.repo);
  zrep::LoadResult again = zrep::loadRepositoryText(saved, "saved", ex.mm);
  if (!again.repo)
    fail("the run left a repository that does not load", saved);
  return 0;
}
