//===- file_text.cpp - Texts read from files ------------------------------===//

#include "file_text.h"

namespace zrep {

namespace {

/// The length of the UTF-8 sequence at `p` and its code point; 0 when the
/// bytes there are no well-formed sequence.
std::size_t sequence(const unsigned char *p, const unsigned char *end,
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

/// Code points that move the cursor or reorder what follows.
bool unprintable(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x200E ||
         cp == 0x200F || cp == 0x2028 || cp == 0x2029 ||
         (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

} // namespace

bool isValidUtf8NonAscii(std::string_view text) {
  auto p = reinterpret_cast<const unsigned char *>(text.data());
  const unsigned char *end = p + text.size();
  while (p < end) {
    char32_t cp;
    std::size_t n = sequence(p, end, cp);
    if (n == 0)
      return false;
    p += n;
  }
  return true;
}

std::string printable(std::string_view text, std::size_t limit) {
  static const char hex[] = "0123456789ABCDEF";
  auto p = reinterpret_cast<const unsigned char *>(text.data());
  const unsigned char *end = p + text.size();
  std::string out;
  for (std::size_t chars = 0; p < end; ++chars) {
    if (chars == limit) {
      out += "...";
      break;
    }
    char32_t cp;
    std::size_t n = sequence(p, end, cp);
    if (n == 0 || (n == 1 && unprintable(cp))) {
      unsigned char c = *p++;
      if (c == '\n')
        out += "\\n";
      else if (c == '\r')
        out += "\\r";
      else if (c == '\t')
        out += "\\t";
      else
        out += {'\\', 'x', hex[c >> 4], hex[c & 15]};
    } else if (unprintable(cp)) {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4)
        out += hex[(cp >> shift) & 15];
      p += n;
    } else {
      out.append(reinterpret_cast<const char *>(p), n);
      p += n;
    }
  }
  return out;
}

} // namespace zrep
