#include "runtime_fixture.h"
#include "transprg.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

namespace {
std::function<void()> gMain;
} // namespace

// The compiler's Main, replaced for these tests.
void zeva::Main() { gMain(); }

namespace kel::test {

namespace {

std::string traceLog() {
  std::ifstream in("Kel_trace.txt");
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

} // namespace

TEST_F(RuntimeTest, AnAbortedRunStillCommitsWhatItWrote) {
  ObjectId made = 0;
  std::int32_t generation = RepositoryUser::generation();
  gMain = [&] {
    EXPECT_TRUE(repo.inTransaction());
    EXPECT_EQ(RepositoryUser::generation(), generation + 1);
    Kel_Var_2 guard("Utility::CompilerMessages");
    AddObj(guard, "Utility::CompilerMessages");
    SetAttrStr(guard, "text", "ZEVA compiler has crashed!");
    made = CurId(guard);
    Kel_Var_2 none("ZEVA::Rule");
    GetAttrStr(none, "constraint"); // aborts the run
    ADD_FAILURE() << "the run went on after an abort";
  };
  Kel_LibMain();
  EXPECT_FALSE(repo.inTransaction());
  ASSERT_TRUE(repo.exists(made));
  EXPECT_EQ(dialogs().back(),
            "Attempt to use unexisting object\nProgramm will now exit !");

  // Internal errors and any other exception end the run the same way.
  gMain = [] { throw std::runtime_error("boom"); };
  Kel_LibMain();
  gMain = [] { SetAttrStr(Kel_Var_2("ZEVA::Rule"), "x", "y"); };
  Kel_LibMain();
  EXPECT_FALSE(repo.inTransaction());
}

TEST_F(RuntimeTest, RunsAreSeparatedAndTransactionFailuresReported) {
  make("ZEVA::Rule");
  Kel_Var_2 kept("ZEVA::Rule");
  gMain = [&] { ASSERT_TRUE(First(kept, "ZEVA::Rule")); };
  Kel_LibMain();
  bool nullInSecondRun = false;
  gMain = [&] { nullInSecondRun = IsNull(kept); };
  Kel_LibMain();
  EXPECT_TRUE(nullInSecondRun);

  bool ran = false;
  gMain = [&] { ran = true; };
  zrep::failNextTransactionStep(true, false);
  Kel_LibMain();
  EXPECT_FALSE(ran);
  EXPECT_EQ(dialogs().back(), "transaction was NOT started \n");
  zrep::failNextTransactionStep(false, true);
  Kel_LibMain();
  EXPECT_TRUE(ran);
  EXPECT_EQ(dialogs().back(), "transaction was NOT Ended \n");
  repo.commitTransaction();
}

TEST_F(RuntimeTest, TraceLogIsSharedByTheRunsOfOneProcess) {
  gMain = [] { RepositoryUser::reportError("first run"); };
  Kel_LibMain();
  gMain = [] { RepositoryUser::reportError("second run"); };
  Kel_LibMain();
  std::string log = traceLog();
  EXPECT_NE(log.find("\n!!! first run\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\n!!! second run\n"), std::string::npos) << log;

  // A new process starts the log afresh.
  ASSERT_EQ(std::system("'" TRACE_PROBE "' probe-one"), 0);
  ASSERT_EQ(std::system("'" TRACE_PROBE "' probe-two"), 0);
  EXPECT_EQ(traceLog(), "\n!!! probe-two\n");
}

} // namespace kel::test
