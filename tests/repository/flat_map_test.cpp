#include "flat_map.h"

#include <gtest/gtest.h>

#include <random>
#include <unordered_map>

namespace {

/// A deliberately poor hash that crowds keys into long probe runs, so that
/// deletions must shift entries across runs and around the array's end.
struct Crowded {
  std::size_t operator()(int k) const noexcept {
    return ~std::size_t{0} - static_cast<std::size_t>(k % 7) * 3;
  }
};

} // namespace

TEST(FlatMap, AgreesWithStdMapUnderRandomInsertAndErase) {
  zrep::FlatMap<int, int, Crowded> map;
  std::unordered_map<int, int> ref;
  std::mt19937 rng(42);
  for (int step = 0; step < 20000; ++step) {
    int key = static_cast<int>(rng() % 300);
    if (rng() % 3 == 0) {
      EXPECT_EQ(map.erase(key), ref.erase(key) == 1) << key;
    } else {
      auto [v, fresh] = map.tryEmplace(key);
      EXPECT_EQ(fresh, !ref.count(key)) << key;
      *v = step;
      ref[key] = step;
    }
    if (step % 500 == 0)
      for (int k = 0; k < 300; ++k) {
        const int *v = map.find(k);
        auto it = ref.find(k);
        ASSERT_EQ(v != nullptr, it != ref.end()) << k;
        if (v) {
          EXPECT_EQ(*v, it->second);
        }
      }
  }
  EXPECT_EQ(map.size(), ref.size());
  std::size_t seen = 0;
  map.forEach([&](int k, int v) {
    EXPECT_EQ(ref.at(k), v);
    ++seen;
  });
  EXPECT_EQ(seen, ref.size());
}
