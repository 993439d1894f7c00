// Killing zevac while it saves leaves the old or the complete new file, and
// no temporary once the next save has run.
#include "cli.h"
#include "repo_file.h"
#include "repository.h"

#include <csignal>
#include <thread>

namespace {

using namespace clitest;

class InterruptedSaveTest : public ScratchTest {};

/// Whether `dir` holds a file whose name starts with `prefix`.
bool hasFile(const fs::path &dir, const std::string &prefix) {
  for (const auto &e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind(prefix, 0) == 0)
      return true;
  return false;
}

} // namespace

TEST_F(InterruptedSaveTest, TargetIsOldOrNewAndTemporariesGo) {
  // A model that takes a while to save: 100,000 annotations.
  std::string model = R"({"format": "zeva-repository", "version": 1,
                          "objects": [)";
  for (int i = 1; i <= 100000; ++i)
    model += (i > 1 ? ",\n" : "") + std::string("{\"id\": ") +
             std::to_string(i) +
             R"(, "class": "ZEVA::Annotation", "attrs": {"text": "note"}})";
  write("big.json", model + "]}");
  const std::string old = R"({"format": "zeva-repository", "version": 1,
                             "objects": []})";
  // A temporary of a save still under way: this process's.
  std::string running = "t.json.tmp" + std::to_string(::getpid()) + "-abcdef";
  write(running, "x");
  for (int sig : {SIGTERM, SIGINT, SIGKILL}) {
    write("t.json", old);
    pid_t pid = ::fork();
    if (pid == 0) {
      // The default action, as in a shell's foreground job.
      std::signal(SIGINT, SIG_DFL);
      std::signal(SIGTERM, SIG_DFL);
      if (::chdir(dir.c_str()) == 0 && ::freopen("/dev/null", "w", stderr))
        ::execl(ZEVAC_BINARY, "zevac", "compile", "big.json", "-o", "t.json",
                static_cast<char *>(nullptr));
      ::_exit(127);
    }
    // Signalled once the save has begun.
    std::string tmp = "t.json.tmp" + std::to_string(pid) + "-";
    int status = 0;
    bool reaped = false;
    while (!(reaped = ::waitpid(pid, &status, WNOHANG) == pid)) {
      if (hasFile(dir, tmp)) {
        ::kill(pid, sig);
        break;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (!reaped)
      ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig)
        << sig << ": the save ended before the signal";
    EXPECT_TRUE(slurp(dir / "t.json") == old ||
                zrep::loadRepositoryFile((dir / "t.json").string()).repo)
        << sig;
    // A killed save's temporary goes with the next save of the target.
    if (sig == SIGKILL) {
      EXPECT_TRUE(hasFile(dir, tmp));
      EXPECT_EQ(zevac("compile t.json --quiet", dir).status, 0);
    }
    EXPECT_FALSE(hasFile(dir, tmp)) << sig;
  }
  EXPECT_TRUE(fs::exists(dir / running));
}
