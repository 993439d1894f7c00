//===- block_pool.h - Small arrays carved from shared chunks ----*- C++ -*-===//
//
// Blocks of up to 256 elements, named by 32-bit handles. Blocks are cut from
// chunks of 64K elements and recycled through one free list per size class;
// they never move, and no block costs a heap allocation of its own. Handle 0
// is never given out, so it can stand for "no block".
//
//===----------------------------------------------------------------------===//
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zrep {

template <class T> class BlockPool {
public:
  static constexpr unsigned kClasses = 24;
  static constexpr std::uint32_t kMaxBlock = 256;

  /// Capacity of size class `c`: every size up to 16, then steps of half.
  static constexpr std::uint32_t capacity(unsigned c) {
    constexpr std::uint32_t caps[kClasses] = {
        1,  2,  3,  4,  5,  6,  7,  8,  9,  10,  11,  12,
        13, 14, 15, 16, 24, 32, 48, 64, 96, 128, 192, 256};
    return caps[c];
  }
  /// The smallest class holding `n` (1 <= n <= kMaxBlock) elements.
  static unsigned classFor(std::uint32_t n) {
    if (n <= 16)
      return n - 1;
    unsigned c = 16;
    while (capacity(c) < n)
      ++c;
    return c;
  }

  std::uint32_t allocate(unsigned c) {
    std::vector<std::uint32_t> &free = free_[c];
    if (!free.empty()) {
      std::uint32_t h = free.back();
      free.pop_back();
      return h;
    }
    std::uint32_t n = capacity(c);
    // A block that does not fit the rest of its chunk starts the next one.
    if ((next_ & kChunkMask) + n > kChunkSize)
      next_ = (next_ | kChunkMask) + 1;
    while ((next_ >> kChunkBits) >= chunks_.size())
      chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunkSize));
    std::uint32_t h = next_;
    next_ += n;
    return h;
  }

  void release(std::uint32_t h, unsigned c) { free_[c].push_back(h); }

  T *at(std::uint32_t h) {
    return chunks_[h >> kChunkBits].get() + (h & kChunkMask);
  }
  const T *at(std::uint32_t h) const {
    return chunks_[h >> kChunkBits].get() + (h & kChunkMask);
  }

  std::size_t bytes() const {
    std::size_t n = chunks_.size() * kChunkSize * sizeof(T);
    for (const auto &f : free_)
      n += f.capacity() * sizeof(std::uint32_t);
    return n;
  }

private:
  static constexpr unsigned kChunkBits = 16;
  static constexpr std::uint32_t kChunkSize = 1u << kChunkBits;
  static constexpr std::uint32_t kChunkMask = kChunkSize - 1;

  std::vector<std::unique_ptr<T[]>> chunks_;
  std::uint32_t next_ = 1; ///< First element never handed out; 0 stays unused.
  std::array<std::vector<std::uint32_t>, kClasses> free_;
};

} // namespace zrep
