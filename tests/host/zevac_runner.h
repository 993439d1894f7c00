// Runs the zevac binary as a user would, in a scratch folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zevac_test {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out; ///< what `streams` collects
};

/// Runs `zevac ARGS` in `cwd` through the shell. `streams` is the shell
/// redirection that decides what `out` holds: stdout and stderr together by
/// default, "2>&1 >/dev/null" for stderr alone.
inline Result zevac(const std::string &args, const fs::path &cwd,
                    const char *streams = "2>&1") {
  std::string cmd =
      "cd '" + cwd.string() + "' && '" ZEVAC_BINARY "' " + args + " " + streams;
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

/// A fresh folder per test, removed afterwards.
class ZevacTest : public ::testing::Test {
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
  fs::path dir;
};

} // namespace zevac_test
