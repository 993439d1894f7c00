//===- project.cpp - The project's output folder --------------------------===//

#include "project.h"

#include "repository.h"

#include <filesystem>

namespace zevac {

namespace {

zrep::ObjectId firstOf(const zrep::Repository &repo, const char *cls) {
  for (const zrep::Object *o : repo.allObjects())
    if (o->cls == repo.metamodel().classId(cls))
      return o->id;
  return 0;
}

} // namespace

std::string projectFolder(const zrep::Repository &repo) {
  const zrep::Metamodel &mm = repo.metamodel();
  zrep::ObjectId project = firstOf(repo, "project::Project");
  zrep::ObjectId model = firstOf(repo, "ZEVA::Model");
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
