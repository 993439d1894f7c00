#include "compiler_fixture.h"

#include "repo_file.h"

#include <fstream>
#include <set>

namespace zeva::test {

TEST_F(CompilerTest, SelectsUnitsAlongThePackageTree) {
  ObjectId m = model("Lib");
  obj("project::Project", {{"name", "Proj"}, {"path", "p/Lib.project"}});
  ObjectId a = package(m, "a");                // selected unit
  ObjectId plain = package(a, "plain", false); // belongs to a
  straightProcedure(plain, "inPlain");
  ObjectId off = package(a, "off", true, false); // unit, not selected
  straightProcedure(off, "skipped");
  ObjectId nested = package(off, "nested"); // selected inside off
  straightProcedure(nested, "deep");
  ObjectId outside = package(m, "outside", false); // plain, outside
  straightProcedure(outside, "ignored");
  ObjectId banned = package(m, "banned");
  setAttr(banned, "doNotCompile", "true");
  straightProcedure(banned, "never");
  straightProcedure(a, "own");
  std::filesystem::create_directories("p/.zeva/Lib/kel");
  compile();

  std::set<std::string> units, procs;
  for (ObjectId t : all("Transformation"))
    units.insert(attr(t, "name1"));
  for (ObjectId pf : all("ProcFunct"))
    procs.insert(attr(pf, "name1"));
  EXPECT_EQ(units, (std::set<std::string>{"p/.zeva/Lib/kel/a",
                                          "p/.zeva/Lib/kel/a_off_nested"}));
  EXPECT_EQ(procs, (std::set<std::string>{"a_plain_inPlain", "a_own",
                                          "a_off_nested_deep"}));
  EXPECT_EQ(partners(nested, "transf").size(), 1u);
  EXPECT_TRUE(partners(off, "transf").empty());
  // The deep unit's procedure is in its own Transformation only.
  ObjectId deepUnit = partners(nested, "transf").at(0);
  ASSERT_EQ(partners(deepUnit, "pf").size(), 1u);
  EXPECT_EQ(attr(partners(deepUnit, "pf")[0], "name1"), "a_off_nested_deep");
  EXPECT_EQ(messages(), std::vector<std::string>{});
  // The script goes to the project folder.
  std::ifstream script("p/.zeva/Lib/kel/MMscript.txt");
  std::stringstream text;
  text << script.rdbuf();
  EXPECT_EQ(text.str(), "MMDefStart;\nMMDefEnd;");
}

TEST_F(CompilerTest, NothingSelectedIsAWarningOnTheModel) {
  ObjectId m = model();
  package(m, "a", true, false);
  compile();
  EXPECT_EQ(messages(),
            std::vector<std::string>{"64 - Nothing selected to compile!"});
  ObjectId msg = all("Utility::CompilerMessages").at(0);
  EXPECT_EQ(attr(msg, "CompilerMessageType"), "Warning");
  EXPECT_EQ(partners(msg, "element"), std::vector<ObjectId>{m});
  EXPECT_TRUE(all("Transformation").empty());

  // Without any model the run is silent and still clean.
  zrep::Repository empty;
  zrep::connect(&empty);
  compile();
  EXPECT_EQ(empty.objectCount(), 2u); // label counter and pattern marker
}

TEST_F(CompilerTest, MainProcedureGetsPreludeAndMainFunction) {
  ObjectId m = model();
  ObjectId a = package(m, "a");
  ObjectId b = package(m, "b");
  ObjectId other = package(m, "other", true, false);
  (void)other;
  straightProcedure(a, "main", {{"isMain", "true"}});
  straightProcedure(b, "alsoMain", {{"isMain", "true"}});
  compile();
  ObjectId unitA = partners(a, "transf").at(0);
  ObjectId unitB = partners(b, "transf").at(0);
  std::vector<std::string> dirs;
  for (ObjectId d : partners(unitA, "dir"))
    dirs.push_back(attr(d, "val") + " " + attr(d, "file_name"));
  EXPECT_EQ(dirs,
            (std::vector<std::string>{"useMM MMscript.txt", "useUnit b.txt",
                                      "useUnit other.txt"}));
  std::vector<std::string> names;
  for (ObjectId pf : partners(unitA, "pf"))
    names.push_back(attr(pf, "name1"));
  ASSERT_EQ(names.size(), 1u + 3 + 12 + 1);
  EXPECT_EQ(names.front(), "a_main");
  EXPECT_EQ(names[1], "_resetIDENT");
  EXPECT_EQ(names[4], "NotAttrValEmpty");
  EXPECT_EQ(names.back(), "_mainZEVAfunction");
  EXPECT_EQ(listing("_mainZEVAfunction"),
            "main procedure _mainZEVAfunction()\n"
            "begin\n"
            "  call _initializeZEVAtransformation()\n"
            "  call a_main()\n"
            "  call _finalizeZEVAtransformation()\n"
            "end\n");
  // The second main procedure's unit gets its prelude but no main function.
  EXPECT_EQ(partners(unitB, "pf").size(), 1u + 3 + 12);
  EXPECT_EQ(messages(), std::vector<std::string>{
                            "50 - There are more than one main procedure!"});
}

TEST_F(CompilerTest, TwoRunsGiveTheSameProgram) {
  ObjectId m = model();
  obj("project::Project", {{"name", "P"}, {"path", "short"}});
  ObjectId a = package(m, "a");
  ObjectId p = straightProcedure(a, "main", {{"isMain", "true"}});
  element(p, "ZEVA::End"); // unreached: message 66
  compile();
  auto snapshot = [&] {
    std::ostringstream out;
    zevac::printListing(repo, out);
    std::string text = out.str();
    for (const std::string &msg : messages())
      text += msg + "\n";
    return text;
  };
  std::string first = snapshot();
  std::size_t objects = repo.objectCount();
  compile();
  EXPECT_EQ(snapshot(), first);
  EXPECT_EQ(repo.objectCount(), objects);
  EXPECT_NE(first.find("_mlabel_1:"), std::string::npos) << first;
  EXPECT_NE(first.find("66 - No incoming control flow!"), std::string::npos);
  // A path of fewer than 11 characters is kept whole; the folder is the
  // host's to make, so here the script cannot be written.
  EXPECT_EQ(dialogs().back().rfind(
                "Can not write file \"short.zeva/M/kel/MMscript.txt\": ", 0),
            0u);
}

TEST_F(CompilerTest, StartUpClearsEarlierRunsProducts) {
  ObjectId m = model();
  package(m, "a", true, false);
  obj("Utility::CompilerMessages", {{"text", "ZEVA compiler has crashed!"}});
  obj("LabelGenerator", {{"id", "99"}});
  obj("LabelGenerator", {{"id", "7"}});
  obj("PatternElementMarker");
  obj("Le", {{"val", "x"}});
  ObjectId oldUnit = obj("Transformation", {{"name1", "old"}});
  ObjectId oldKom = obj("Skom", {{"text", "old"}});
  ObjectId oldExpr = obj("Expression");
  link(m, "compilerMessage",
       obj("Utility::CompilerMessages", {{"text", "1 - old"}}));
  compile();
  // Only the first label counter goes; the new one starts at 1.
  std::vector<std::string> ids;
  for (ObjectId g : all("LabelGenerator"))
    ids.push_back(attr(g, "id"));
  EXPECT_EQ(ids, (std::vector<std::string>{"7", "1"}));
  EXPECT_EQ(all("PatternElementMarker").size(), 1u);
  EXPECT_TRUE(all("Le").empty());
  for (ObjectId gone : {oldUnit, oldKom, oldExpr})
    EXPECT_FALSE(repo.exists(gone));
  // The old crash guard and messages are gone, this run's guard too.
  EXPECT_EQ(messages(),
            std::vector<std::string>{"64 - Nothing selected to compile!"});
}

} // namespace zeva::test

namespace zeva::test {

TEST_F(CompilerTest, ProceduresOutsideEveryUnitBelongToNoProgram) {
  // The root's "compileThis" makes everything below it "in a unit", but
  // only a selected package makes a Transformation: a procedure outside
  // every selected one is compiled with a null transformation, and each
  // link to it is refused with a dialog.
  ObjectId m = model();
  setAttr(m, "compileThis", "true");
  ObjectId plain = package(m, "plain", false);
  straightProcedure(plain, "orphan");
  straightProcedure(package(m, "a"), "p");
  compile();
  std::vector<std::string> procs;
  for (ObjectId pf : all("ProcFunct"))
    procs.push_back(attr(pf, "name1") + ":" +
                    std::to_string(partners(pf, "transformation").size()));
  EXPECT_EQ(procs, (std::vector<std::string>{"plain_orphan:0", "a_p:1"}));
  EXPECT_EQ(dialogs(), std::vector<std::string>{"Null in AddLink."});
  EXPECT_TRUE(messages().empty());
}

} // namespace zeva::test

namespace zeva::test {

// A host may compile many times in one process: what a run caches or
// records is dropped when the next one starts, so the tenth run holds no
// more than the second.
TEST_F(CompilerTest, RepeatedRunsDoNotAccumulate) {
  zrep::LoadResult loaded = zrep::loadRepositoryFile(
      std::string(ZEVA_SOURCE_DIR) + "/examples/library/model.json");
  ASSERT_TRUE(loaded.repo);
  zrep::connect(loaded.repo.get());
  std::vector<std::size_t> cached, objects;
  for (int run = 0; run < 10; ++run) {
    compile();
    cached.push_back(kel::RepositoryUser::cachedListCount());
    objects.push_back(loaded.repo->objectCount());
  }
  zrep::connect(&repo);
  EXPECT_GT(cached[1], 0u);
  EXPECT_EQ(cached[9], cached[1]);
  EXPECT_EQ(objects[9], objects[1]);
}

} // namespace zeva::test
