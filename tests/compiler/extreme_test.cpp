// Valid models of extreme shape compile without a fault: as deep as the
// benchmarks make them for nesting, smaller where the full size would take
// long in a sanitized build.
#include "compiler_fixture.h"

#include "extreme_models.h"

#include <cstdlib>

namespace zeva::test {

namespace {

std::string repeated(const std::string &piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i)
    out += piece;
  return out;
}

/// So many objects of `cls` have an `attribute` that starts with `prefix`.
struct Expect {
  const char *cls, *attribute;
  std::string prefix;
  std::size_t count;
};

struct Case {
  extreme::Shape shape;
  int n, large; ///< the size tested, and with ZEVA_EXTREME_LARGE set
  std::vector<Expect> (*expect)(int n);
  bool manyMains = false; ///< all mains but the first get message 50
};

// The nesting depths of the benchmarks take over a minute in a sanitized
// build; ZEVA_EXTREME_LARGE=1 runs every shape at the benchmark's size.
const Case kCases[] = {
    {extreme::Shape::Packages, 10000, 100000,
     [](int n) -> std::vector<Expect> {
       std::string unit = repeated("p_", n - 1) + "u";
       return {{"Transformation", "name1", unit, 1},
               {"ProcFunct", "name1", unit + "_main", 1},
               {"Po", "type1", repeated("k::", n) + "D", 2}};
     }},
    // Each class below A is excluded twice: along the link, and by isKindOf.
    {extreme::Shape::Classes, 10000, 100000,
     [](int n) -> std::vector<Expect> {
       return {{"Ekom", "text", "type x!=", std::size_t(2 * n)}};
     }},
    {extreme::Shape::Pattern, 2000, 100000,
     [](int n) -> std::vector<Expect> {
       return {{"FNkom", "name1", "x", std::size_t(n)}};
     }},
    {extreme::Shape::Expression, 1 << 14, 1 << 20,
     [](int) -> std::vector<Expect> {
       return {{"Skom", "text", "setAttr x.n=", 1}};
     }},
    {extreme::Shape::Brackets, 1 << 14, 1 << 20,
     [](int n) -> std::vector<Expect> {
       return {{"Brack", "val", "(", std::size_t(n / 2)}};
     }},
    {extreme::Shape::FlowEnds, 1000, 100000,
     [](int n) -> std::vector<Expect> {
       return {{"Skom", "text", "call u_q(", std::size_t(n / 3)}};
     }},
    {extreme::Shape::Parameters, 1000, 30000,
     [](int n) -> std::vector<Expect> {
       return {{"Parameter", "name1", "arg", std::size_t(2 * n)}};
     }},
    {extreme::Shape::Mains, 40, 500,
     [](int n) -> std::vector<Expect> {
       return {{"Directive", "val", "use", std::size_t(n * n)}};
     },
     true},
};

class ExtremeTest : public CompilerTest,
                    public ::testing::WithParamInterface<Case> {};

TEST_P(ExtremeTest, Compiles) {
  const Case &c = GetParam();
  int n = std::getenv("ZEVA_EXTREME_LARGE") ? c.large : c.n;
  extreme::build(repo, c.shape, n);
  compile();
  EXPECT_EQ(dialogs(), std::vector<std::string>{});
  EXPECT_EQ(messages(), std::vector<std::string>(
                            c.manyMains ? n - 1 : 0,
                            "50 - There are more than one main procedure!"));
  for (const Expect &e : c.expect(n)) {
    std::size_t found = 0;
    for (ObjectId id : all(e.cls))
      found += attr(id, e.attribute).rfind(e.prefix, 0) == 0;
    EXPECT_EQ(found, e.count) << e.cls << "." << e.attribute;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ExtremeTest, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<Case> &info) {
      return extreme::shapes()[static_cast<int>(info.param.shape)].name;
    });

} // namespace
} // namespace zeva::test
