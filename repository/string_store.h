//===- string_store.h - Shared attribute texts ------------------*- C++ -*-===//
//
// Every distinct attribute text is kept once, with the number of values that
// use it; values hold 32-bit handles. Enumeration literals, Booleans, type
// names and numbers repeat throughout a model, so most values cost only
// their handle. Texts are NUL-terminated and never move: a text stays
// readable until the last value using it changes. Short texts are cut from
// shared chunks and recycled by size class.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace zrep {

class StringStore {
public:
  StringStore();
  StringStore(const StringStore &) = delete;
  StringStore &operator=(const StringStore &) = delete;
  ~StringStore();

  /// The handle of `s`, counting one more user; 0 for the empty text.
  std::uint32_t acquire(std::string_view s);
  /// Counts one user less (0 is ignored); the last user frees the text.
  void release(std::uint32_t h);
  /// The text of `h`; its data() is NUL-terminated.
  std::string_view view(std::uint32_t h) const {
    const Entry &e = entry(h);
    return {e.text, e.size};
  }
  /// Starts fetching the text of `h` into the cache.
  void prefetch(std::uint32_t h) const {
    const Entry &e = entry(h);
    __builtin_prefetch(&e);
    __builtin_prefetch(e.text);
  }
  /// Distinct texts held.
  std::size_t size() const { return count_; }
  /// Distinct texts held that are not UTF-8: saving checks for them only
  /// when there are any.
  std::size_t notUtf8() const { return notUtf8_; }

private:
  struct Entry {
    char *text;
    std::uint32_t size;
    std::uint32_t users;
  };
  static constexpr std::size_t kSmall = 256; ///< Longer texts stand alone.
  static constexpr std::size_t kChunk = 256 * 1024;

  static constexpr unsigned kEntryBits = 12;
  static constexpr std::uint32_t kEntryMask = (1u << kEntryBits) - 1;

  const Entry &entry(std::uint32_t h) const {
    return entries_[h >> kEntryBits][h & kEntryMask];
  }
  Entry &entry(std::uint32_t h) {
    return entries_[h >> kEntryBits][h & kEntryMask];
  }
  static std::uint64_t hash(std::string_view s);
  char *allocText(std::size_t bytes);
  void freeText(char *text, std::size_t bytes);
  void grow();

  /// By handle, in chunks that never move; entry 0 is the empty text.
  std::vector<std::unique_ptr<Entry[]>> entries_;
  std::uint32_t entryCount_ = 0;
  std::vector<std::uint32_t> freeEntries_;
  /// Open addressing: (hash << 32 | handle), 0 for a free slot.
  std::vector<std::uint64_t> table_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
  std::size_t notUtf8_ = 0;
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::size_t chunkUsed_ = kChunk;
  std::array<std::vector<char *>, kSmall / 8> freeText_;
};

} // namespace zrep
