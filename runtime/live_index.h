//===- live_index.h - Skip known-dead entries of cached lists ---*- C++ -*-===//
//
// Cached object and partner lists keep removed entries in place, so that the
// indices held by running iterations stay valid. A search for the next usable
// entry would then walk every removed entry again and again; this index links
// each known-dead entry forward (union-find with path compression), so a
// search costs almost nothing however many entries lie dead before it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kel {

class LiveIndex {
public:
  void clear() { next_.clear(); }
  void append() { next_.push_back(static_cast<std::uint32_t>(next_.size())); }
  /// Entry `i` will never be usable again.
  void markDead(std::size_t i) {
    if (i < next_.size())
      next_[i] = static_cast<std::uint32_t>(i + 1);
  }
  /// The first entry at or after `i` not known to be dead; size() if none.
  std::size_t firstFrom(std::size_t i) {
    std::size_t n = next_.size(), root = i;
    while (root < n && next_[root] != root)
      root = next_[root];
    while (i < root) {
      std::size_t up = next_[i];
      next_[i] = static_cast<std::uint32_t>(root);
      i = up;
    }
    return root;
  }

private:
  std::vector<std::uint32_t> next_; ///< next_[i] == i: not known dead.
};

} // namespace kel
