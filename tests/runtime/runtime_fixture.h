// A connected in-memory repository, a fresh run generation and captured
// dialogs for runtime tests.
#pragma once

#include "connection.h"
#include "dialogs.h"
#include "kel_var.h"
#include "repository.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace kel::test {

namespace testenv = zeva::testenv;

using zeva::testenv::dialogs;

class RuntimeTest : public ::testing::Test {
protected:
  void SetUp() override {
    testenv::enterScratchFolder("zeva_runtime_");
    zrep::connect(&repo);
    RepositoryUser::raiseGeneration();
    testenv::captureDialogs();
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
