//===- live_index.h - Skip known-dead entries of cached lists ---*- C++ -*-===//
//
// Cached object and partner lists keep removed entries in place, so that the
// indices held by running iterations stay valid. A search for the next usable
// entry would then walk every removed entry again and again; this index links
// each known-dead entry forward (union-find with path compression), so a
// search costs almost nothing however many entries lie dead before it. Most
// lists are short: up to 32 entries, the dead ones are bits of one word.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

namespace kel {

class LiveIndex {
public:
  void clear() {
    next_.reset();
    deadBits_ = 0;
    size_ = 0;
  }
  void append() {
    if (!next_ && deadBits_ && size_ == kBits)
      link();
    if (next_)
      next_->push_back(size_);
    ++size_;
  }
  /// Entry `i` will never be usable again.
  void markDead(std::size_t i) {
    if (i >= size_)
      return;
    if (!next_ && size_ <= kBits) {
      deadBits_ |= std::uint32_t(1) << i;
      return;
    }
    if (!next_)
      link();
    (*next_)[i] = static_cast<std::uint32_t>(i + 1);
  }
  /// Forgets the first `k` entries, all known dead: entry k becomes entry 0.
  void dropFront(std::size_t k) {
    size_ -= static_cast<std::uint32_t>(k);
    if (!next_) {
      deadBits_ = k < kBits ? deadBits_ >> k : 0;
      return;
    }
    std::vector<std::uint32_t> &next = *next_;
    next.erase(next.begin(), next.begin() + static_cast<std::ptrdiff_t>(k));
    // Links only lead forward, so every one left leads to k or beyond.
    for (std::uint32_t &to : next)
      to -= static_cast<std::uint32_t>(k);
  }
  /// The first entry at or after `i` not known to be dead; `i` itself when
  /// it lies beyond the end.
  std::size_t firstFrom(std::size_t i) {
    if (!next_) {
      if (!deadBits_ || i >= kBits)
        return i;
      std::uint32_t live = ~deadBits_ & (~std::uint32_t(0) << i);
      return live ? static_cast<std::size_t>(std::countr_zero(live)) : kBits;
    }
    std::vector<std::uint32_t> &next = *next_;
    std::size_t n = next.size(), root = i;
    while (root < n && next[root] != root)
      root = next[root];
    while (i < root) {
      std::size_t up = next[i];
      next[i] = static_cast<std::uint32_t>(root);
      i = up;
    }
    return root;
  }

private:
  static constexpr std::uint32_t kBits = 32;

  /// Moves the dead bits into links, for a list outgrowing one word.
  void link() {
    next_ = std::make_unique<std::vector<std::uint32_t>>(size_);
    std::iota(next_->begin(), next_->end(), 0u);
    for (std::uint32_t i = 0; i < size_ && i < kBits; ++i)
      if (deadBits_ >> i & 1)
        (*next_)[i] = i + 1;
    deadBits_ = 0;
  }

  /// next[i] == i: not known dead. Made when a list of more than 32
  /// entries has one die: most lists never lose an entry.
  std::unique_ptr<std::vector<std::uint32_t>> next_;
  /// Entries known dead, while there is no next_ (and then at most 32).
  std::uint32_t deadBits_ = 0;
  std::uint32_t size_ = 0;
};

} // namespace kel
