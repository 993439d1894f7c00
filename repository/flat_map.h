//===- flat_map.h - Open-addressing hash map --------------------*- C++ -*-===//
//
// Linear probing with backward-shift deletion: one array, no nodes, no
// tombstones, about one cache miss per lookup. For any key with a hash;
// positive 32-bit keys have the more compact IdMap.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace zrep {

template <class K, class V, class Hash> class FlatMap {
public:
  FlatMap() { rehash(16); }

  std::size_t size() const { return size_; }
  /// Changes exactly when entries move to a new array.
  std::size_t capacity() const { return slots_.size(); }

  V *find(const K &key) {
    for (std::size_t i = home(key);; i = (i + 1) & mask_) {
      Slot &s = slots_[i];
      if (!s.used)
        return nullptr;
      if (s.key == key)
        return &s.value;
    }
  }
  const V *find(const K &key) const {
    return const_cast<FlatMap *>(this)->find(key);
  }

  /// The value of `key`, inserted default-constructed when missing; the flag
  /// tells whether it was inserted. The pointer lasts until the next insert.
  std::pair<V *, bool> tryEmplace(const K &key) {
    if (2 * (size_ + 1) > slots_.size())
      rehash(2 * slots_.size());
    std::size_t i = home(key);
    for (;; i = (i + 1) & mask_) {
      Slot &s = slots_[i];
      if (!s.used)
        break;
      if (s.key == key)
        return {&s.value, false};
    }
    slots_[i] = Slot{key, V{}, true};
    ++size_;
    return {&slots_[i].value, true};
  }

  bool erase(const K &key) {
    std::size_t i = home(key);
    for (;; i = (i + 1) & mask_) {
      if (!slots_[i].used)
        return false;
      if (slots_[i].key == key)
        break;
    }
    // Shift later members of the probe run back into the hole.
    for (std::size_t j = (i + 1) & mask_; slots_[j].used; j = (j + 1) & mask_) {
      std::size_t h = home(slots_[j].key);
      bool movable = i <= j ? (h <= i || h > j) : (h <= i && h > j);
      if (movable) {
        slots_[i] = std::move(slots_[j]);
        i = j;
      }
    }
    slots_[i] = Slot{};
    --size_;
    return true;
  }

  /// Makes room for `n` entries without further growth.
  void reserve(std::size_t n) {
    std::size_t want = 16;
    while (want < 2 * n)
      want *= 2;
    if (want > slots_.size())
      rehash(want);
  }

  template <class F> void forEach(F &&f) const {
    for (const Slot &s : slots_)
      if (s.used)
        f(s.key, s.value);
  }

private:
  struct Slot {
    K key{};
    V value{};
    bool used = false;
  };

  std::size_t home(const K &key) const { return Hash{}(key)&mask_; }

  void rehash(std::size_t n) {
    std::vector<Slot> old(n);
    old.swap(slots_);
    mask_ = n - 1;
    size_ = 0;
    for (Slot &s : old)
      if (s.used) {
        std::size_t i = home(s.key);
        while (slots_[i].used)
          i = (i + 1) & mask_;
        slots_[i] = std::move(s);
        ++size_;
      }
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
};

} // namespace zrep
