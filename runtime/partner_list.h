//===- partner_list.h - A cached list of one object's partners --*- C++ -*-===//
//
// The partners of one object along one link type, as iterations over the
// link see them: appended as links are made, never moved, so that the
// entry numbers held by running iterations stay valid. An entry whose link
// is gone stays in place, known dead; once the dead entries at the front
// outnumber the rest they are dropped, keeping their numbers for the
// entries behind them, so that a list whose partners come and go (a token
// passed around a ring) stays as short as its live part.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "live_index.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace kel {

/// A compile caches a list for about every other object, nearly all of them
/// holding one or two partners, so those are kept inside the list itself.
class PartnerList {
public:
  using ObjectId = std::int32_t;

  PartnerList() = default;
  PartnerList(const PartnerList &) = delete;
  PartnerList &operator=(const PartnerList &) = delete;
  ~PartnerList();

  /// One more than the number of the last entry.
  std::size_t size() const { return base_ + count_; }
  /// The entries not dropped.
  std::size_t stored() const { return count_; }
  /// The partner of entry `i`; 0 for a dropped entry.
  ObjectId partner(std::size_t i) const {
    return i < base_ ? 0 : static_cast<ObjectId>(at(i) & ~kSkipped);
  }
  /// Whether entry `i` was replaced by a later entry of its partner (or
  /// dropped).
  bool skipped(std::size_t i) const { return i < base_ || (at(i) & kSkipped); }
  /// The first entry at or after `i` not known to be dead; size() when
  /// there is none.
  std::size_t firstLive(std::size_t i) {
    return base_ + live_.firstFrom(i < base_ ? 0 : i - base_);
  }
  /// Entry `i`'s link is gone: a link made again gets a new entry.
  void markDead(std::size_t i) {
    if (i >= base_)
      live_.markDead(i - base_);
  }

  /// Gives `partner` a fresh entry at the end, skipping its older one.
  void append(ObjectId partner);
  /// Refills the list from the repository's entries (0 entries are holes,
  /// and no partner occurs twice).
  void fill(const ObjectId *entries, std::size_t n);
  /// The one entry of `partner` that is not skipped; -1 when none.
  std::int64_t currentOf(ObjectId partner) const;
  void clear();

  std::int32_t generation = 0;
  /// The link removal count of its type when the list was filled or last
  /// checked: while it holds, every entry neither skipped nor dead is
  /// linked (appends are new links).
  std::uint64_t builtAt = 0;
  /// The count of removals not marked in the cached lists when the list was
  /// filled or last checked: while it holds, the list is exact (dead
  /// entries marked) however many links were deleted through the runtime.
  std::uint64_t unmarkedAt = 0;
  std::int32_t type = 0;  ///< The link type, for the cache.
  std::uint32_t next = 0; ///< The cache's next list of the object, + 1.
  ObjectId owner = 0;     ///< The object whose partners it lists.
  std::uint32_t slot = 0; ///< Its place in the cache's pool.
  /// Variables walking the list (counted by the cache).
  std::uint32_t refs = 0;
  /// The number the cache gave the list when it last parked it; 0: none.
  std::uint32_t parked = 0;
  /// Whether an append re-linked a partner whose link was still there: the
  /// library keeps such a partner in its place, so from then on the list's
  /// order is its own and cannot be read again from the library.
  bool reordered = false;

private:
  /// Lists this long keep an index of their current entries; shorter ones
  /// are searched, which costs less than keeping a map for each.
  static constexpr std::size_t kIndexed = 24;
  /// Dead entries at the front are dropped once there are this many and at
  /// least as many as the entries behind them.
  static constexpr std::size_t kDropped = 2;
  static constexpr std::uint32_t kInline = 2;
  /// Entries are ids, positive, with this bit set once skipped.
  static constexpr std::uint32_t kSkipped = 1u << 31;

  const std::uint32_t *data() const { return cap_ > kInline ? heap_ : inline_; }
  std::uint32_t *data() { return cap_ > kInline ? heap_ : inline_; }
  std::uint32_t at(std::size_t i) const { return data()[i - base_]; }
  void reserve(std::size_t n);
  void index();
  void dropDeadFront();

  union {
    std::uint32_t inline_[kInline];
    std::uint32_t *heap_;
  };
  /// Entries before base_ are dropped; count_ are stored.
  std::uint32_t base_ = 0, count_ = 0, cap_ = kInline;
  LiveIndex live_; ///< over the stored entries
  std::unique_ptr<std::unordered_map<ObjectId, std::uint32_t>> index_;
};

} // namespace kel
