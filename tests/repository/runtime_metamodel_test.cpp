// Metamodels built at run time, and instance files loaded against them.
#include "connection.h"
#include "metamodel.h"
#include "metamodel_description.h"
#include "qta_rep.h"
#include "repo_file.h"
#include "repository.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

using namespace zrep;

namespace {

EndSpec end(std::string_view owner, std::string_view role, bool many,
            bool composite = false, int lower = 0, bool ordered = false) {
  EndSpec e{owner, role, many};
  e.composite = composite;
  e.lower = lower;
  e.ordered = ordered;
  return e;
}

/// A library: Library owns Books and other Libraries (branches).
MetamodelSpec librarySpec() {
  MetamodelSpec s;
  s.classes = {
      {"library::Library", "", false, {{"name", "String"}}},
      {"library::Book",
       "",
       false,
       {{"title", "String"}, {"year", "Integer"}, {"isAvailable", "Boolean"}}},
      {"library::ReferenceBook", "library::Book", false, {{"room", "String"}}},
      {"library::Loan",
       "",
       false,
       {{"status", "library::LoanStatus"}, {"days", "Integer"}}},
      {"library::Shelf", "", true, {}},
  };
  s.enums = {{"library::LoanStatus", {"OPEN", "RETURNED"}}};
  s.assocs = {
      {end("library::Library", "books", true, true, 0, true),
       end("library::Book", "library", false, false, 1)},
      {end("library::Library", "branches", true, true),
       end("library::Library", "main", false)},
      {end("library::Book", "loans", true),
       end("library::Loan", "book", false, false, 1)},
  };
  return s;
}

std::shared_ptr<const Metamodel> library() {
  static std::shared_ptr<const Metamodel> mm = [] {
    MetamodelBuild b = Metamodel::build(librarySpec());
    EXPECT_TRUE(b.problems.empty());
    return b.mm;
  }();
  return mm;
}

std::string joined(const std::vector<std::string> &lines) {
  std::string all;
  for (const auto &l : lines)
    all += l + "\n";
  return all;
}

std::string wrap(const std::string &objects) {
  return "{\n  \"format\": \"zeva-repository\",\n  \"version\": 1,\n"
         "  \"objects\": [" +
         objects + "\n  ]\n}\n";
}

} // namespace

TEST(RuntimeMetamodel, ResolvesLikeTheBuiltIn) {
  const Metamodel &mm = *library();
  TypeId book = mm.classId("library::Book");
  TypeId ref = mm.classId("library::ReferenceBook");
  EXPECT_EQ(mm.classId("library::Library"), Metamodel::kFirstClassId);
  EXPECT_EQ(mm.classInfo(book)->preorder, (std::vector<TypeId>{book, ref}));
  EXPECT_TRUE(mm.isKindOf(ref, book));
  EXPECT_FALSE(mm.isKindOf(book, ref));
  // Inherited members keep their ids; an end keeps its declared flags.
  EXPECT_EQ(mm.attrInfo(mm.attrId(ref, "room"))->slot, 3u);
  EXPECT_EQ(mm.endId(ref, "library"), mm.endId(book, "library"));
  const EndInfo &owner = *mm.endInfo(mm.endId(book, "library"));
  const EndInfo &books = *mm.endInfo(owner.inverse);
  EXPECT_TRUE(books.many && books.composite && books.ordered && !owner.many);
  EXPECT_EQ(owner.lower, 1);

  // The built-in metamodel's containment ends are its composite ones.
  std::multiset<std::string> composite;
  for (const EndInfo &e : Metamodel::builtin().ends())
    if (e.composite)
      composite.insert(e.role);
  EXPECT_EQ(composite, (std::multiset<std::string>{
                           "ownedElem", "ownedElement", "ownedFlowEnd",
                           "ownedLink", "ownedMember", "ownedMember"}));

  // A repository keeps its run-time metamodel alive.
  std::weak_ptr<const Metamodel> weak;
  {
    auto repo = [&] {
      auto own = Metamodel::build(librarySpec()).mm;
      weak = own;
      return std::make_unique<Repository>(own);
    }();
    EXPECT_FALSE(weak.expired());
    ObjectId b = repo->createObject(book);
    TypeId title = mm.attrId(book, "title");
    EXPECT_TRUE(repo->setValue(b, title, "Dune"));
    EXPECT_EQ(repo->value(b, title), "Dune");
  }
  EXPECT_TRUE(weak.expired());
}

TEST(RuntimeMetamodel, ProblemsOfSpecsNameTheirOrigins) {
  MetamodelSpec s;
  s.classes = {
      {"a::A", "", false, {{"x", "String", 11}, {"x", "Integer", 12}}, 1},
      {"a::B", "a::A", false, {{"x", "String", 13}, {"y", "Real", 14}}, 2},
      {"a::A", "", false, {}, 3},
      {"a::C", "a::Nothing", false, {}, 4, 40},
      {"a::D", "a::E", false, {}, 5, 50},
      {"a::E", "a::D", false, {}, 6, 60},
  };
  s.enums = {{"a::K", {}, 7}, {"a::K", {}, 8}};
  EndSpec bad = end("a::Gone", "r", true);
  bad.ownerOrigin = 20;
  EndSpec r1 = end("a::A", "r", true), r2 = end("a::A", "r", false);
  r1.origin = 21;
  r2.origin = 22;
  EndSpec inherited = end("a::B", "r", false);
  inherited.origin = 23;
  s.assocs = {{bad, end("a::A", "s", true)},
              {r1, end("a::B", "t", true)},
              {r2, inherited}};
  MetamodelBuild b = Metamodel::build(s);
  EXPECT_EQ(b.mm, nullptr);
  std::set<std::pair<std::uint32_t, std::string>> got;
  for (const auto &p : b.problems)
    got.emplace(p.origin, p.message);
  for (const auto &expected : std::set<std::pair<std::uint32_t, std::string>>{
           {3, "duplicate class \"a::A\""},
           {8, "duplicate enumeration \"a::K\""},
           {40, "unknown class \"a::Nothing\""},
           {50, "inheritance cycle: a::D -> a::E -> a::D"},
           {12, "class \"a::A\" has two attributes \"x\""},
           {13, "attribute \"x\" of class \"a::B\" clashes with the one of "
                "\"a::A\""},
           {14, "unknown type \"Real\" of attribute \"y\""},
           {20, "unknown class \"a::Gone\""},
           {22, "class \"a::A\" has two association ends \"r\""},
           {23, "association end \"r\" of class \"a::B\" clashes with the "
                "one of \"a::A\""},
       })
    EXPECT_TRUE(got.count(expected)) << expected.second;
  EXPECT_EQ(got.size(), 10u);

  // What ids and object records cannot hold is refused, not built.
  MetamodelSpec many;
  std::vector<std::string> names;
  for (int i = 0; i < 10000; ++i)
    names.push_back("C" + std::to_string(i));
  for (const auto &n : names)
    many.classes.push_back({n, "", false, {}});
  b = Metamodel::build(many);
  ASSERT_EQ(b.problems.size(), 1u);
  EXPECT_EQ(b.problems[0].message,
            "too many classes: 10000; a metamodel holds at most 9999");
  many.classes.resize(2);
  for (int i = 0; i < 257; ++i)
    many.classes[0].attrs.push_back({names[i], "String"});
  for (int i = 0; i < 128; ++i)
    many.assocs.push_back(
        {end("C1", names[2 * i], true), end("C1", names[2 * i + 1], true)});
  b = Metamodel::build(many);
  ASSERT_EQ(b.problems.size(), 2u);
  EXPECT_EQ(b.problems[0].message,
            "class \"C0\" has 257 attributes, own and inherited; a class "
            "holds at most 256");
  EXPECT_EQ(b.problems[1].message,
            "class \"C1\" has 256 association ends, own and inherited; a "
            "class holds at most 255");
  many.assocs.resize(5001, many.assocs[0]);
  b = Metamodel::build(many);
  EXPECT_EQ(b.problems.back().message,
            "too many associations: 5001; a metamodel holds at most 5000");
}

TEST(RuntimeMetamodel, InstanceFilesLoadAndSaveUnchanged) {
  // In the form saving gives: one object a line, links from both ends.
  std::string text = wrap(R"(
    {"id":1,"class":"library::Library","attrs":{"name":"City"},"links":{"books":[3,2],"branches":[7]}},
    {"id":2,"class":"library::Book","attrs":{"title":"Dune","year":"1965"},"links":{"library":[1],"loans":[4]}},
    {"id":3,"class":"library::ReferenceBook","attrs":{"isAvailable":"true","room":"B"},"links":{"library":[1]}},
    {"id":4,"class":"library::Loan","attrs":{"status":"OPEN"},"links":{"book":[2]}},
    {"id":7,"class":"library::Library","links":{"main":[1]}})");
  LoadResult r = loadRepositoryText(text, "i.json", library());
  ASSERT_NE(r.repo, nullptr) << joined(r.problems);
  EXPECT_EQ(&r.repo->metamodel(), library().get());
  EXPECT_EQ(saveRepositoryText(*r.repo), text);

  // From a file too; a qualified literal is stored bare. The built-in
  // metamodel knows none of these classes.
  std::string path = (std::filesystem::temp_directory_path() /
                      ("zeva_instance_" + std::to_string(::getpid())))
                         .string();
  std::string qualified = text;
  qualified.replace(qualified.find("\"OPEN\""), 6,
                    "\"library::LoanStatus::OPEN\"");
  std::ofstream(path) << qualified;
  r = loadRepositoryFile(path, library());
  ASSERT_NE(r.repo, nullptr) << joined(r.problems);
  EXPECT_EQ(saveRepositoryText(*r.repo), text);
  r = loadRepositoryFile(path);
  EXPECT_NE(joined(r.problems).find("unknown class \"library::Library\""),
            std::string::npos);
  std::filesystem::remove(path);
}

TEST(RuntimeMetamodel, InstanceFileErrors) {
  auto problems = [](const std::string &objects) {
    LoadResult r = loadRepositoryText(wrap(objects), "i.json", library());
    EXPECT_EQ(r.repo, nullptr);
    return joined(r.problems);
  };
  std::string all = problems(R"(
    {"id": 1, "class": "library::Library", "attrs": {"colour": "red"},
     "links": {"books": [2, 5, 99], "loans": [4]}},
    {"id": 2, "class": "library::Book", "attrs": {"year": "old"}},
    {"id": 3, "class": "library::Nothing"},
    {"id": 4, "class": "library::Shelf"},
    {"id": 5, "class": "library::Loan", "attrs": {"status": "LOST"}},
    {"id": 6, "class": "library::Library", "links": {"books": [2]}})");
  for (const char *expected : {
           "i.json: error: object 1 (objects[0]): attrs.colour: class "
           "\"library::Library\" has no attribute \"colour\"",
           "links.books[1]: partner 5 of class \"library::Loan\" does not "
           "fit the end, which leads to \"library::Book\"",
           "links.books[2]: partner 99 does not exist",
           "links.loans: class \"library::Library\" has no association end "
           "\"loans\"",
           "attrs.year: \"old\" is not a decimal 32-bit integer",
           "object 3 (objects[2]): unknown class \"library::Nothing\"",
           "object 4 (objects[3]): class \"library::Shelf\" is abstract",
           "attrs.status: \"LOST\" is not a literal of enumeration "
           "\"library::LoanStatus\"",
           "object 2: links.library: single-valued end holds 2 partners",
       })
    EXPECT_NE(all.find(expected), std::string::npos) << expected << "\n" << all;
  // Cycles through composite ends, listed from the owner or the owned.
  EXPECT_EQ(problems(R"(
    {"id": 1, "class": "library::Library", "links": {"branches": [2]}},
    {"id": 2, "class": "library::Library", "links": {"branches": [1]}})"),
            "i.json: error: object 1: containment cycle: 1 -> 2 -> 1\n");
  EXPECT_EQ(problems(R"(
    {"id": 1, "class": "library::Library", "links": {"main": [1]}})"),
            "i.json: error: object 1: containment cycle: 1 -> 1\n");

  // A metamodel too large for the loader's table of names per class.
  MetamodelSpec large;
  std::vector<std::string> names;
  for (int i = 0; i < 1100; ++i)
    names.push_back(std::to_string(i));
  for (const auto &n : names)
    large.classes.push_back({n, "", false, {{n, "Integer"}}});
  large.assocs = {{end("5", "r", true), end("6", "s", false)}};
  LoadResult r = loadRepositoryText(
      wrap(R"({"id": 1, "class": "5", "attrs": {"5": "x", "6": "1"},
               "links": {"r": [2], "s": [2]}},
              {"id": 2, "class": "6", "attrs": {"6": "1"}})"),
      "i.json", Metamodel::build(large).mm);
  EXPECT_EQ(joined(r.problems),
            "i.json: error: object 1 (objects[0]): attrs.5: \"x\" is not a "
            "decimal 32-bit integer\n"
            "i.json: error: object 1 (objects[0]): attrs.6: class \"5\" has "
            "no attribute \"6\"\n"
            "i.json: error: object 1 (objects[0]): links.s: class \"5\" has "
            "no association end \"s\"\n");
}

TEST(RuntimeMetamodel, CInterfaceUsesTheConnectedMetamodel) {
  MetamodelSpec first, second;
  first.classes = {{"a::X", "", false, {{"n", "Integer"}}}};
  second.classes = {{"a::Y", "", false, {}}, first.classes[0]};
  Repository one(Metamodel::build(first).mm);
  Repository two(Metamodel::build(second).mm);
  static const char *name = "a::X";
  Repository *before = connect(&one);
  EXPECT_EQ(_GetObjectTypeIdByName(name), 1);
  EXPECT_NE(_GetPropertyTypeIdByName(1, "n"), 0);
  connect(&two);
  EXPECT_EQ(_GetObjectTypeIdByName(name), 2);
  EXPECT_STREQ(_GetTypeName(2), "a::X");
  ObjectId x = _CreateObject(2);
  TypeId n = _GetPropertyTypeIdByName(2, "n");
  EXPECT_TRUE(_AddProperty(x, n, "42"));
  EXPECT_FALSE(_CheckPropertyValue(n, "many"));
  EXPECT_STREQ(_GetPropertyValue(x, n), "42");
  connect(before);
}
