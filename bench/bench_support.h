//===- bench_support.h - Building models for compile benchmarks -*- C++ -*-===//
#pragma once

#include "connection.h"
#include "dialogs.h"
#include "repository.h"
#include "transprg.h"

#include <filesystem>
#include <functional>
#include <pthread.h>
#include <string>
#include <unistd.h>

namespace bench {

using zrep::ObjectId;

/// Makes objects and links of the repository directly.
struct Builder {
  zrep::Repository &repo;
  const zrep::Metamodel &mm = repo.metamodel();
  ObjectId make(const char *cls) { return repo.createObject(mm.classId(cls)); }
  void set(ObjectId id, const char *attr, const std::string &value) {
    repo.setValue(id, mm.attrId(repo.classOf(id), attr), value);
  }
  void link(ObjectId a, const char *role, ObjectId b) {
    repo.createLink(mm.endId(repo.classOf(a), role), a, b);
  }
};

/// A class model with one class "C" in package "Pk".
struct ClassModel {
  ObjectId model, cls;
};

inline ClassModel addClassModel(Builder &b) {
  ObjectId kmodel = b.make("Kernel::Model");
  ObjectId kpkg = b.make("Kernel::Package");
  b.set(kpkg, "name", "Pk");
  b.link(kmodel, "ownedMember", kpkg);
  ObjectId cls = b.make("Kernel::Class");
  b.set(cls, "name", "C");
  b.link(kpkg, "ownedMember", cls);
  return {kmodel, cls};
}

/// A ZEVA model with one selected unit "u"; returns the unit.
inline ObjectId addUnit(Builder &b) {
  ObjectId model = b.make("ZEVA::Model");
  ObjectId unit = b.make("ZEVA::Package");
  b.set(unit, "name", "u");
  b.set(unit, "isUnit", "true");
  b.set(unit, "compileThis", "true");
  b.link(model, "ownedMember", unit);
  return unit;
}

/// Runs `body` with `repo` connected, in a scratch folder (a run writes
/// MMscript.txt there), with dialogs silenced and a stack as large as zevac
/// gives a run.
inline void withCompiler(zrep::Repository &repo,
                         const std::function<void()> &body) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("zeva_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::path home = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  kel::DialogHooks quiet;
  quiet.message = [](const char *) {};
  kel::setDialogHooks(quiet);
  zrep::connect(&repo);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 512u << 20);
  pthread_t thread;
  auto entry = [](void *f) -> void * {
    (*static_cast<const std::function<void()> *>(f))();
    return nullptr;
  };
  if (pthread_create(&thread, &attr, entry,
                     const_cast<std::function<void()> *>(&body)) == 0)
    pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  zrep::connect(nullptr);
  std::filesystem::current_path(home);
  std::filesystem::remove_all(dir);
}

} // namespace bench
