//===- doubtful_values.h - Attribute values that load but mislead -*- C++
//-*-===//
//
// Shared by the warnings on load and by lint: a Boolean text that reads as
// false although it seems to say something else, and an expression text
// whose line feed takes a character with it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "metamodel.h"
#include "utf8.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace zlint {

/// Whether a Boolean attribute's text is none of the canonical "true",
/// "false", "1" (true) or empty (false): such a text reads as false.
inline bool isMisleadingBoolean(std::string_view v) {
  return !(v.empty() || v == "true" || v == "false" || v == "1");
}

/// Whether an attribute of this name holds an expression text that the
/// compiler cuts into lexems.
inline bool isExpressionAttribute(std::string_view name) {
  return name == "constraint" || name == "expr";
}

/// The first line feed of an expression text that takes a character other
/// than a carriage return or a blank with it: its line (from 1) and that
/// character, a whole UTF-8 character as the lexer takes it. Line 0 when
/// there is none.
struct LineFeedLoss {
  std::size_t line = 0;
  std::string_view lost;
};

/// The lexer cuts out string constants first and then splits at line
/// feeds, each taking the character before it within its piece: a line feed
/// at the start of the text, right after a string constant or right after
/// another line feed takes nothing. Losing a blank changes nothing.
inline LineFeedLoss lostBeforeLineFeed(std::string_view text) {
  bool inString = false;
  std::size_t line = 1, pieceStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      if (inString)
        pieceStart = i + 1;
      inString = !inString;
      continue;
    }
    if (c != '\n')
      continue;
    if (!inString) {
      if (i > pieceStart) {
        std::size_t from = zrep::utf8::charBefore(text, i, pieceStart);
        std::string_view lost = text.substr(from, i - from);
        if (lost != "\r" && lost != " ")
          return {line, lost};
      }
      pieceStart = i + 1;
    }
    ++line;
  }
  return {};
}

/// An attribute that may hold such a value: a Boolean, or an expression
/// text; `slot` is its place in the objects of one class.
struct DoubtfulAttribute {
  std::uint32_t slot;
  const zrep::AttrInfo *attr;
  bool isBoolean; ///< Otherwise an expression text.
};

/// For each class of `mm` (by id, from the first), its attributes that may
/// hold a misleading value.
inline std::vector<std::vector<DoubtfulAttribute>>
doubtfulAttributesByClass(const zrep::Metamodel &mm) {
  std::vector<std::vector<DoubtfulAttribute>> all;
  for (const zrep::ClassInfo &c : mm.classes()) {
    std::vector<DoubtfulAttribute> &checked = all.emplace_back();
    for (std::uint32_t slot = 0; slot < c.attrs.size(); ++slot) {
      const zrep::AttrInfo *a = mm.attrInfo(c.attrs[slot]);
      if (a->kind == zrep::AttrKind::Boolean)
        checked.push_back({slot, a, true});
      else if (a->kind == zrep::AttrKind::String &&
               isExpressionAttribute(a->name))
        checked.push_back({slot, a, false});
    }
  }
  return all;
}

} // namespace zlint
