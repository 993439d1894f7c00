//===- string_store.cpp - Shared attribute texts --------------------------===//

#include "string_store.h"

#include "file_text.h"

#include <cstring>

namespace zrep {

namespace {

char gEmpty[1] = "";

std::uint64_t mix(std::uint64_t x) {
  x ^= x >> 32;
  x *= 0xd6e8feb86659fd93ULL;
  x ^= x >> 32;
  x *= 0xd6e8feb86659fd93ULL;
  return x ^ (x >> 32);
}

} // namespace

StringStore::StringStore() : table_(64), mask_(63) {
  entries_.push_back(std::make_unique_for_overwrite<Entry[]>(kEntryMask + 1));
  entry(0) = {gEmpty, 0, 0};
  entryCount_ = 1;
}

StringStore::~StringStore() {
  for (std::uint32_t h = 0; h < entryCount_; ++h)
    if (const Entry &e = entry(h); e.text != gEmpty && e.size + 1 > kSmall)
      delete[] e.text;
}

std::uint64_t StringStore::hash(std::string_view s) {
  const char *p = s.data();
  std::size_t n = s.size();
  std::uint64_t h = 0x9e3779b97f4a7c15ULL ^ (n * 0xff51afd7ed558ccdULL);
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ mix(w)) * 0xc4ceb9fe1a85ec53ULL;
  }
  std::uint64_t w = 0;
  std::memcpy(&w, p, n);
  return mix(h ^ w);
}

char *StringStore::allocText(std::size_t bytes) {
  if (bytes > kSmall)
    return new char[bytes];
  std::size_t cls = (bytes + 7) / 8 - 1;
  if (!freeText_[cls].empty()) {
    char *p = freeText_[cls].back();
    freeText_[cls].pop_back();
    return p;
  }
  std::size_t size = (cls + 1) * 8;
  if (chunkUsed_ + size > kChunk) {
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunk));
    chunkUsed_ = 0;
  }
  char *p = chunks_.back().get() + chunkUsed_;
  chunkUsed_ += size;
  return p;
}

void StringStore::freeText(char *text, std::size_t bytes) {
  if (bytes > kSmall)
    delete[] text;
  else
    freeText_[(bytes + 7) / 8 - 1].push_back(text);
}

void StringStore::grow() {
  std::vector<std::uint64_t> old(2 * table_.size());
  old.swap(table_);
  mask_ = table_.size() - 1;
  for (std::uint64_t slot : old)
    if (slot) {
      std::size_t i = (slot >> 32) & mask_;
      while (table_[i])
        i = (i + 1) & mask_;
      table_[i] = slot;
    }
}

std::uint32_t StringStore::acquire(std::string_view s) {
  if (s.empty())
    return 0;
  auto h32 = static_cast<std::uint32_t>(hash(s));
  std::size_t i = h32 & mask_;
  for (; table_[i]; i = (i + 1) & mask_) {
    std::uint64_t slot = table_[i];
    if ((slot >> 32) != h32)
      continue;
    Entry &e = entry(static_cast<std::uint32_t>(slot));
    if (e.size == s.size() && std::memcmp(e.text, s.data(), s.size()) == 0) {
      ++e.users;
      return static_cast<std::uint32_t>(slot);
    }
  }
  char *text = allocText(s.size() + 1);
  std::memcpy(text, s.data(), s.size());
  text[s.size()] = '\0';
  std::uint32_t handle;
  Entry made{text, static_cast<std::uint32_t>(s.size()), 1};
  if (!freeEntries_.empty()) {
    handle = freeEntries_.back();
    freeEntries_.pop_back();
  } else {
    handle = entryCount_++;
    if ((handle >> kEntryBits) == entries_.size())
      entries_.push_back(
          std::make_unique_for_overwrite<Entry[]>(kEntryMask + 1));
  }
  entry(handle) = made;
  notUtf8_ += !isValidUtf8(s);
  table_[i] = (static_cast<std::uint64_t>(h32) << 32) | handle;
  if (4 * ++count_ > 3 * table_.size())
    grow();
  return handle;
}

void StringStore::release(std::uint32_t h) {
  if (h == 0)
    return;
  Entry &e = entry(h);
  if (--e.users > 0)
    return;
  std::string_view s(e.text, e.size);
  std::size_t i = static_cast<std::uint32_t>(hash(s)) & mask_;
  while (static_cast<std::uint32_t>(table_[i]) != h)
    i = (i + 1) & mask_;
  // Shift later members of the probe run back into the hole.
  for (std::size_t j = (i + 1) & mask_; table_[j]; j = (j + 1) & mask_) {
    std::size_t home = (table_[j] >> 32) & mask_;
    bool movable = i <= j ? (home <= i || home > j) : (home <= i && home > j);
    if (movable) {
      table_[i] = table_[j];
      i = j;
    }
  }
  table_[i] = 0;
  --count_;
  notUtf8_ -= !isValidUtf8(s);
  freeText(e.text, e.size + 1);
  e = {gEmpty, 0, 0};
  freeEntries_.push_back(h);
}

} // namespace zrep
