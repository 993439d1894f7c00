// A connected in-memory repository, a fresh run generation and captured
// dialogs for runtime tests.
#pragma once

#include "connection.h"
#include "dialogs.h"
#include "kel_var.h"
#include "repository.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace kel::test {

inline std::vector<std::string> &dialogs() {
  static std::vector<std::string> shown;
  return shown;
}

class RuntimeTest : public ::testing::Test {
protected:
  void SetUp() override {
    // The trace log goes to the current directory: one per test process,
    // so that tests running in parallel do not share it.
    struct Scratch {
      std::filesystem::path dir =
          std::filesystem::temp_directory_path() /
          ("zeva_runtime_" + std::to_string(::getpid()));
      Scratch() {
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
      }
      ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
      }
    };
    static Scratch scratch;
    zrep::connect(&repo);
    RepositoryUser::raiseGeneration();
    DialogHooks hooks;
    hooks.message = [](const char *text) { dialogs().push_back(text); };
    setDialogHooks(hooks);
    dialogs().clear();
  }
  void TearDown() override {
    setDialogHooks({});
    zrep::connect(nullptr);
  }
  /// Creates an object outside any variable.
  ObjectId make(const char *cls) {
    return repo.createObject(repo.metamodel().classId(cls));
  }
  void link(ObjectId a, const char *role, ObjectId b) {
    ASSERT_TRUE(
        repo.createLink(repo.metamodel().endId(repo.classOf(a), role), a, b));
  }
  /// The objects a variable visits from its current position on.
  static std::vector<ObjectId> rest(Kel_Var_2 &v, bool found) {
    std::vector<ObjectId> out;
    for (; found; found = Next(v))
      out.push_back(CurId(v));
    return out;
  }

  zrep::Repository repo;
};

using Ids = std::vector<ObjectId>;

} // namespace kel::test
