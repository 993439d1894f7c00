// A connected in-memory repository, a fresh run generation and captured
// dialogs for runtime tests.
#pragma once

#include "connection.h"
#include "dialogs.h"
#include "kel_var.h"
#include "repository.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kel::test {

inline std::vector<std::string> &dialogs() {
  static std::vector<std::string> shown;
  return shown;
}

class RuntimeTest : public ::testing::Test {
protected:
  void SetUp() override {
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
