// The page of a model: what it holds for the examples, compiled and not,
// and for a model whose texts try to break out of it.

#include "cli.h"
#include "file_text.h"
#include "listing.h"
#include "named_access.h"
#include "repo_file.h"
#include "report.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

namespace {

using zrep::ObjectId;

std::string render(const zrep::Repository &repo,
                   zreport::PageSummary *summary = nullptr) {
  std::string page;
  zreport::PageOptions options;
  options.source = "model.json";
  zreport::PageSummary s =
      zreport::writeReport(repo, options, [&](std::string_view p) {
        page += p;
        return true;
      });
  EXPECT_TRUE(s.written);
  if (summary)
    *summary = s;
  return page;
}

std::size_t count(const std::string &text, const std::string &what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + 1))
    ++n;
  return n;
}

/// The markup of the section with id `id` (sections do not nest).
std::string section(const std::string &page, const std::string &id) {
  std::size_t from = page.find("id=\"" + id + "\"");
  if (from == std::string::npos)
    return {};
  return page.substr(from, page.find("</section>", from) - from);
}

std::string unescape(std::string text) {
  static const std::pair<const char *, const char *> entities[] = {
      {"&lt;", "<"},
      {"&gt;", ">"},
      {"&quot;", "\""},
      {"&#39;", "'"},
      {"&amp;", "&"}};
  for (auto [entity, c] : entities)
    for (std::size_t at; (at = text.find(entity)) != std::string::npos;)
      text.replace(at, std::strlen(entity), c);
  return text;
}

/// Each example compiled once, in a scratch folder of the test program.
class CompiledExamples : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = clitest::fs::temp_directory_path() /
           ("zeva_report_" + std::to_string(::getpid()));
    clitest::fs::create_directories(dir_);
    for (const char *name : {"library", "mistakes"}) {
      std::string model =
          std::string(ZEVA_SOURCE_DIR) + "/examples/" + name + "/model.json";
      clitest::zevac("compile '" + model + "' -o " + name + ".json --quiet",
                     dir_);
    }
  }
  static void TearDownTestSuite() { clitest::fs::remove_all(dir_); }

  static std::unique_ptr<zrep::Repository> load(const std::string &path) {
    zrep::LoadResult r = zrep::loadRepositoryFile(path);
    EXPECT_TRUE(r.repo) << path;
    return std::move(r.repo);
  }
  static std::unique_ptr<zrep::Repository> compiled(const char *name) {
    return load((dir_ / (std::string(name) + ".json")).string());
  }

  static inline clitest::fs::path dir_;
};

TEST_F(CompiledExamples, PageIsSelfContainedAndTheSameEachTime) {
  auto repo = compiled("library");
  ASSERT_TRUE(repo);
  zreport::PageSummary summary;
  std::string page = render(*repo, &summary);
  EXPECT_EQ(page, render(*repo));
  EXPECT_TRUE(zrep::isValidUtf8(page));
  // Nothing is fetched: links stay in the page, and addresses appear only
  // as the SVG's namespace names.
  std::string text =
      std::regex_replace(page, std::regex("xmlns(:\\w+)?=\"[^\"]*\""), "");
  for (const char *outside :
       {"http:", "https:", "file:", " src=", "<link", "url(", "@import"})
    EXPECT_EQ(text.find(outside), std::string::npos) << outside;
  const std::regex href("href=\"([^\"]*)\"");
  int links = 0;
  for (std::sregex_iterator m(page.begin(), page.end(), href), end; m != end;
       ++m, ++links)
    EXPECT_EQ((*m)[1].str().rfind('#', 0), 0u) << (*m)[1];
  EXPECT_GT(links, 5);
  EXPECT_EQ(count(page, "<script"), 1u);
  EXPECT_EQ(count(page, "<style"), 1u);
  EXPECT_NE(page.find("<title>Library "), std::string::npos);
  EXPECT_EQ(summary.procedures, 5);
  EXPECT_TRUE(summary.compiled);
  EXPECT_EQ(summary.errors + summary.warnings, 0);
  EXPECT_EQ(count(page, "<section class=\"proc\""), 5u);
  EXPECT_EQ(count(page, "<svg"), 5u);
}

// Each procedure's listing is its text listing line for line, and the
// commands of each flow end and class element carry its id.
TEST_F(CompiledExamples, ListingsMarkTheCommandsOfEachSourceElement) {
  auto repo = compiled("library");
  ASSERT_TRUE(repo);
  std::string page = render(*repo);
  zrep::NamedAccess a(*repo);
  const std::regex command("id=\"k(\\d+)\"(?: data-src=\"([^\"]*)\")?");
  const std::regex line("<div class=\"l\">([^<]*)</div>");
  int checked = 0;
  for (const zrep::Object *o : repo->allObjects()) {
    if (a.cls(o->id) != "ZEVA::ZEVAprocedure")
      continue;
    SCOPED_TRACE("procedure #" + std::to_string(o->id));
    std::string markup = section(page, "p" + std::to_string(o->id));
    std::ostringstream text;
    zevac::printProcFunctListing(*repo, a.one(o->id, "procfunct"), text);
    std::string shown;
    for (std::sregex_iterator m(markup.begin(), markup.end(), line), end;
         m != end; ++m)
      shown += unescape((*m)[1]) + "\n";
    EXPECT_EQ(shown, text.str());

    std::map<ObjectId, std::set<std::string>> sources;
    for (std::sregex_iterator m(markup.begin(), markup.end(), command), end;
         m != end; ++m) {
      std::istringstream ids((*m)[2]);
      for (std::string id; ids >> id;)
        sources[std::stoi((*m)[1])].insert(id);
    }
    for (ObjectId el : a.many(o->id, "ownedElement")) {
      std::string id = std::to_string(el);
      for (const char *end : {"label", "lastkom", "kom"})
        if (ObjectId kom = a.one(el, end); kom &&
                                           a.cls(el) != "ZEVA::ForeachLoop" &&
                                           a.cls(el) != "ZEVA::WhileLoop") {
          EXPECT_EQ(sources[kom].count(id), 1u) << end << " of #" << id;
          ++checked;
        }
    }
  }
  EXPECT_GT(checked, 40);
}

TEST_F(CompiledExamples, MessagesStandInTheSectionsOfTheirProcedures) {
  auto repo = compiled("mistakes");
  ASSERT_TRUE(repo);
  zreport::PageSummary summary;
  std::string page = render(*repo, &summary);
  EXPECT_EQ(summary.errors, 9);
  EXPECT_NE(page.find("9 errors"), std::string::npos);
  zrep::NamedAccess a(*repo);
  int messages = 0;
  for (const zrep::Object *o : repo->allObjects()) {
    if (a.cls(o->id) != "Utility::CompilerMessages")
      continue;
    ObjectId el = a.one(o->id, "element");
    // The examples' messages are on elements that the procedure owns.
    ObjectId proc = a.one(el, "owningProcedure");
    ASSERT_TRUE(proc) << "message #" << o->id;
    std::string link = "data-el=\"" + std::to_string(el) + "\" data-sec=\"p" +
                       std::to_string(proc) + "\"";
    EXPECT_NE(section(page, "p" + std::to_string(proc)).find(link),
              std::string::npos)
        << link;
    ++messages;
  }
  EXPECT_EQ(messages, 9);
  EXPECT_EQ(section(page, "model").find("class=\"msg"), std::string::npos);
}

TEST_F(CompiledExamples, UncompiledModelHasDiagramsAndNoListings) {
  auto repo = load(std::string(ZEVA_SOURCE_DIR) + "/examples/library/"
                                                  "model.json");
  ASSERT_TRUE(repo);
  zreport::PageSummary summary;
  std::string page = render(*repo, &summary);
  EXPECT_FALSE(summary.compiled);
  EXPECT_EQ(summary.procedures, 5);
  EXPECT_NE(section(page, "model").find("Not compiled"), std::string::npos);
  EXPECT_EQ(count(page, "<p class=\"note\">Not compiled.</p>"), 5u);
  EXPECT_EQ(page.find("class=\"k\""), std::string::npos);
  EXPECT_EQ(count(page, "<svg"), 5u);
}

/// A model whose every text is markup, quotes or control characters.
class HostileModel : public ::testing::Test {
protected:
  ObjectId make(const char *cls, std::map<std::string, std::string> attrs) {
    ObjectId id = repo.createObject(mm.classId(cls));
    for (auto &[name, value] : attrs)
      EXPECT_TRUE(repo.setValue(id, mm.attrId(repo.classOf(id), name), value))
          << name;
    return id;
  }
  void link(ObjectId from, const char *end, ObjectId to) {
    EXPECT_TRUE(repo.createLink(mm.endId(repo.classOf(from), end), from, to))
        << end;
  }
  ObjectId message(const std::string &text, ObjectId element) {
    ObjectId m = make("Utility::CompilerMessages",
                      {{"text", text}, {"CompilerMessageType", "Error"}});
    if (element)
      link(m, "element", element);
    return m;
  }

  const zrep::Metamodel &mm = zrep::Metamodel::builtin();
  zrep::Repository repo;
};

TEST_F(HostileModel, TextsAreEscapedAndMessagesFindTheirPlace) {
  ObjectId model = make("ZEVA::Model", {{"name", "<b>M&M's \"model\"</b>"}});
  ObjectId unit =
      make("ZEVA::Package",
           {{"name", "u</nav><script>alert(1)</script>"}, {"isUnit", "true"}});
  link(model, "ownedMember", unit);
  ObjectId proc = make("ZEVA::ZEVAprocedure",
                       {{"name", "p\"><img src=x onerror=alert(2)>"}});
  link(unit, "ownedMember", proc);
  ObjectId rule = make("ZEVA::Rule", {});
  ObjectId element =
      make("ZEVA::ClassElement", {{"refName", "x' onclick='alert(3)"},
                                  {"constraint", "a < b && c > \"d\""}});
  link(proc, "ownedElement", rule);
  link(proc, "ownedElement", element);
  link(rule, "ownedElem", element);
  message("9 - <img src=x onerror=alert(4)> \x1b[31mred\n", element);
  message("on the unit & nowhere else", unit);
  message("on nothing at all", 0);

  zreport::PageSummary summary;
  std::string page = render(repo, &summary);
  EXPECT_EQ(summary.procedures, 1);
  EXPECT_EQ(summary.errors, 3);
  EXPECT_EQ(count(page, "<script"), 1u);
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_EQ(page.find("onclick='"), std::string::npos);
  EXPECT_EQ(page.find('\x1b'), std::string::npos);
  EXPECT_NE(page.find("<title>&lt;b&gt;M&amp;M&#39;s &quot;model&quot;"),
            std::string::npos);
  EXPECT_NE(page.find("&lt;img src=x onerror=alert(4)&gt; \\x1B[31mred\\n"),
            std::string::npos);

  std::string procedure = section(page, "p" + std::to_string(proc));
  EXPECT_NE(procedure.find("data-el=\"" + std::to_string(element) + "\""),
            std::string::npos);
  EXPECT_EQ(procedure.find("nowhere else"), std::string::npos);
  std::string top = section(page, "model");
  EXPECT_NE(top.find("on the unit &amp; nowhere else"), std::string::npos);
  EXPECT_NE(top.find("on nothing at all"), std::string::npos);
  EXPECT_EQ(top.find("alert(4)"), std::string::npos);
  EXPECT_NE(top.find("Not compiled"), std::string::npos);
}

} // namespace
