//===- html_text.cpp - Model texts in Graphviz HTML-like labels -----------===//

#include "html_text.h"

#include "file_text.h"
#include "utf8.h"

#include <cstdint>

namespace zdiagram {

namespace {

/// XML forbids the noncharacters U+FFFE and U+FFFF; the others of their
/// kind are shown escaped as well, since no font draws them.
bool isNoncharacter(char32_t c) {
  return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFEu) == 0xFFFEu;
}

/// Escapes the markup characters of an already printable text, which is
/// valid UTF-8, and the noncharacters that printable() leaves.
std::string escapeMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = zrep::utf8::charLength(text, i);
    std::string_view seq = text.substr(i, n);
    char32_t c = 0;
    zrep::utf8::decode(bytes + i, bytes + text.size(), c);
    i += n;
    if (n == 1) {
      zrep::appendMarkupEscaped(out, seq);
      continue;
    }
    if (isNoncharacter(c)) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\u";
      if (c > 0xFFFF)
        out += std::string(1, kHex[(c >> 20) & 0xF]) + kHex[(c >> 16) & 0xF];
      for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(c >> shift) & 0xF];
    } else {
      out += seq;
    }
  }
  return out;
}

/// Cuts a printable text into pieces of at most `width` characters.
std::vector<std::string_view> wrap(std::string_view text, std::size_t width) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0, chars = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (chars == width) {
      pieces.push_back(text.substr(start, i - start));
      start = i;
      chars = 0;
    }
    i += zrep::utf8::charLength(text, i);
    ++chars;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

} // namespace

std::string labelText(std::string_view text, std::size_t limit) {
  return escapeMarkup(zrep::printable(text, limit));
}

std::vector<std::string> labelLines(std::string_view text, std::size_t width,
                                    std::size_t maxLines) {
  std::vector<std::string> lines;
  if (width == 0 || maxLines == 0)
    return lines;
  bool cut = false;
  std::size_t pos = 0;
  while (!cut) {
    std::size_t end = text.find_first_of("\r\n", pos);
    std::string_view line =
        text.substr(pos, end == std::string_view::npos ? end : end - pos);
    // Each line is escaped in full before it is wrapped, so that an escape
    // is never split in two by the limit of printable().
    std::string shown = zrep::printable(line, line.size() + 1);
    for (std::string_view piece : wrap(shown, width)) {
      if (lines.size() == maxLines) {
        lines.back() += "...";
        cut = true;
        break;
      }
      lines.push_back(escapeMarkup(piece));
    }
    if (end == std::string_view::npos)
      break;
    pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

} // namespace zdiagram
