//===- file_text.cpp - Texts read from files ------------------------------===//

#include "file_text.h"

#include "utf8.h"

namespace zrep {

namespace {

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
    std::size_t n = utf8::decode(p, end, cp);
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
    std::size_t n = utf8::decode(p, end, cp);
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
