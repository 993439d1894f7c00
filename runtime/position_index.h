//===- position_index.h - Positions of objects in a list, by id -*- C++ -*-===//
//
// Where each object of a class's object list stands. Ids of loaded and
// created objects lie close together, so while they do the positions are
// kept in a plain array over the range of ids: neighbouring objects have
// neighbouring entries, and a walk from object to object mostly finds its
// entries in cache. Ids spread further apart move to a hash map.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "id_map.h"

#include <cstdint>
#include <vector>

namespace kel {

class PositionIndex {
public:
  /// Entries set so far (each id is set once).
  std::size_t size() const { return count_; }
  void clear() {
    dense_ = true;
    base_ = 0;
    slots_.clear();
    map_ = zrep::IdMap();
    count_ = 0;
  }
  /// Records `pos` for a positive `id` not yet in the index.
  void set(std::int32_t id, std::uint32_t pos) {
    ++count_;
    if (dense_) {
      if (slots_.empty())
        base_ = id;
      std::int64_t at = std::int64_t(id) - base_;
      // The array may be up to four times as long as the list, plus a
      // little for short lists.
      if (at >= 0 && at < 4 * std::int64_t(count_) + 4096) {
        if (std::size_t(at) >= slots_.size())
          slots_.resize(std::size_t(at) + 1, 0);
        slots_[std::size_t(at)] = pos + 1;
        return;
      }
      spread();
    }
    map_.set(static_cast<std::uint32_t>(id), pos);
  }
  /// The position of `id`, or null.
  const std::uint32_t *find(std::int32_t id) const {
    if (!dense_)
      return map_.find(static_cast<std::uint32_t>(id));
    std::int64_t at = std::int64_t(id) - base_;
    if (at < 0 || std::size_t(at) >= slots_.size() ||
        slots_[std::size_t(at)] == 0)
      return nullptr;
    found_ = slots_[std::size_t(at)] - 1;
    return &found_;
  }

private:
  /// Moves the entries to the hash map.
  void spread() {
    dense_ = false;
    for (std::size_t i = 0; i < slots_.size(); ++i)
      if (slots_[i])
        map_.set(static_cast<std::uint32_t>(base_ + std::int64_t(i)),
                 slots_[i] - 1);
    slots_ = {};
  }

  bool dense_ = true;
  std::int32_t base_ = 0;
  std::vector<std::uint32_t> slots_; ///< Position + 1; 0: no entry.
  zrep::IdMap map_;
  std::size_t count_ = 0;
  mutable std::uint32_t found_ = 0;
};

} // namespace kel
