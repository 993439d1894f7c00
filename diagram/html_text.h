//===- html_text.h - Model texts in Graphviz HTML-like labels ---*- C++ -*-===//
//
// Names and expressions come from the model as they were stored: any bytes,
// line breaks, markup characters. A label shows them as escaped, wrapped
// lines of valid UTF-8 that neither Graphviz's label parser nor the SVG file
// can misread.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zdiagram {

/// `text` fit for a label line: control characters, direction overrides,
/// noncharacters and bytes that are not UTF-8 written as escapes (\n,
/// \x1B, \u202E), then the markup characters as entities. Past `limit`
/// characters the rest becomes "...".
std::string labelText(std::string_view text, std::size_t limit = 80);

/// A multi-line text (an expression) as label lines: split at its line
/// breaks, each line made safe as by labelText and wrapped after `width`
/// characters; past `maxLines` lines the rest becomes "...".
std::vector<std::string> labelLines(std::string_view text,
                                    std::size_t width = 60,
                                    std::size_t maxLines = 12);

} // namespace zdiagram
