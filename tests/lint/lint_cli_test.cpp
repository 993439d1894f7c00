// zevac check|compile --lint [--werror], and zevac explain L<code>.
#include "cli.h"

namespace {

using namespace clitest;

class LintCli : public ScratchTest {};

// A rule whose link has its ends swapped (L1); the rest compiles cleanly.
const char *kModel = R"(project T at "out/Project.zvp";
classmodel M {
  package P {
    class Shop { orders: Order [*]; }
    class Order { shop: Shop [1]; }
    association (Shop.orders, Order.shop);
  }
  primitive Boolean;
}
transformation T {
  unit u compile {
    procedure p(s: Shop) {
      def o: Order;
      start;
      rule r {
        s;
        o: Order;
        s -(Order.shop, Shop.orders)-> o;
      }
      end;
      start -> r;
      r -> end;
      r else -> end;
    }
  }
}
)";

const char *kWarning =
    "warning: L1 - the link from s to o has its ends swapped: make destProp "
    "Shop.orders and sourceProp Order.shop";
const char *kNote =
    "zevac: note: run 'zevac explain L1' to learn more about warning L1\n";

TEST_F(LintCli, CheckPrintsWarningsAndWerrorFails) {
  write("m.zeva", kModel);
  ASSERT_EQ(zevac("import m.zeva -o m.json", dir).status, 0);
  Result r = zevac("check m.json --lint", dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, std::string("m.json: ") + kWarning +
                       " [ZEVA::AssocLink #19 u_p]\n" + kNote +
                       "m.json: valid, 23 objects\n");
  // A notation file locates the warning at the link's line and column.
  r = zevac("check m.zeva --lint", dir, "2>&1 >/dev/null");
  EXPECT_EQ(r.out, std::string("m.zeva:18:9: ") + kWarning +
                       " [link in u::p]\n" + kNote);
  // --werror makes any warning fail, and implies --lint; without either,
  // nothing is linted.
  r = zevac("check m.json --werror", dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find(kWarning), std::string::npos);
  r = zevac("check m.json", dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "m.json: valid, 23 objects\n");
}

TEST_F(LintCli, CompileLintChangesNothingInTheOutput) {
  write("m.zeva", kModel);
  Result plain = zevac("compile m.zeva -o plain.json", dir);
  ASSERT_EQ(plain.status, 0) << plain.out;
  Result linted = zevac("compile m.zeva -o linted.json --lint", dir);
  EXPECT_EQ(linted.status, 0);
  EXPECT_EQ(slurp(dir / "plain.json"), slurp(dir / "linted.json"));
  // The warnings come first, before anything else said about the model.
  EXPECT_EQ(linted.out.rfind(std::string("m.zeva:18:9: ") + kWarning, 0), 0u)
      << linted.out;
  EXPECT_EQ(linted.out.substr(linted.out.find(kNote) + strlen(kNote)),
            plain.out);
  Result failed = zevac("compile m.zeva -o werror.json --werror", dir);
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(slurp(dir / "plain.json"), slurp(dir / "werror.json"));
  // --quiet leaves the lines out; the status still tells.
  Result quiet = zevac("compile m.zeva -o q.json --werror --quiet", dir);
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "");
}

TEST_F(LintCli, ExplainWarnings) {
  Result r = zevac("explain L1", dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Warning L1 (lint): association link with swapped "
                        "ends\n\nThe link's ",
                        0),
            0u)
      << r.out;
  for (const char *bad : {"L99", "L0", "L"}) {
    r = zevac(std::string("explain ") + bad, dir, "2>&1 >/dev/null");
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.out.find("zevac: error:"), std::string::npos) << bad;
  }
  r = zevac("explain", dir);
  EXPECT_NE(r.out.find("\n   L1  lint     association link with swapped "
                       "ends\n"),
            std::string::npos)
      << r.out;
}

} // namespace
