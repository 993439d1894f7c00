#include "partner_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace kel {
namespace {

/// The partners of the live, unskipped entries from entry `from` on.
std::vector<int> live(PartnerList &l, std::size_t from = 0) {
  std::vector<int> out;
  for (std::size_t i = l.firstLive(from); i < l.size(); i = l.firstLive(i + 1))
    if (!l.skipped(i))
      out.push_back(l.partner(i));
  return out;
}

TEST(PartnerListTest, EntriesKeepTheirNumbersWhileDeadOnesAreDropped) {
  PartnerList l;
  for (int p = 1; p <= 3; ++p)
    l.append(p);
  l.append(2); // made again: the old entry is skipped, the new one last
  EXPECT_EQ(l.size(), 4u);
  EXPECT_TRUE(l.skipped(1));
  EXPECT_EQ(l.currentOf(2), 3);
  EXPECT_EQ(live(l), (std::vector<int>{1, 3, 2}));

  // The dead front goes once it outnumbers the rest; later entries keep
  // their numbers and stay searchable by partner, with the index a long
  // list keeps and without it.
  for (int p : {1, 3, 2})
    l.markDead(static_cast<std::size_t>(l.currentOf(p)));
  for (int p = 100; p < 140; ++p) // entries 4 to 43
    l.append(p);
  for (int p = 100; p < 130; ++p)
    l.markDead(static_cast<std::size_t>(l.currentOf(p)));
  EXPECT_EQ(l.currentOf(135), 39);
  l.append(200); // entry 44
  EXPECT_EQ(l.size(), 45u);
  EXPECT_EQ(l.partner(0), 0) << "dropped";
  EXPECT_TRUE(l.skipped(33));
  EXPECT_EQ(l.currentOf(100), -1);
  EXPECT_EQ(l.partner(39), 135);
  EXPECT_EQ(l.currentOf(135), 39);
  EXPECT_EQ(l.currentOf(200), 44);
  EXPECT_EQ(live(l, 40), (std::vector<int>{136, 137, 138, 139, 200}));
  EXPECT_EQ(live(l).front(), 130) << "from a dropped entry on";

  // A partner passed on a thousand times: one live entry at the end.
  int last = 200;
  for (int p = 130; p < 140; ++p)
    l.markDead(static_cast<std::size_t>(l.currentOf(p)));
  for (int p = 1000; p < 2000; ++p) {
    l.append(p);
    l.markDead(static_cast<std::size_t>(l.currentOf(last)));
    last = p;
  }
  EXPECT_EQ(l.size(), 1045u);
  EXPECT_EQ(live(l), (std::vector<int>{1999}));
  EXPECT_EQ(l.currentOf(1999), 1044);
  l.append(1998); // back after its link went
  EXPECT_EQ(l.currentOf(1998), 1045);
  EXPECT_EQ(live(l, 1000), (std::vector<int>{1999, 1998}));

  l.clear();
  EXPECT_EQ(l.size(), 0u);
  int entries[] = {7, 0, 8};
  l.fill(entries, 3);
  EXPECT_EQ(live(l), (std::vector<int>{7, 8}));
  EXPECT_EQ(l.currentOf(8), 1);
}

TEST(LiveIndexTest, DeadEntriesAreSkippedAcrossTheOneWordLimit) {
  // Deaths among the first 32 entries are bits of a word until the list
  // grows past it; then links, which must cover every entry after.
  LiveIndex live;
  for (int i = 0; i < 3; ++i)
    live.append();
  live.markDead(1);
  EXPECT_EQ(live.firstFrom(1), 2u);
  for (int i = 3; i < 40; ++i)
    live.append();
  for (std::size_t i : {2u, 31u, 32u, 33u, 39u})
    live.markDead(i);
  std::vector<std::size_t> order;
  for (std::size_t i = live.firstFrom(0); i < 40; i = live.firstFrom(i + 1))
    order.push_back(i);
  EXPECT_EQ(order.size(), 34u);
  EXPECT_EQ(order[1], 3u);
  EXPECT_EQ(order[28], 30u);
  EXPECT_EQ(order[29], 34u);
  EXPECT_EQ(order.back(), 38u);
  EXPECT_EQ(live.firstFrom(39), 40u);
  live.markDead(0);
  live.dropFront(3);
  EXPECT_EQ(live.firstFrom(0), 0u);
  EXPECT_EQ(live.firstFrom(28), 31u);
}

} // namespace
} // namespace kel
