//===- project.cpp - The project's output folder --------------------------===//

#include "project.h"

#include "file_text.h"
#include "repository.h"
#include "utf8.h"

#include <filesystem>
#include <utility>

namespace zevac {

namespace {

namespace fs = std::filesystem;

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

std::string projectFolder(const zrep::Repository &repo,
                          std::string *modelName) {
  const zrep::Metamodel &mm = repo.metamodel();
  auto [project, model] = firstOfEach(repo, "project::Project", "ZEVA::Model");
  if (!project || !model)
    return "";
  std::string name = repo.value(model, mm.attrId(repo.classOf(model), "name"));
  if (modelName)
    *modelName = name;
  std::string path =
      repo.value(project, mm.attrId(repo.classOf(project), "path"));
  // As the compiler's project path: the last 11 characters go, counted
  // as whole UTF-8 characters.
  if (std::size_t chars = zrep::utf8::count(path); chars >= 11)
    path.resize(zrep::utf8::offset(path, chars - 11));
  return path + ".zeva/" + name + "/kel/";
}

bool isFolderName(const std::string &name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

bool ProjectFolder::create(const zrep::Repository &repo, std::string &error) {
  std::string name;
  folder_ = projectFolder(repo, &name);
  if (folder_.empty())
    return true;
  if (!isFolderName(name)) {
    error = "the model name \"" + zrep::printable(name) +
            "\" is not a folder name (an empty name, \"/\", \".\" and \"..\" "
            "would not give the compiler's files a folder of their own below "
            "the project folder)";
    folder_.clear();
    return false;
  }
  std::error_code ec;
  for (fs::path p = fs::path(folder_).parent_path();
       !p.empty() && !fs::exists(p, ec); p = p.parent_path())
    made_.push_back(p.string());
  fs::create_directories(folder_, ec);
  if (ec) {
    error = "cannot create the project folder '" + zrep::printable(folder_) +
            "': " + ec.message();
    discard();
    return false;
  }
  return true;
}

void ProjectFolder::discard() {
  std::error_code ec;
  if (!made_.empty())
    fs::remove(fs::path(folder_) / "MMscript.txt", ec);
  for (const std::string &dir : made_)
    if (!fs::remove(dir, ec))
      break;
  made_.clear();
}

} // namespace zevac
