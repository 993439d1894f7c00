// Instance models as text: round trips of the library example's models,
// how objects, values and links are written, and the errors of the import.
#include "instances.h"
#include "metamodel.h"
#include "metamodel_script.h"
#include "repo_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

const std::string kExample =
    std::string(ZEVA_SOURCE_DIR) + "/examples/library/";

/// The script that compiling examples/library writes.
std::string libraryScript() {
  std::ifstream in(kExample + "expected-mmscript.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

/// Nodes that own each other, tagged many-to-many, a class name ending in
/// a digit and one that is no identifier.
const char *const kTreeScript = R"(MMDefStart;
class t::Node;
class t::Tag;
class t::Item2;
class t::Ärger;
enum t::Mode : {ON,OFF,Süß};
compos t::Node.[*]children/parent[0..1].t::Node;
assoc t::Tag.{ordered}[*]tags/nodes[*]{ordered}.t::Node;
attr t::Node.name:String;
attr t::Node.flag:Boolean;
attr t::Node.n:Integer;
attr t::Node.mode:t::Mode;
attr t::Tag.name:String;
MMDefEnd;
)";

std::shared_ptr<const zrep::Metamodel> metamodel(const std::string &script) {
  kel::ScriptResult r = kel::readMetamodelScript(script, "MMscript.txt");
  EXPECT_TRUE(r.mm) << (r.problems.empty() ? "" : r.problems.front());
  return r.mm;
}

struct Imported {
  std::unique_ptr<zrep::Repository> repo;
  std::string errors;
};

Imported import(const std::string &text,
                std::shared_ptr<const zrep::Metamodel> mm) {
  notation::SourceFile file("i.zeva", text);
  notation::Diagnostics diags(file);
  auto repo = notation::importInstances(file, diags, std::move(mm));
  std::ostringstream os;
  diags.print(os);
  EXPECT_EQ(!repo, diags.errorCount() != 0) << os.str();
  return {std::move(repo), os.str()};
}

/// Whether two repositories hold the same objects in the same order, with
/// the same values and the same partner lists (ids mapped by position).
void expectSameModel(const zrep::Repository &a, const zrep::Repository &b) {
  auto ao = a.allObjects(), bo = b.allObjects();
  ASSERT_EQ(ao.size(), bo.size());
  std::unordered_map<zrep::ObjectId, std::size_t> ap, bp;
  for (std::size_t k = 0; k < ao.size(); ++k) {
    ap[ao[k]->id] = k;
    bp[bo[k]->id] = k;
  }
  const zrep::Metamodel &mm = a.metamodel();
  for (std::size_t k = 0; k < ao.size(); ++k) {
    ASSERT_EQ(ao[k]->cls, bo[k]->cls) << k;
    const zrep::ClassInfo &c = *mm.classInfo(ao[k]->cls);
    for (zrep::TypeId attr : c.attrs)
      EXPECT_EQ(a.value(ao[k]->id, attr), b.value(bo[k]->id, attr)) << k;
    for (zrep::TypeId end : c.ends) {
      std::vector<std::size_t> pa, pb;
      for (zrep::ObjectId p : a.partners(ao[k]->id, end))
        pa.push_back(ap[p]);
      for (zrep::ObjectId p : b.partners(bo[k]->id, end))
        pb.push_back(bp[p]);
      EXPECT_EQ(pa, pb) << k << " " << mm.endInfo(end)->role;
    }
  }
}

TEST(Instances, LibraryModelsRoundTrip) {
  auto mm = metamodel(libraryScript());
  for (const char *name : {"instance.json", "expected-output.json"}) {
    zrep::LoadResult original = zrep::loadRepositoryFile(kExample + name, mm);
    ASSERT_TRUE(original.repo) << name;
    std::string text = notation::exportInstances(*original.repo);
    Imported back = import(text, mm);
    ASSERT_TRUE(back.repo) << back.errors;
    EXPECT_EQ(notation::exportInstances(*back.repo), text) << name;
    expectSameModel(*original.repo, *back.repo);
    if (std::string(name) != "instance.json")
      continue;
    // Its ids are in file order: the saved files are the same, and the
    // checked-in text is this export.
    EXPECT_EQ(zrep::saveRepositoryText(*back.repo),
              zrep::saveRepositoryText(*original.repo));
    std::ifstream in(kExample + "instance.zeva");
    std::stringstream checkedIn;
    checkedIn << in.rdbuf();
    EXPECT_EQ(checkedIn.str(), text);
    EXPECT_NE(text.find("  library1: library::Library {\n    name = \"City "
                        "Library\";\n    books -> book1, book2, book3, "
                        "referenceBook1;\n    members -> Alice, Bob;\n  }\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  loan2: library::Loan {\n    status = RETURNED;\n"
                        "    days = 7;\n  }\n"),
              std::string::npos);
  }
}

TEST(Instances, ExportNamesValuesAndLinks) {
  auto mm = metamodel(kTreeScript);
  // Links written from either end or both; the tags' lists come from the
  // nodes that write them, in text order, after their own.
  Imported in = import(R"(instances {
    b: t::Node { name = "x"; n = -007; flag = "True"; mode = "Süß";
                 tags -> red; }
    a: t::Node { name = "top"; children -> b, c; flag = false; mode = ON; }
    c: t::Node { name = "x"; tags -> blue, red; }
    d: t::Node { name = "n2"; parent -> a; }
    "e f": t::Node { name = "Bäume"; }
    red: t::Tag { name = "red"; nodes -> c; }
    blue: t::Tag { name = ""; }
    i: t::Item2 {}
    j: t::Item2 {}
    k: t::"Ärger" {}
  })",
                       mm);
  ASSERT_TRUE(in.repo) << in.errors;
  std::string text = notation::exportInstances(*in.repo);
  EXPECT_EQ(text, R"(instances {
  node1: t::Node {
    name = "x";
    flag = "True";
    n = -007;
    mode = "Süß";
    tags -> red;
  }
  top: t::Node {
    name = "top";
    flag = false;
    mode = ON;
    children -> node1, node3, node4;
  }
  node3: t::Node {
    name = "x";
    tags -> tag2, red;
  }
  node4: t::Node {
    name = "n2";
  }
  node5: t::Node {
    name = "Bäume";
  }
  red: t::Tag {
    name = "red";
    nodes -> node3, node1;
  }
  tag2: t::Tag {}
  item2_1: t::Item2 {}
  item2_2: t::Item2 {}
  "Ärger1": t::"Ärger" {}
}
)");
  Imported again = import(text, mm);
  ASSERT_TRUE(again.repo) << again.errors;
  EXPECT_EQ(zrep::saveRepositoryText(*again.repo),
            zrep::saveRepositoryText(*in.repo));
}

TEST(Instances, ErrorsAtTheirPlace) {
  auto lib = metamodel(libraryScript()), tree = metamodel(kTreeScript);
  auto firstError = [](const Imported &r) {
    EXPECT_FALSE(r.repo);
    return r.errors.substr(0, r.errors.find('\n'));
  };
  const std::pair<const char *, const char *> cases[] = {
      {"instances { b: library::Book { title = \"x\" } }",
       "i.zeva:1:43: error: expected ';'"},
      {"instances { b library::Book {} }",
       "i.zeva:1:15: error: expected ':' and the object's class before "
       "'library'"},
      {"instances { b: library::Book { copies = - 2; } }",
       "i.zeva:1:43: error: expected digits right after '-' before '2'"},
      {"library::Book {}",
       "i.zeva:1:1: error: expected 'instances' before 'library'"},
      {"instances { b: library::Bok {} }",
       "i.zeva:1:16: error: unknown class 'library::Bok'; did you mean "
       "'library::Book'?"},
      {"instances { b: Member {} }",
       "i.zeva:1:16: error: unknown class 'Member'; did you mean "
       "'library::Member'?"},
      {"instances { b: library::Book { titel = \"x\"; } }",
       "i.zeva:1:32: error: the class 'library::Book' has no attribute "
       "'titel'; did you mean 'title'?"},
      {"instances { b: library::Book { loans = \"x\"; } }",
       "i.zeva:1:32: error: 'loans' is a role of 'library::Book': its "
       "partners are written 'loans -> NAME, ...;'"},
      {"instances { b: library::Book { title -> b; } }",
       "i.zeva:1:32: error: 'title' is an attribute of 'library::Book': its "
       "value is written 'title = VALUE;'"},
      {"instances { b: library::Book { loan -> b; } }",
       "i.zeva:1:32: error: the class 'library::Book' has no role 'loan'; did "
       "you mean 'loans'?"},
      {"instances { b: library::Book { copies = \"2\"; } }",
       "i.zeva:1:41: error: the attribute 'copies' of 'library::Book' takes "
       "an integer"},
      {"instances { b: library::Book { copies = 2147483648; } }",
       "i.zeva:1:41: error: the attribute 'copies' of 'library::Book' takes "
       "an integer from -2147483648 to 2147483647"},
      {"instances { b: library::Book { title = SICP; } }",
       "i.zeva:1:40: error: the attribute 'title' of 'library::Book' takes a "
       "text in double quotes"},
      {"instances { b: library::Book { isAvailable = yes; } }",
       "i.zeva:1:46: error: the attribute 'isAvailable' of 'library::Book' "
       "takes true or false"},
      {"instances { l: library::Loan { status = Open; } }",
       "i.zeva:1:41: error: 'Open' is no literal of the enumeration "
       "'library::LoanStatus'; did you mean 'OPEN'?"},
      {"instances { l: library::Loan { days = 1; days = 2; } }",
       "i.zeva:1:42: error: 'days' is set twice"},
      {"instances { l: library::Loan { book -> b; book -> b; } "
       "b: library::Book {} }",
       "i.zeva:1:43: error: the partners of 'book' are written twice; list "
       "them all at once"},
      {"instances { l: library::Loan { book -> bok; } book: library::Book {} }",
       "i.zeva:1:40: error: unknown object 'bok'; did you mean 'book'?"},
      {"instances { b: library::Book {} b: library::Member {} }",
       "i.zeva:1:33: error: the object name 'b' is used twice"},
      {"instances { l: library::Library { books -> b, b; } "
       "b: library::Book {} }",
       "i.zeva:1:47: error: 'b' is listed twice for 'books'"},
      {"instances { l: library::Library { books -> m; } "
       "m: library::Member {} }",
       "i.zeva:1:44: error: 'm' is of class 'library::Member', but the role "
       "'books' leads to 'library::Book'"},
      {"instances { a: library::Library { books -> b; } "
       "b: library::Book { library -> c; } c: library::Library {} }",
       "i.zeva:1:68: error: 'b' has 2 partners at the single-valued role "
       "'library': 'c', 'a' (counting the links written from the other end)"},
      {"instances { x: library::Book { title = \"\\u0000\"; } }",
       "i.zeva:1:41: error: '\\u0000' is a NUL character, which a repository "
       "cannot hold"},
  };
  for (auto [text, error] : cases)
    EXPECT_EQ(firstError(import(text, lib)), error) << text;
  // A note shows the first place of what is repeated.
  EXPECT_NE(import(cases[15].first, lib)
                .errors.find("i.zeva:1:32: note: 'days' is first set here"),
            std::string::npos);
  // Containment cycles, however the links are written.
  Imported cycle = import("instances { a: t::Node { children -> b; }\n"
                          "b: t::Node { children -> c; }\n"
                          "c: t::Node { parent -> b; children -> a; } }",
                          tree);
  EXPECT_EQ(firstError(cycle), "i.zeva:1:13: error: 'a' owns itself through "
                               "composite roles: a -> b -> c -> a");
  EXPECT_EQ(
      firstError(import("instances { n: t::Node { parent -> n; } }", tree)),
      "i.zeva:1:13: error: 'n' owns itself through composite roles: n "
      "-> n");
  // Not UTF-8.
  EXPECT_EQ(firstError(import("instances { \xff }", lib)),
            "i.zeva:1:13: error: the file is not UTF-8 text from here on");
}

} // namespace
