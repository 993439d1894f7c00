//===- fuzz_support.cpp - Shared set-up of the libFuzzer targets ----------===//

#include "fuzz_support.h"

#include "connection.h"
#include "dialogs.h"
#include "large_stack.h"
#include "logger.h"
#include "repo_file.h"
#include "repository.h"
#include "transprg.h"
#include "units.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace zeva::fuzz {

namespace {

std::string gScratch;
int gHome = -1; ///< The folder the process started in.
bool gVerbose = false;

void printMessages(const zrep::Repository &repo) {
  const zrep::Metamodel &mm = repo.metamodel();
  zrep::TypeId cls = mm.classId("Utility::CompilerMessages");
  zrep::TypeId text = mm.attrId(cls, "text");
  repo.forEachObject([&](const zrep::Object &o) {
    if (o.cls == cls)
      std::fprintf(stderr, "message: %s\n", repo.value(o.id, text).c_str());
  });
  std::fprintf(stderr, "%zu objects after the run\n", repo.objectCount());
}

void removeScratch() {
  std::error_code ec;
  std::filesystem::remove_all(gScratch, ec);
}

} // namespace

void setUpProcess() {
  if (!gScratch.empty())
    return;
  std::string pattern =
      (std::filesystem::temp_directory_path() / "zeva_fuzz_XXXXXX").string();
  gHome = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (gHome < 0 || !::mkdtemp(pattern.data())) {
    std::perror("zeva fuzz: scratch folder");
    std::abort();
  }
  gScratch = pattern;
  std::atexit(removeScratch);
  // ZEVA_FUZZ_VERBOSE=1 shows the dialogs and messages of each run, to look
  // into a single input; otherwise dialogs are silent.
  gVerbose = std::getenv("ZEVA_FUZZ_VERBOSE") != nullptr;
  kel::DialogHooks quiet;
  if (!gVerbose)
    quiet.message = [](const char *) {};
  quiet.yesNo = [](const char *, const char *) { return 0; };
  quiet.input = [](const char *, const char *, const char **) { return 0; };
  kel::setDialogHooks(quiet);
  kel::initializeUnits();
}

const std::string &scratchFolder() { return gScratch; }

void runInScratch(void (*body)(void *), void *arg) {
  // Runs write their trace log and the program's files to the current
  // folder, and MMscript.txt below it when the model names no project.
  if (::chdir(gScratch.c_str()) != 0)
    std::abort();
  zsupport::runOnLargeStack(body, arg);
  if (::fchdir(gHome) != 0)
    std::abort();
}

void compile(zrep::Repository &repo) {
  zrep::connect(&repo);
  runInScratch([](void *) { Kel_LibMain(); }, nullptr);
  zrep::connect(nullptr);
  kel::logger::close();
  if (gVerbose)
    printMessages(repo);
  // zevac saves what the run made: it must load again.
  zrep::LoadResult saved =
      zrep::loadRepositoryText(zrep::saveRepositoryText(repo), "compiled");
  if (!saved.repo) {
    for (const std::string &problem : saved.problems)
      std::fprintf(stderr, "%s\n", problem.c_str());
    std::fprintf(stderr, "zeva fuzz: the compiled repository does not load\n");
    std::abort();
  }
}

std::string sourceFile(const char *relativePath) {
  std::string path = std::string(ZEVA_SOURCE_DIR) + "/" + relativePath;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (!in || !(text << in.rdbuf())) {
    std::fprintf(stderr, "zeva fuzz: cannot read %s\n", path.c_str());
    std::abort();
  }
  return text.str();
}

} // namespace zeva::fuzz

// libFuzzer writes a crashing input to the current folder unless told
// otherwise, and runs in progress are in the scratch folder: the folder the
// process started in becomes the default, and relative artifact paths are
// made absolute, before libFuzzer reads its flags.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  zeva::fuzz::setUpProcess();
  static std::vector<std::string> flags;
  static std::vector<char *> args;
  std::string home = std::filesystem::current_path().string() + "/";
  bool prefixed = false;
  for (int i = 0; i < *argc; ++i) {
    std::string arg = (*argv)[i];
    for (const char *flag : {"-artifact_prefix=", "-exact_artifact_path="}) {
      std::size_t n = std::strlen(flag);
      if (arg.compare(0, n, flag) == 0) {
        prefixed = prefixed || flag[1] == 'a';
        if (arg.size() > n && arg[n] != '/')
          arg.insert(n, home);
      }
    }
    flags.push_back(arg);
  }
  if (!prefixed)
    flags.push_back("-artifact_prefix=" + home);
  for (std::string &flag : flags)
    args.push_back(flag.data());
  args.push_back(nullptr);
  *argc = static_cast<int>(flags.size());
  *argv = args.data();
  return 0;
}
