#include "repo_file.h"
#include "repository.h"

#include <gtest/gtest.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace zrep;

namespace {

std::string problems(const std::string &text) {
  LoadResult r = loadRepositoryText(text, "m.json");
  std::string all;
  for (const auto &p : r.problems)
    all += p.substr(p.find("error: ") + 7) + "\n";
  return all;
}

} // namespace

TEST(RepositoryFileFormat, ObjectLinesAreWhatACompactJsonWriterWrites) {
  Repository repo;
  const Metamodel &mm = repo.metamodel();
  TypeId skom = mm.classId("Skom");
  std::string text("\0", 1);
  for (int c = 1; c < 128; ++c)
    text += static_cast<char>(c);
  text += "\xc3\xa9\xe2\x82\xac";
  ObjectId a = repo.createObject(skom), b = repo.createObject(skom);
  ASSERT_TRUE(repo.setValue(a, mm.attrId(skom, "text"), text));
  ASSERT_TRUE(repo.createLink(mm.endId(skom, "next1"), a, b));

  rapidjson::StringBuffer buf;
  rapidjson::Writer<rapidjson::StringBuffer> w(buf);
  w.StartObject();
  w.Key("id");
  w.Int(a);
  w.Key("class");
  w.String("Skom");
  w.Key("attrs");
  w.StartObject();
  w.Key("text");
  w.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  w.EndObject();
  w.Key("links");
  w.StartObject();
  w.Key("next1");
  w.StartArray();
  w.Int(b);
  w.EndArray();
  w.EndObject();
  w.EndObject();
  std::string header = "{\n  \"format\": \"zeva-repository\",\n"
                       "  \"version\": 1,\n  \"objects\": [\n    ";
  std::string saved = saveRepositoryText(repo);
  ASSERT_EQ(saved.substr(0, header.size()), header);
  EXPECT_EQ(saved.substr(header.size(),
                         saved.find(",\n", header.size()) - header.size()),
            std::string(buf.GetString(), buf.GetSize()));
  EXPECT_EQ(saveRepositoryText(Repository()),
            "{\n  \"format\": \"zeva-repository\",\n  \"version\": 1,\n"
            "  \"objects\": []\n}\n");
}

TEST(RepositoryFileFormat, LargeFilesAreWrittenAsTheTextReads) {
  // Several megabytes: many full output buffers and a partial last one.
  Repository repo;
  const Metamodel &mm = repo.metamodel();
  TypeId skom = mm.classId("Skom");
  TypeId text = mm.attrId(skom, "text");
  TypeId next = mm.endId(skom, "next1");
  ObjectId prev = 0;
  for (int i = 0; i < 40000; ++i) {
    ObjectId o = repo.createObject(skom);
    repo.setValue(o, text,
                  "setVar x" + std::to_string(i % 977) + "=" +
                      std::string(static_cast<std::size_t>(i % 150), 'y'));
    if (prev)
      repo.createLink(next, prev, o);
    prev = o;
  }
  std::string expected = saveRepositoryText(repo);
  ASSERT_GT(expected.size(), 5u << 20);
  std::string path = (std::filesystem::temp_directory_path() /
                      ("zeva_large_" + std::to_string(::getpid()) + ".json"))
                         .string();
  std::string error;
  ASSERT_TRUE(saveRepositoryFile(repo, path, error)) << error;
  std::ifstream in(path, std::ios::binary);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_TRUE(got.str() == expected);
  LoadResult back = loadRepositoryFile(path);
  ASSERT_TRUE(back.repo);
  EXPECT_EQ(back.repo->objectCount(), 40000u);
  std::filesystem::remove(path);
}

TEST(RepositoryFileFormat, ProblemsComeObjectByObjectWhateverTheKeyOrder) {
  // Keys in any order; an object's value problems come before its link
  // problems, and both before the next object's.
  std::string got = problems(R"({"objects": [
    {"links": {"next1": [9], "Name": "x"}, "attrs": {"nope": 1},
     "class": "Skom", "id": 1},
    {"id": 2, "links": {"next1": [1, 1]}, "class": "Skom",
     "attrs": {"text": {}}},
    {"id": 3, "class": "Skom", "x": 1, "y": 2}
  ], "version": 1, "format": "zeva-repository"})");
  EXPECT_EQ(got,
            "object 3 (objects[2]): unknown key \"x\"\n"
            "object 3 (objects[2]): unknown key \"y\"\n"
            "object 1 (objects[0]): attrs.nope: class \"Skom\" has no "
            "attribute \"nope\"\n"
            "object 1 (objects[0]): links.next1[0]: partner 9 does not exist\n"
            "object 1 (objects[0]): links.Name: expected an array of object "
            "ids, found a string\n"
            "object 2 (objects[1]): attrs.text: expected a string, number or "
            "boolean, found an object\n"
            "object 2 (objects[1]): links.next1[1]: partner 1 listed twice\n");
  // Owners named only from the owned side still close cycles.
  EXPECT_EQ(problems(R"({"format": "zeva-repository", "version": 1,
    "objects": [
      {"id": 5, "class": "ZEVA::Package", "links": {"owningPackage": [6]}},
      {"id": 6, "class": "ZEVA::Package", "links": {"owningPackage": [5]}}
    ]})"),
            "object 5: containment cycle: 5 -> 6 -> 5\n");
}
