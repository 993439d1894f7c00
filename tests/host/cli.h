// Running the zevac binary as a user would, in a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace clitest {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out; ///< what the command printed (as redirected in `args`)
};

/// Runs `command` through the shell in `cwd`. `streams` is the redirection
/// that decides what `out` holds: stdout and stderr together by default,
/// "2>&1 >/dev/null" for stderr alone.
inline Result run(const std::string &command, const fs::path &cwd,
                  const char *streams = "2>&1") {
  std::string cmd = "cd '" + cwd.string() + "' && " + command + " " + streams;
  Result r{-1, {}};
  FILE *p = ::popen(cmd.c_str(), "r");
  if (!p)
    return r;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
    r.out.append(buf, n);
  int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

/// Runs `zevac ARGS` in `cwd`.
inline Result zevac(const std::string &args, const fs::path &cwd,
                    const char *streams = "2>&1") {
  return run("'" ZEVAC_BINARY "' " + args, cwd, streams);
}

inline std::string slurp(const fs::path &p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

/// A test with a scratch folder of its own, removed afterwards.
class ScratchTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("zevac_host_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  void write(const std::string &name, const std::string &text) {
    std::ofstream(dir / name) << text;
  }
  /// `actual` against the checked-in file `expected`, shown as a unified
  /// diff when they differ.
  void expectFile(const fs::path &expected, const std::string &actual) {
    std::string want = slurp(expected);
    if (want == actual)
      return;
    write("actual", actual);
    std::string diff =
        run("diff -u '" + expected.string() + "' actual", dir).out;
    ADD_FAILURE() << expected << " differs from the output:\n" << diff;
  }
  fs::path dir;
};

} // namespace clitest
