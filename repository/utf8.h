//===- utf8.h - Whole UTF-8 characters in byte strings ----------*- C++ -*-===//
//
// Texts are stored as bytes and hold UTF-8. Whatever cuts, trims or
// measures a text steps over whole characters: a well-formed sequence is
// one character, and a byte that starts none (a text that is not UTF-8)
// counts as a character of its own, so no step ever fails. On ASCII texts
// every step is the byte step.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <string_view>

namespace zrep::utf8 {

/// The length of the well-formed sequence at `p` (1 to 4) and its code
/// point; 0 when the bytes there are none (no overlong forms, surrogates or
/// code points above U+10FFFF).
inline std::size_t decode(const unsigned char *p, const unsigned char *end,
                          char32_t &cp) {
  unsigned c = p[0];
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  std::size_t n;
  unsigned lo = 0x80, hi = 0xBF; // the second byte's range
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
    if (c == 0xE0)
      lo = 0xA0; // overlong
    else if (c == 0xED)
      hi = 0x9F; // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
    if (c == 0xF0)
      lo = 0x90; // overlong
    else if (c == 0xF4)
      hi = 0x8F; // above U+10FFFF
  } else {
    return 0;
  }
  if (static_cast<std::size_t>(end - p) < n || p[1] < lo || p[1] > hi)
    return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80)
      return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  return n;
}

/// The bytes of the character at `at` (< s.size()).
inline std::size_t charLength(std::string_view s, std::size_t at) {
  auto p = reinterpret_cast<const unsigned char *>(s.data());
  if (p[at] < 0x80)
    return 1;
  char32_t cp;
  std::size_t n = decode(p + at, p + s.size(), cp);
  return n ? n : 1;
}

/// Where the character that ends just before `at` starts, not before
/// `floor` (floor < at).
inline std::size_t charBefore(std::string_view s, std::size_t at,
                              std::size_t floor = 0) {
  auto p = reinterpret_cast<const unsigned char *>(s.data());
  // A well-formed sequence ending at `at` starts at most three bytes back;
  // there is at most one, as a sequence's later bytes start none.
  for (std::size_t back = 2; back <= 4 && back <= at - floor; ++back) {
    if ((p[at - back + 1] & 0xC0) != 0x80)
      break;
    char32_t cp;
    if (decode(p + at - back, p + at, cp) == back)
      return at - back;
  }
  return at - 1;
}

/// The number of characters in `s`.
inline std::size_t count(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t at = 0; at < s.size(); at += charLength(s, at))
    ++n;
  return n;
}

/// The byte offset of character `index` of `s`; s.size() when `s` has no
/// more than `index` characters.
inline std::size_t offset(std::string_view s, std::size_t index) {
  std::size_t at = 0;
  for (; index > 0 && at < s.size(); --index)
    at += charLength(s, at);
  return at;
}

} // namespace zrep::utf8
