//===- id_bits.h - One bit per object id -------------------------*- C++
//-*-===//
//
// A set of object ids as bits in pages of 32,768 ids, made when a page
// gets its first id: ids lie close together, so a few pages hold them.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace kel {

class IdBits {
public:
  bool empty() const { return pages_.empty(); }
  bool has(std::int32_t id) const {
    auto u = static_cast<std::uint32_t>(id);
    std::uint32_t p = u >> kPageBits;
    return p < pages_.size() && pages_[p] &&
           (pages_[p][(u & kPageMask) >> 6] >> (u & 63) & 1);
  }
  void add(std::int32_t id) {
    auto u = static_cast<std::uint32_t>(id);
    std::uint32_t p = u >> kPageBits;
    if (p >= pages_.size())
      pages_.resize(p + 1);
    if (!pages_[p])
      pages_[p] = std::make_unique<std::uint64_t[]>(kPageSize / 64);
    pages_[p][(u & kPageMask) >> 6] |= std::uint64_t(1) << (u & 63);
  }

private:
  static constexpr unsigned kPageBits = 15;
  static constexpr std::uint32_t kPageSize = 1u << kPageBits;
  static constexpr std::uint32_t kPageMask = kPageSize - 1;
  std::vector<std::unique_ptr<std::uint64_t[]>> pages_;
};

} // namespace kel
