// Work done in forked copies of the process: every item comes back in order,
// and a copy that dies costs only the item it died on.

#include "forked_batch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

TEST(ForkedBatch, ItemsComeBackInOrderAndADeathCostsOneItem) {
  const pid_t parent = ::getpid();
  auto make = [parent](std::size_t i) {
    // Items 2 and 3 end their copy, as a crash inside Graphviz would.
    if ((i == 2 || i == 3) && ::getpid() != parent)
      ::_exit(3);
    // Long enough to fill the pipe, so that the parent must read as the
    // copy writes.
    return std::string(100000 + i, static_cast<char>('a' + i));
  };
  std::vector<std::string> texts = zdiagram::makeInForkedCopy(6, make);
  ASSERT_EQ(texts.size(), 6u);
  for (std::size_t i : {0u, 1u, 4u, 5u}) {
    EXPECT_EQ(texts[i].size(), 100000 + i) << i;
    EXPECT_EQ(texts[i].find_first_not_of(static_cast<char>('a' + i)),
              std::string::npos)
        << i;
  }
  EXPECT_TRUE(texts[2].empty());
  EXPECT_TRUE(texts[3].empty());
  EXPECT_TRUE(zdiagram::makeInForkedCopy(0, make).empty());
}

} // namespace
