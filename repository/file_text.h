//===- file_text.h - Texts read from files ----------------------*- C++ -*-===//
//
// Texts in repository files must be UTF-8. When a problem report echoes one,
// it is made printable first: a file's bytes must not reach a terminal as
// line breaks or escape sequences, nor fill it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zrep {

/// Characters of an echoed text shown before it is cut off with "...".
inline constexpr std::size_t kEchoLimit = 60;

/// Whether `text`, which holds a byte above 0x7F, is well-formed UTF-8.
bool isValidUtf8NonAscii(std::string_view text);

/// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
/// code points above U+10FFFF).
inline bool isValidUtf8(std::string_view text) {
  // Most texts are ASCII: a pass that compiles to vector code.
  unsigned char any = 0;
  for (char c : text)
    any |= static_cast<unsigned char>(c);
  return any < 0x80 || isValidUtf8NonAscii(text);
}

/// `text` fit for one line of a report: control characters and bytes that
/// are not UTF-8 become \n, \r, \t or \xNN; C1 controls, line separators
/// and direction overrides become \uNNNN. Past `limit` characters the rest
/// is replaced by "...".
std::string printable(std::string_view text, std::size_t limit = kEchoLimit);
/// Appends `text` with the characters that mean something to HTML and XML
/// written as entities, so that it stands as itself in element content and
/// in quoted attributes.
inline void appendMarkupEscaped(std::string &out, std::string_view text) {
  for (char c : text)
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&#39;";
      break;
    default:
      out += c;
    }
}

/// `text` made printable as a whole, however long.
inline std::string printableWhole(std::string_view text) {
  return printable(text, std::string_view::npos);
}

} // namespace zrep
