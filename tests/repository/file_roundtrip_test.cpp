#include "repo_file.h"
#include "repository.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace zrep;

namespace {

std::unique_ptr<Repository> load(const std::string &text) {
  LoadResult r = loadRepositoryText(text, "t.json");
  EXPECT_TRUE(r.problems.empty()) << (r.problems.empty() ? "" : r.problems[0]);
  return std::move(r.repo);
}

std::vector<ObjectId> partners(const Repository &repo, ObjectId id,
                               const char *role) {
  return repo.partners(id, repo.metamodel().endId(repo.classOf(id), role));
}

const char *kModel = R"({"format": "zeva-repository", "version": 1,
  "objects": [
    {"id": 7, "class": "ZEVA::Package",
     "attrs": {"name": "a \"quoted\"\nname\u00e9", "isUnit": true},
     "links": {"ownedMember": [9, 8]}},
    {"id": 8, "class": "ZEVA::ZEVAprocedure",
     "attrs": {"name": "p", "isMain": "true", "debugOn": ""}},
    {"id": 9, "class": "ZEVA::ZEVAprocedure",
     "links": {"ownedElement": [12]}},
    {"id": 3, "class": "ZEVA::Package", "links": {"ownedMember": [10]}},
    {"id": 10, "class": "ZEVA::ZEVAprocedure"},
    {"id": 12, "class": "ZEVA::ClassElement",
     "attrs": {"ElemType": "ElemType::Create", "CardConstraint": "NOT"},
     "links": {"owningProcedure": [9]}},
    {"id": 11, "class": "ZEVA::Parameter",
     "attrs": {"paramNumber": 2, "inOut": false},
     "links": {"procedure": [10]}},
    {"id": 13, "class": "ZEVA::Parameter", "attrs": {"refName": -2.5e-1},
     "links": {"procedure": [10]}},
    {"id": 14, "class": "Utility::CompilerMessages",
     "links": {"element": [10]}}
  ]})";

} // namespace

TEST(RepositoryFile, RoundTripKeepsIdsValuesAndOrders) {
  auto repo = load(kModel);
  ASSERT_TRUE(repo);
  const Metamodel &mm = repo->metamodel();
  EXPECT_EQ(repo->objectCount(), 9u);
  // Extent order of an exact class is file order, whatever the ids.
  TypeId pkg = mm.classId("ZEVA::Package");
  EXPECT_EQ(repo->extentAt(pkg, 0), 7);
  EXPECT_EQ(repo->extentAt(pkg, 1), 3);
  // Listed order is kept; the other end learns of links listed from one side
  // after its own list, in file order.
  EXPECT_EQ(partners(*repo, 7, "ownedMember"), (std::vector<ObjectId>{9, 8}));
  EXPECT_EQ(partners(*repo, 10, "compilerMessage"),
            (std::vector<ObjectId>{14}));
  // Parameter.procedure's inverse is Procedure.params.
  TypeId params = mm.endId(mm.classId("ZEVA::ZEVAprocedure"), "params");
  EXPECT_EQ(repo->partners(10, params), (std::vector<ObjectId>{11, 13}));
  // Listing a link from both ends is one link.
  EXPECT_EQ(partners(*repo, 9, "ownedElement"), (std::vector<ObjectId>{12}));
  // Values: JSON booleans and numbers as text, enumerations bare.
  TypeId elemType = mm.attrId(mm.classId("ZEVA::ClassElement"), "ElemType");
  EXPECT_EQ(repo->value(12, elemType), "Create");
  EXPECT_EQ(
      repo->value(11, mm.attrId(mm.classId("ZEVA::Parameter"), "paramNumber")),
      "2");
  EXPECT_EQ(repo->value(7, mm.attrId(pkg, "isUnit")), "true");
  EXPECT_EQ(
      repo->value(13, mm.attrId(mm.classId("ZEVA::Parameter"), "refName")),
      "-0.25");

  std::string saved = saveRepositoryText(*repo);
  auto again = load(saved);
  ASSERT_TRUE(again);
  EXPECT_EQ(saveRepositoryText(*again), saved);
  EXPECT_EQ(again->value(7, mm.attrId(pkg, "name")),
            "a \"quoted\"\nname\xc3\xa9");
  // The empty value is omitted; the link is written from both ends.
  EXPECT_EQ(saved.find("debugOn"), std::string::npos);
  EXPECT_NE(saved.find(R"("params":[11,13])"), std::string::npos);
  EXPECT_NE(saved.find(R"("procedure":[10])"), std::string::npos);

  // New objects come after loaded ones with ids above all of them.
  ObjectId fresh = again->createObject(pkg);
  EXPECT_EQ(fresh, 15);
  EXPECT_EQ(again->extentAt(pkg, 2), fresh);
}

TEST(RepositoryFile, SaveReplacesAtomically) {
  namespace fs = std::filesystem;
  fs::path dir =
      fs::temp_directory_path() / ("zeva_save_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  auto repo = load(kModel);
  ASSERT_TRUE(repo);
  std::string error;
  std::string target = (dir / "m.json").string();
  { std::ofstream(target) << "old"; }
  ASSERT_TRUE(saveRepositoryFile(*repo, target, error)) << error;
  LoadResult back = loadRepositoryFile(target);
  ASSERT_TRUE(back.repo);
  EXPECT_EQ(saveRepositoryText(*back.repo), saveRepositoryText(*repo));

  // Temporaries of killed saves of this target go; those of a live process
  // or of another target stay.
  pid_t dead = ::fork();
  if (dead == 0)
    ::_exit(0);
  ::waitpid(dead, nullptr, 0);
  std::string stale = target + ".tmp" + std::to_string(dead) + "-abcdef",
              live = target + ".tmp" + std::to_string(::getpid()) + "-abcdef",
              other = (dir / "n.json.tmp").string() + std::to_string(dead) +
                      "-abcdef";
  for (const std::string &f : {stale, live, other})
    std::ofstream(f) << "x";
  ASSERT_TRUE(saveRepositoryFile(*repo, target, error)) << error;
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(live) && fs::exists(other));
  fs::remove(live);
  fs::remove(other);

  // A target that cannot be replaced stays as it was, with no leftovers.
  fs::create_directories(dir / "busy" / "inner");
  EXPECT_FALSE(saveRepositoryFile(*repo, (dir / "busy").string(), error));
  EXPECT_NE(error.find("busy"), std::string::npos);
  EXPECT_FALSE(
      saveRepositoryFile(*repo, (dir / "no" / "m.json").string(), error));
  EXPECT_TRUE(fs::is_directory(dir / "busy" / "inner"));
  int files = 0;
  for (auto &e : fs::directory_iterator(dir)) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 2); // m.json and busy
  fs::remove_all(dir);
}
