//===- html_text.h - Texts of the model in a page ---------------*- C++ -*-===//
#pragma once

#include "file_text.h"

#include <string>
#include <string_view>

namespace zreport {

/// Appends `text` escaped for HTML.
inline void appendEscaped(std::string &out, std::string_view text) {
  zrep::appendMarkupEscaped(out, text);
}

inline std::string escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscaped(out, text);
  return out;
}

/// A text from the model as the page shows it: control characters and bytes
/// that are not UTF-8 written as escapes (as in messages), then escaped for
/// HTML; nothing is cut off.
inline std::string shown(std::string_view text) {
  return escaped(zrep::printable(text, std::string_view::npos));
}

} // namespace zreport
