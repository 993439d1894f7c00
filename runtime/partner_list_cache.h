//===- partner_list_cache.h - Partner lists between uses --------*- C++ -*-===//
//
// Where the partner lists of model variables live between their uses: one
// per (link type, object), kept, parked and dropped as repository_user.cpp
// asks. Only that file uses it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "id_bits.h"
#include "id_map.h"
#include "partner_list.h"
#include "repository_user.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace kel {

/// The partner lists, one per (link type, object), in a pool that keeps
/// their addresses (variables hold them) and frees them in one sweep. An
/// object's lists form a chain from its entry in `heads`.
struct PartnerListCache {
  /// Object id to its newest list's index in pool. Few lists are kept at a
  /// time, so a small hash table, which stays in cache, serves better than
  /// an array over all ids.
  zrep::IdMap heads;
  static constexpr std::uint32_t kNone = UINT32_MAX;
  std::uint32_t headOf(ObjectId obj) const {
    const std::uint32_t *at = heads.find(static_cast<std::uint32_t>(obj));
    return at ? *at : kNone;
  }
  std::deque<PartnerList> pool;
  /// By link type, the objects that had a list in this run, dropped since
  /// or not: re-linking a partner still linked moves it to the end of such
  /// a list, which must then be made again to take the move. Most links
  /// are only ever followed one way, and their inverse type never has one.
  std::vector<IdBits> listed;

  bool anyListed(TypeId type) const {
    auto t = static_cast<std::size_t>(type);
    return t < listed.size() && !listed[t].empty();
  }
  PartnerList *find(TypeId type, ObjectId obj) {
    if (!anyListed(type))
      return nullptr;
    std::uint32_t at = headOf(obj);
    while (at != kNone) {
      PartnerList &list = pool[at];
      if (list.type == type)
        return &list;
      at = list.next - 1; // kNone after the last
    }
    return nullptr;
  }
  /// Notes that `obj` has a list along `type` in this run, made or not.
  void noteListed(TypeId type, ObjectId obj) {
    auto t = static_cast<std::size_t>(type);
    if (t >= listed.size())
      listed.resize(t + 1);
    listed[t].add(obj);
  }
  PartnerList &add(TypeId type, ObjectId obj) {
    noteListed(type, obj);
    std::uint32_t at;
    if (freeSlots.empty()) {
      at = static_cast<std::uint32_t>(pool.size());
      pool.emplace_back();
    } else {
      at = freeSlots.back();
      freeSlots.pop_back();
    }
    PartnerList &list = pool[at];
    list.type = type;
    list.owner = obj;
    list.slot = at;
    list.next = headOf(obj) + 1; // 0 when there was none
    heads.set(static_cast<std::uint32_t>(obj), at);
    return list;
  }
  /// Takes `list` out of its object's chain; its slot is used again.
  void remove(PartnerList &list) {
    std::uint32_t at = headOf(list.owner), before = kNone;
    while (at != kNone && at != list.slot) {
      before = at;
      at = pool[at].next - 1;
    }
    if (at == kNone)
      return;
    std::uint32_t after = list.next - 1;
    if (before != kNone)
      pool[before].next = list.next;
    else if (after == kNone)
      heads.erase(static_cast<std::uint32_t>(list.owner));
    else
      heads.set(static_cast<std::uint32_t>(list.owner), after);
    list.clear();
    list.refs = 0;
    list.parked = 0;
    list.next = 0;
    list.type = 0;
    freeSlots.push_back(list.slot);
  }
  std::size_t size() const { return pool.size() - freeSlots.size(); }
  bool hadList(TypeId type, ObjectId obj) const {
    auto t = static_cast<std::size_t>(type);
    return t < listed.size() && listed[t].has(obj);
  }

  std::vector<std::uint32_t> freeSlots;

  /// Lists no variable walks wait in a ring of this many before they go:
  /// the few walked again and again (the partners of one object that every
  /// step starts from) stay, the many walked once go.
  static constexpr std::size_t kParked = 64;
  struct Parked {
    std::uint32_t slot, number;
  };
  std::vector<Parked> parked;
  std::size_t nextParked = 0;
  std::uint32_t parkings = 0;

  /// Parks a list that may go, dropping the one parked longest ago if it
  /// still may.
  void park(PartnerList &list) {
    list.parked = ++parkings;
    Parked entry{list.slot, list.parked};
    if (parked.size() < kParked) {
      parked.push_back(entry);
      return;
    }
    Parked oldest = parked[nextParked];
    parked[nextParked] = entry;
    nextParked = (nextParked + 1) % kParked;
    PartnerList &old = pool[oldest.slot];
    if (old.parked == oldest.number && mayGo(old))
      remove(old);
  }
  /// A short list that kept the library's order, with no variable on it, is
  /// read again from the library, as it stands, by the next search that
  /// needs it.
  static bool mayGo(const PartnerList &list) {
    constexpr std::size_t kDroppedAtMost = 8;
    return list.refs == 0 && !list.reordered &&
           list.stored() <= kDroppedAtMost &&
           list.generation == RepositoryUser::generation();
  }
};

} // namespace kel
