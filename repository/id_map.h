//===- id_map.h - Compact map from positive 32-bit keys ---------*- C++ -*-===//
//
// Open addressing with linear probing and backward-shift deletion over 8-byte
// slots; key 0 marks a free slot, so keys must be positive. Used where a
// hash map per entry would cost more than the entries themselves: sparse
// object ids and the positions in long partner lists.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zrep {

class IdMap {
public:
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  const std::uint32_t *find(std::uint32_t key) const {
    if (slots_.empty())
      return nullptr;
    for (std::size_t i = home(key);; i = (i + 1) & mask_) {
      const Slot &s = slots_[i];
      if (s.key == key)
        return &s.value;
      if (s.key == 0)
        return nullptr;
    }
  }

  /// Inserts or overwrites.
  void set(std::uint32_t key, std::uint32_t value) {
    if (4 * (size_ + 1) > 3 * slots_.size())
      rehash(slots_.empty() ? 16 : 2 * slots_.size());
    std::size_t i = home(key);
    for (; slots_[i].key != 0; i = (i + 1) & mask_)
      if (slots_[i].key == key) {
        slots_[i].value = value;
        return;
      }
    slots_[i] = {key, value};
    ++size_;
  }

  bool erase(std::uint32_t key) {
    if (slots_.empty())
      return false;
    std::size_t i = home(key);
    for (;; i = (i + 1) & mask_) {
      if (slots_[i].key == 0)
        return false;
      if (slots_[i].key == key)
        break;
    }
    // Shift later members of the probe run back into the hole.
    for (std::size_t j = (i + 1) & mask_; slots_[j].key != 0;
         j = (j + 1) & mask_) {
      std::size_t h = home(slots_[j].key);
      bool movable = i <= j ? (h <= i || h > j) : (h <= i && h > j);
      if (movable) {
        slots_[i] = slots_[j];
        i = j;
      }
    }
    slots_[i] = {};
    --size_;
    return true;
  }

  void clear() {
    slots_ = {};
    size_ = 0;
    mask_ = 0;
  }

  /// Makes room for `n` entries without further growth.
  void reserve(std::size_t n) {
    std::size_t want = 16;
    while (3 * want < 4 * n)
      want *= 2;
    if (want > slots_.size())
      rehash(want);
  }

  std::size_t bytes() const { return slots_.capacity() * sizeof(Slot); }

private:
  struct Slot {
    std::uint32_t key = 0, value = 0;
  };

  std::size_t home(std::uint32_t key) const {
    std::uint64_t x = key * 0x9e3779b97f4a7c15ULL;
    return static_cast<std::size_t>(x >> 32) & mask_;
  }

  void rehash(std::size_t n) {
    std::vector<Slot> old(n);
    old.swap(slots_);
    mask_ = n - 1;
    for (const Slot &s : old)
      if (s.key != 0) {
        std::size_t i = home(s.key);
        while (slots_[i].key != 0)
          i = (i + 1) & mask_;
        slots_[i] = s;
      }
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
};

} // namespace zrep
