//===- id_index.h - Object ids to record slots ------------------*- C++ -*-===//
//
// Ids of a repository are mostly dense (files number their objects upwards,
// new objects count on from the highest id), so the slots are kept in pages
// of 4096 ids: a lookup is two array reads. Ids far beyond the number of
// objects, which would leave pages nearly empty, go to a hash map instead.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "id_map.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zrep {

class IdIndex {
public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  /// The slot of `id`, or kNone.
  std::uint32_t find(std::int32_t id) const {
    auto u = static_cast<std::uint32_t>(id);
    std::uint32_t p = u >> kPageBits;
    if (p < pages_.size() && pages_[p])
      if (std::uint32_t v = pages_[p][u & kPageMask])
        return v - 1;
    if (!sparse_.empty())
      if (const std::uint32_t *v = sparse_.find(u))
        return *v;
    return kNone;
  }

  /// Adds a positive id that is not present.
  void insert(std::int32_t id, std::uint32_t slot) {
    auto u = static_cast<std::uint32_t>(id);
    std::uint32_t p = u >> kPageBits;
    ++size_;
    if (p >= pages_.size() || !pages_[p]) {
      // A new page is worth it while the pages stay within a few times the
      // number of ids; beyond that, the id is an outlier.
      if (u / 4 > size_ + (1u << 16)) {
        sparse_.set(u, slot);
        return;
      }
      if (p >= pages_.size())
        pages_.resize(p + 1);
      pages_[p] = std::make_unique<std::uint32_t[]>(kPageSize);
    }
    pages_[p][u & kPageMask] = slot + 1;
  }

  /// Moves a present id to another slot.
  void update(std::int32_t id, std::uint32_t slot) {
    if (std::uint32_t *v = pageEntry(id); v && *v)
      *v = slot + 1;
    else
      sparse_.set(static_cast<std::uint32_t>(id), slot);
  }

  void erase(std::int32_t id) {
    --size_;
    if (std::uint32_t *v = pageEntry(id); v && *v)
      *v = 0;
    else
      sparse_.erase(static_cast<std::uint32_t>(id));
  }

private:
  static constexpr unsigned kPageBits = 12;
  static constexpr std::uint32_t kPageSize = 1u << kPageBits;
  static constexpr std::uint32_t kPageMask = kPageSize - 1;

  std::uint32_t *pageEntry(std::int32_t id) {
    auto u = static_cast<std::uint32_t>(id);
    std::uint32_t p = u >> kPageBits;
    return p < pages_.size() && pages_[p] ? &pages_[p][u & kPageMask] : nullptr;
  }

  std::vector<std::unique_ptr<std::uint32_t[]>> pages_; ///< slot + 1, 0: none
  IdMap sparse_;
  std::uint32_t size_ = 0;
};

} // namespace zrep
