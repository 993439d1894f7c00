// Runs the zevac binary as a user would.
#include "cli.h"

#include <algorithm>
#include <vector>

namespace {

using namespace clitest;

class ZevacTest : public ScratchTest {};

// A unit whose procedure's start node leads nowhere (message 68), plus an
// old message that the run clears.
const char *kWithMessages = R"({"format": "zeva-repository", "version": 1,
 "objects": [
  {"id": 1, "class": "ZEVA::Model", "attrs": {"name": "Lib"},
   "links": {"ownedMember": [2]}},
  {"id": 2, "class": "ZEVA::Package",
   "attrs": {"name": "lib", "isUnit": true, "compileThis": true},
   "links": {"ownedMember": [3]}},
  {"id": 3, "class": "ZEVA::ZEVAprocedure", "attrs": {"name": "copyBooks"},
   "links": {"ownedElement": [4]}},
  {"id": 4, "class": "ZEVA::Start"},
  {"id": 5, "class": "Utility::CompilerMessages",
   "attrs": {"text": "9 - From an earlier run", "CompilerMessageType": "Warning"}},
  {"id": 6, "class": "project::Project",
   "attrs": {"name": "Lib", "path": "out/deep/Lib.project"}}
 ]})";

} // namespace

TEST_F(ZevacTest, CheckReportsValidityAndWritesNothing) {
  write("ok.json", kWithMessages);
  Result ok = zevac("check ok.json", dir);
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out, "ok.json: valid, 6 objects\n");

  std::string bad = R"({"format": "zeva-repository", "version": 1,
    "objects": [{"id": 1, "class": "Nope"}, {"id": 2, "class": "Skom",
    "attrs": {"txt": "x"}}]})";
  write("bad.json", bad);
  for (const char *cmd : {"check bad.json", "compile bad.json -o out.json"}) {
    Result r = zevac(cmd, dir);
    EXPECT_EQ(r.status, 2) << cmd;
    EXPECT_NE(r.out.find("bad.json: error: object 1 (objects[0]): unknown "
                         "class \"Nope\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("object 2 (objects[1]): attrs.txt"),
              std::string::npos);
  }
  EXPECT_EQ(slurp(dir / "bad.json"), bad);
  EXPECT_FALSE(fs::exists(dir / "out.json"));
  EXPECT_EQ(zevac("check missing.json", dir).status, 2);
}

TEST_F(ZevacTest, CompileSavesPrintsMessagesAndSetsStatus) {
  write("m.json", kWithMessages);
  Result r = zevac("compile m.json -o out.json --stats", dir);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("m.json: error: 68 - No outgoing control flow! "
                       "[ZEVA::Start #4 lib_copyBooks]\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("earlier run"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("zevac: stats: load "), std::string::npos);
  EXPECT_NE(r.out.find(" ms, objects 6 before, "), std::string::npos);
  // The project folder was made and the script written into it.
  EXPECT_EQ(
      slurp(dir / "out" / "deep" / ".zeva" / "Lib" / "kel" / "MMscript.txt"),
      "MMDefStart;\nMMDefEnd;");
  EXPECT_EQ(zevac("check out.json", dir).status, 0);

  Result quiet = zevac("compile m.json --quiet", dir);
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "");
  EXPECT_NE(slurp(dir / "m.json").find("\"lib_copyBooks\""), std::string::npos)
      << "saved back in place";

  // Nothing selected: a warning on the model, and success.
  std::string unselected = kWithMessages;
  std::string on = "\"compileThis\": true";
  unselected.replace(unselected.find(on), on.size(), "\"compileThis\": false");
  write("n.json", unselected);
  Result warn = zevac("compile n.json", dir);
  EXPECT_EQ(warn.status, 0) << warn.out;
  EXPECT_EQ(warn.out, "zevac: wrote out/deep/.zeva/Lib/kel/MMscript.txt\n"
                      "n.json: warning: 64 - Nothing selected to compile! "
                      "[ZEVA::Model #1]\nzevac: note: run 'zevac explain 64' "
                      "to learn more about message 64\n");
}

// The script beside the repository replaces whatever is at its place, and
// a script that cannot be written is an error of the run.
TEST_F(ZevacTest, MetamodelScriptIsReplacedOrReported) {
  write("m.json", kWithMessages);
  fs::path kel = dir / "out" / "deep" / ".zeva" / "Lib" / "kel";
  fs::create_directories(kel);
  write("victim.txt", "keep");
  fs::create_symlink(dir / "victim.txt", kel / "MMscript.txt");
  Result r = zevac("compile m.json -o o.json", dir);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(slurp(dir / "victim.txt"), "keep");
  EXPECT_FALSE(fs::is_symlink(kel / "MMscript.txt"));
  EXPECT_EQ(slurp(kel / "MMscript.txt"), "MMDefStart;\nMMDefEnd;");

  fs::remove(kel / "MMscript.txt");
  fs::create_directory(kel / "MMscript.txt");
  for (const char *quiet : {"", " --quiet"}) {
    Result failed = zevac(std::string("compile m.json -o o.json") + quiet, dir);
    EXPECT_EQ(failed.status, 1) << failed.out;
    EXPECT_NE(failed.out.find("zevac: error: could not write "
                              "out/deep/.zeva/Lib/kel/MMscript.txt: Is a "
                              "directory\n"),
              std::string::npos)
        << failed.out;
  }
  // Compiled in place through a symbolic link, the model it leads to is
  // compiled and the link stays.
  fs::create_symlink("m.json", dir / "link.json");
  EXPECT_EQ(zevac("compile link.json --quiet", dir).status, 1);
  EXPECT_TRUE(fs::is_symlink(dir / "link.json"));
  EXPECT_NE(slurp(dir / "m.json").find("Transformation"), std::string::npos);
}

TEST_F(ZevacTest, StandardOutputThatCannotBeWritten) {
  write("m.json", kWithMessages);
  for (const char *cmd : {"metamodel", "check m.json", "explain 57",
                          "compile m.json -o o.json --listing -"}) {
    Result r = zevac(cmd, dir, "2>&1 >/dev/full");
    EXPECT_EQ(r.status, 2) << cmd;
    EXPECT_NE(r.out.find(" to standard output: No space left on device\n"),
              std::string::npos)
        << cmd << "\n"
        << r.out;
  }
  // A reader that stops early: the run still prints its messages and
  // statistics and exits as usual.
  std::string big = R"({"format": "zeva-repository", "version": 1,
    "objects": [{"id": 1, "class": "ZEVA::Model", "attrs": {"name": "Big"}},
    {"id": 2, "class": "ZEVA::Package", "attrs": {"name": "big",
     "isUnit": true, "compileThis": true},
     "links": {"owningPackage": [1]}})";
  for (int i = 10; i < 3010; ++i)
    big += ",\n{\"id\": " + std::to_string(i) +
           R"(, "class": "ZEVA::ZEVAprocedure", "attrs": {"name": )" +
           "\"procedure_with_a_rather_long_name_" + std::to_string(i) +
           R"("}, "links": {"owningPackage": [2]}})";
  write("big.json", big + "]}");
  Result piped = run("{ ('" ZEVAC_BINARY "' compile big.json -o o.json "
                     "--listing - --stats; echo status $? >&2) | head -1; }",
                     dir);
  EXPECT_NE(piped.out.find("zevac: stats: "), std::string::npos) << piped.out;
  EXPECT_NE(piped.out.find("status 0\n"), std::string::npos) << piped.out;
}

TEST_F(ZevacTest, UsageAndMetamodel) {
  EXPECT_EQ(zevac("", dir).status, 2);
  EXPECT_EQ(zevac("compile", dir).status, 2);
  EXPECT_EQ(zevac("frobnicate", dir).status, 2);
  EXPECT_EQ(zevac("metamodel --format xml", dir).status, 2);
  Result help = zevac("--help", dir);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("compile"), std::string::npos);
  Result version = zevac("--version", dir);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("zevac ", 0), 0u);

  Result json = zevac("metamodel", dir);
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.out.rfind("{", 0), 0u);
  EXPECT_NE(json.out.find(R"("name": "ZEVA::ForeachLoop")"), std::string::npos);
  EXPECT_NE(json.out.find(R"("superclass": "ZEVA::Loop")"), std::string::npos);
  EXPECT_NE(json.out.find(R"("enumerations")"), std::string::npos);
  Result md = zevac("metamodel --format md", dir);
  EXPECT_NE(md.out.find("## Kom*\n"), std::string::npos)
      << md.out.substr(0, 300);
  // Every member of the model's classes (named Package::Class) says what it
  // means.
  std::istringstream lines(md.out);
  bool modelClass = false;
  int members = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("## ", 0) == 0)
      modelClass = line.find("::") != std::string::npos;
    else if (modelClass && (line.rfind("- attribute ", 0) == 0 ||
                            line.rfind("- end ", 0) == 0)) {
      EXPECT_NE(line.find(". "), std::string::npos) << line;
      ++members;
    }
  }
  EXPECT_GT(members, 100);
}

TEST_F(ZevacTest, CompileRunsTheCompilerModule) {
  std::string model =
      slurp(fs::path(ZEVA_SOURCE_DIR) / "examples" / "library" / "model.json");
  write("lib.json", model);
  Result r = zevac("compile lib.json -o out.json --stats", dir);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("crashed"), std::string::npos) << r.out;
  EXPECT_EQ(zevac("check out.json", dir).status, 0);

  Result bad = zevac("compile lib.json --module /nonexistent/mod.so", dir);
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.out.find("zevac: error: cannot load the compiler module"),
            std::string::npos)
      << bad.out;
  EXPECT_EQ(slurp(dir / "lib.json"), model) << "nothing saved after a failure";
}

TEST(CompilerModule, ExportsEntryPointsAndNothingInternal) {
  FILE *p = ::popen("nm -D --defined-only '" ZEVA_MODULE "'", "r");
  ASSERT_NE(p, nullptr);
  std::string symbols;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
    symbols.append(buf, n);
  ASSERT_EQ(::pclose(p), 0);
  for (const char *exported :
       {" T Kel_LibMain\n",
        " T Kel_Func_Main\n",
        " T Kel_Func_toUpper\n",
        " T Kel_Func_SubString\n",
        " T Kel_Func_elapsedNthTimeString\n",
        " T Kel_Func_IsAttrValEmpty\n",
        " T Kel_var_Initialize\n",
        " T Kel_var_Finalize\n",
        " T Userdefinednativefunctions_Initialize\n",
        " B _elemVar__TARGET_\n",
        " T Kel_Func_CreateFlowEndBodyRule\n",
        " T Kel_Func_PrintRulePattern\n",
        " T Kel_Func_PrintPatternElement\n",
        " T Kel_Func_FindRootNode\n",
        " T Kel_Func_MarkClassElement\n",
        " T Kel_Func_MarkAssocLink\n",
        " T Kel_Func_PrintConstraint\n",
        " T Kel_Func_PrintActionPart\n",
        " T Kel_Func_CreateTypeNotEqualCommandsForSubClasses\n",
        " T Kel_Func_IsLinkToClassElementToAbstractClass\n",
        " T Kel_Func_GetLexems\n",
        " T Kel_Func_divideIntoLexems\n",
        " T Kel_Func_TrimLexems\n",
        " T Kel_Func_findLexem\n",
        " T Kel_Func_findFirstLexem\n",
        " T Kel_Func_findLastLexem\n",
        " T Kel_Func_findEndOfExpression\n",
        " T Kel_Func_PrintExpression\n",
        " T Kel_Func_GetExpressionType\n",
        " T Kel_Func_printOneArgumentFunction\n",
        " T Kel_Func_PrintBooleanExpression\n",
        " T Kel_Func_PrintAssignment\n",
        " T Kel_Func_addControlFlowDebugInformationToProcedure\n",
        " T Kel_Func_addPatternMatchingInformationToProcedure\n",
        " T Kel_Func_addActionPartInformationToProcedure\n",
        " T Kel_Func_addIndentToDebugTraceFile\n",
        " T Kel_Func_addIncreaseDecreaseIdentToDebugTraceFile\n",
        " T Kel_Func_addReferencableElementDebugInformation\n",
        " T Kel_Func_addPointerAttributeDebugInformation\n",
        " T Kel_Func_addTimingInformationToProcedure\n",
        " T Kel_Func_addTimingInformationToRETURN\n"})
    EXPECT_NE(symbols.find(exported), std::string::npos) << exported;
  // The runtime's and the compiler's own C++ symbols stay hidden.
  for (const char *internal : {"_ZN3kel", "_ZN4zeva", "_ZN4zrep"})
    EXPECT_EQ(symbols.find(internal), std::string::npos) << internal;
}

// New objects take ids above the largest in use. Without one left the file
// is refused; a run that uses up the last one stops and says so.
TEST_F(ZevacTest, RunningOutOfObjectIdsIsAnError) {
  struct Case {
    const char *lastId;
    int status;
    std::vector<std::string> lines; // each must show up, in this order
    bool saved;
  } cases[] = {
      {"2147483647",
       2,
       {"m.json: error: no object id is left for the compiler's objects: the "
        "file uses the largest id, 2147483647\n"},
       false},
      {"2147483640",
       1,
       {"zevac: dialog: No object id is left for a new ",
        " object: every id up to 2147483647 is used.\nProgramm will now exit "
        "!\n",
        "m.json: error: the compilation ran out of object ids (every id up to "
        "2147483647 is used) and stopped; its program is incomplete\n",
        "m.json: error: ZEVA compiler has crashed!\n"},
       true},
      {"2147480000",
       1,
       {"m.json: error: 68 - No outgoing control flow!"},
       true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.lastId);
    std::string model = kWithMessages;
    model.insert(model.rfind(']'), std::string(R"(, {"id": )") + c.lastId +
                                       R"(, "class": "Kernel::Model"})");
    write("m.json", model);
    fs::remove(dir / "out.json");
    Result r = zevac("compile m.json -o out.json", dir);
    EXPECT_EQ(r.status, c.status) << r.out;
    std::size_t at = 0;
    for (const std::string &line : c.lines) {
      at = r.out.find(line, at);
      ASSERT_NE(at, std::string::npos) << line << "\nin:\n" << r.out;
    }
    EXPECT_EQ(r.out.find("ran out") != std::string::npos, c.lines.size() > 1);
    EXPECT_EQ(fs::exists(dir / "out.json"), c.saved);
  }
}

TEST_F(ZevacTest, TextsAreWholeUtf8CharactersOrNothingIsSaved) {
  // The compiler's project path drops the last 11 characters of "path",
  // and the folder the host makes for it must be the same.
  std::string model = kWithMessages;
  model.replace(model.find("Lib.project"), 11, "Ünïcödé.zvp");
  write("m.json", model);
  EXPECT_EQ(zevac("compile m.json -o o.json", dir).status, 1);
  EXPECT_TRUE(fs::exists(dir / "out" / "deep" / ".zeva" / "Lib" / "kel" /
                         "MMscript.txt"));

  // A run that leaves a text the loader would refuse saves nothing.
  fs::remove_all(dir / "out");
  Result r = zevac("compile m.json --module '" BAD_TEXT_MODULE "'", dir);
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_NE(r.out.find("m.json: error: object 7 (Utility::CompilerMessages), "
                       "attribute \"text\": the value is not valid UTF-8; "
                       "nothing was saved\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("m.json: error: 20 - An unknown identifier \"\\xC8\" "
                       "!\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(slurp(dir / "m.json"), model);
  std::vector<std::string> files;
  for (const auto &e : fs::directory_iterator(dir))
    files.push_back(e.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"m.json", "o.json"}));
}

TEST_F(ZevacTest, RefusalsAreOneLineAndWriteNothing) {
  write("m.json", kWithMessages);
  std::string escaping = kWithMessages;
  escaping.replace(escaping.find("\"Lib\"}"), 5, "\"../../escape\"");
  write("escape.json", escaping);
  std::string unnamed = kWithMessages;
  unnamed.replace(unnamed.find("\"Lib\"}"), 5, "\"\"");
  write("unnamed.json", unnamed);
  fs::create_directory(dir / "folder");
  fs::create_symlink("m.json", dir / "link.json");
  const char *messages = "m.json: error: 68 - No outgoing control flow!";
  struct Case {
    const char *args;
    const char *expected;
    const char *absent; ///< Must not exist afterwards.
    bool ran = false;   ///< The compiler ran: its messages are printed.
  } cases[] = {
      {"compile m.json --listing m.json",
       "zevac: error: the listing 'm.json' is the repository file", "out"},
      {"compile m.json -o o.json --listing ./link.json",
       "zevac: error: the listing './link.json' is the repository file",
       "o.json"},
      {"compile m.json -o o.json --listing o.json",
       "the listing 'o.json' is the repository file", "o.json"},
      {"compile m.json -o o.json --listing no/l.txt",
       "no/l.txt: error: cannot write the listing: No such file or directory",
       "out"},
      {"compile m.json -o no/o.json --listing l.txt",
       "no/o.json: error: cannot create a temporary file beside", "l.txt",
       true},
      {"compile m.json -o folder", "'folder' is not a regular file", "out",
       true},
      {"check folder", "folder: error: not a regular file", nullptr},
      {"compile /dev/zero", "/dev/zero: error: not a regular file", nullptr},
      {"compile escape.json -o o.json",
       "escape.json: error: the model name \"../../escape\" is not a folder "
       "name",
       "o.json"},
      {"compile unnamed.json -o o.json",
       "unnamed.json: error: the model name \"\" is not a folder name",
       "o.json"},
      {"compile m.json -o ''", "--output: an empty file name", nullptr},
      {"compile m.json -o o.json --listing ''", "--listing: an empty file name",
       "o.json"},
      {"compile m.json -o o.json --listing /dev/full",
       "/dev/full: error: cannot write the listing", nullptr, true},
  };
  for (const Case &c : cases) {
    Result r = zevac(c.args, dir);
    EXPECT_EQ(r.status, 2) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << c.args << "\n"
                                                         << r.out;
    EXPECT_EQ(r.out.find(messages) != std::string::npos, c.ran) << c.args;
    EXPECT_TRUE(!c.absent || !fs::exists(dir / c.absent)) << c.args;
  }
  EXPECT_EQ(slurp(dir / "m.json"), kWithMessages);
  EXPECT_FALSE(fs::exists(dir.parent_path().parent_path() / "escape"));

  // Names from the model reach the terminal escaped, in the messages and in
  // the listing.
  std::string named = kWithMessages;
  named.replace(named.find("copyBooks"), 9, "copy\\nBooks\\u001b[2J");
  write("named.json", named);
  Result r = zevac("compile named.json -o o.json --listing -", dir);
  EXPECT_NE(r.out.find("[ZEVA::Start #4 lib_copy\\nBooks\\x1B[2J]\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  procedure lib_copy\\nBooks\\x1B[2J()\n"),
            std::string::npos)
      << r.out;
}

// Values that load but do not mean what they seem to are warned about, one
// line each; the values that mean what they say are not.
TEST_F(ZevacTest, MisleadingValuesAreWarnedAboutOnLoad) {
  write("m.json", R"({"format": "zeva-repository", "version": 1, "objects": [
    {"id": 1, "class": "ZEVA::Package",
     "attrs": {"isUnit": "True", "compileThis": "yes", "doNotCompile": "1"}},
    {"id": 2, "class": "ZEVA::Package",
     "attrs": {"isUnit": true, "compileThis": false, "doNotCompile": "0"}},
    {"id": 3, "class": "ZEVA::ClassElement",
     "attrs": {"constraint": "n = ȸ\n"}},
    {"id": 4, "class": "ZEVA::Assignment", "attrs": {"expr": "a +\r\nb"}},
    {"id": 5, "class": "ZEVA::CallParam",
     "attrs": {"expr": "\n\"x\ny\"\n+ \"z\"\r\n+ c\n"}},
    {"id": 6, "class": "ZEVA::TextStatement",
     "attrs": {"constraint": "n = 1 and\nn = 2"}}]})");
  const char *w = "m.json: warning: object #";
  const char *lost = " ends in a line feed without a carriage return; the "
                     "expression lexer takes a line feed together with the "
                     "character before it (the carriage return of a CR LF "
                     "pair), so ";
  std::string expected =
      std::string(w) +
      "1 (ZEVA::Package) attribute isUnit: \"True\" is neither \"true\" nor "
      "\"false\" and reads as false\n" +
      w +
      "1 (ZEVA::Package) attribute compileThis: \"yes\" is neither \"true\" "
      "nor \"false\" and reads as false\n" +
      w +
      "2 (ZEVA::Package) attribute doNotCompile: \"0\" is neither \"true\" "
      "nor \"false\" and reads as false\n" +
      w + "3 (ZEVA::ClassElement) attribute constraint: line 1" + lost +
      "\"ȸ\" is lost: end the lines with CR LF\n" + w +
      "5 (ZEVA::CallParam) attribute expr: line 5" + lost +
      "\"c\" is lost: end the lines with CR LF\n" + w +
      "6 (ZEVA::TextStatement) attribute constraint: line 1" + lost +
      "\"d\" is lost: end the lines with CR LF\n";
  Result check = zevac("check m.json", dir);
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.out, expected + "m.json: valid, 6 objects\n");
  Result compile = zevac("compile m.json -o o.json", dir);
  EXPECT_EQ(compile.out.rfind(expected, 0), 0u) << compile.out;
  EXPECT_EQ(zevac("compile m.json -o o.json --quiet", dir).out, "");
}
