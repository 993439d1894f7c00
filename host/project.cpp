//===- project.cpp - The project's output folder --------------------------===//

#include "project.h"

#include "repository.h"

#include <filesystem>
#include <utility>

namespace zevac {

namespace {

/// The first object of each of two exact classes, in one pass.
std::pair<zrep::ObjectId, zrep::ObjectId>
firstOfEach(const zrep::Repository &repo, const char *a, const char *b) {
  zrep::TypeId ca = repo.metamodel().classId(a),
               cb = repo.metamodel().classId(b);
  zrep::ObjectId first = 0, second = 0;
  for (const zrep::Object *o : repo.allObjects()) {
    if (!first && o->cls == ca)
      first = o->id;
    if (!second && o->cls == cb)
      second = o->id;
    if (first && second)
      break;
  }
  return {first, second};
}

} // namespace

std::string projectFolder(const zrep::Repository &repo) {
  const zrep::Metamodel &mm = repo.metamodel();
  auto [project, model] = firstOfEach(repo, "project::Project", "ZEVA::Model");
  if (!project || !model)
    return "";
  std::string path =
      repo.value(project, mm.attrId(repo.classOf(project), "path"));
  if (path.empty())
    return "";
  if (path.size() >= 11)
    path.resize(path.size() - 11);
  return path + ".zeva/" +
         repo.value(model, mm.attrId(repo.classOf(model), "name")) + "/kel/";
}

bool createProjectFolder(const zrep::Repository &repo, std::string &error) {
  std::string folder = projectFolder(repo);
  if (folder.empty())
    return true;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error =
        "cannot create the project folder '" + folder + "': " + ec.message();
    return false;
  }
  return true;
}

} // namespace zevac
