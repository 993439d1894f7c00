//===- name_table.h - Names to small ids ------------------------*- C++ -*-===//
//
// An open-addressing table from names to ids, for the lookups made on every
// model access (class, attribute and role names). Each slot keeps the full
// hash next to the id, so a probe compares texts only when hashes match; the
// texts live in one stable deque. Names are never removed.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zrep {

class NameTable {
public:
  /// FNV-1a: short names, one pass, no setup.
  static std::uint32_t hash(std::string_view s) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : s)
      h = (h ^ c) * 16777619u;
    return h;
  }

  /// Adds `name` unless present; returns whether it was added.
  bool emplace(std::string_view name, std::int32_t id) {
    std::uint32_t h = hash(name);
    if (findSlot(name, h) != kNone)
      return false;
    if ((names_.size() + 1) * 2 > slots_.size())
      grow();
    names_.emplace_back(name);
    place({h, id, static_cast<std::uint32_t>(names_.size() - 1)});
    return true;
  }

  /// The id of `name`, or `missing`.
  std::int32_t find(std::string_view name, std::int32_t missing = 0) const {
    std::uint32_t slot = findSlot(name, hash(name));
    return slot == kNone ? missing : slots_[slot].id;
  }

  /// The stored copy of `name`, or null.
  const std::string *stored(std::string_view name) const {
    std::uint32_t slot = findSlot(name, hash(name));
    return slot == kNone ? nullptr : &names_[slots_[slot].name];
  }

  std::size_t size() const { return names_.size(); }

private:
  static constexpr std::uint32_t kNone = ~0u;
  struct Slot {
    std::uint32_t hash = 0;
    std::int32_t id = 0;
    std::uint32_t name = kNone; ///< Index into names_; kNone: empty.
  };

  std::uint32_t findSlot(std::string_view name, std::uint32_t h) const {
    if (slots_.empty())
      return kNone;
    std::uint32_t mask = static_cast<std::uint32_t>(slots_.size() - 1);
    for (std::uint32_t i = h & mask;; i = (i + 1) & mask) {
      const Slot &s = slots_[i];
      if (s.name == kNone)
        return kNone;
      if (s.hash == h) {
        const std::string &n = names_[s.name];
        if (n.size() == name.size() &&
            std::memcmp(n.data(), name.data(), name.size()) == 0)
          return i;
      }
    }
  }

  void place(const Slot &slot) {
    std::uint32_t mask = static_cast<std::uint32_t>(slots_.size() - 1);
    std::uint32_t i = slot.hash & mask;
    while (slots_[i].name != kNone)
      i = (i + 1) & mask;
    slots_[i] = slot;
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    for (const Slot &s : old)
      if (s.name != kNone)
        place(s);
  }

  std::vector<Slot> slots_;
  std::deque<std::string> names_;
};

} // namespace zrep
