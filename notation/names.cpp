//===- names.cpp - Writing names in the notation --------------------------===//

#include "names.h"

#include "lexer.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace notation {

namespace {

/// In ascending order.
constexpr std::array<std::string_view, 38> kKeywords = {
    "abstract",       "association", "at",        "call",
    "class",          "classmodel",  "compile",   "composite",
    "create",         "debug",       "def",       "delete",
    "each",           "else",        "end",       "enum",
    "external",       "foreach",     "head",      "inout",
    "main",           "nocompile",   "not",       "notfixed",
    "ordered",        "package",     "primitive", "procedure",
    "project",        "rule",        "start",     "text",
    "transformation", "unit",        "var",       "when",
    "where",          "while"};

static_assert(std::is_sorted(kKeywords.begin(), kKeywords.end()));

/// Where the keywords of each first letter start in kKeywords ('a' to 'z',
/// and the end).
constexpr std::array<std::uint8_t, 27> kLetterStart = [] {
  std::array<std::uint8_t, 27> start{};
  std::size_t i = 0;
  for (std::size_t c = 0; c <= 26; ++c) {
    while (i < kKeywords.size() &&
           static_cast<std::size_t>(kKeywords[i][0] - 'a') < c)
      ++i;
    start[c] = static_cast<std::uint8_t>(i);
  }
  return start;
}();

} // namespace

bool isKeyword(std::string_view word) {
  if (word.empty() || word[0] < 'a' || word[0] > 'z')
    return false;
  auto letter = static_cast<std::size_t>(word[0] - 'a');
  for (std::size_t i = kLetterStart[letter]; i < kLetterStart[letter + 1]; ++i)
    if (kKeywords[i] == word)
      return true;
  return false;
}

bool isPlainName(std::string_view name) {
  // 1: may start an identifier, 2: may go on with one.
  static constexpr std::array<std::uint8_t, 256> kIdent = [] {
    std::array<std::uint8_t, 256> ident{};
    for (int c = 0; c < 256; ++c)
      ident[static_cast<std::size_t>(c)] =
          (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ? 3
          : c >= '0' && c <= '9'                                       ? 2
                                                                       : 0;
    return ident;
  }();
  if (name.empty() || !(kIdent[static_cast<unsigned char>(name[0])] & 1))
    return false;
  for (char d : name)
    if (!kIdent[static_cast<unsigned char>(d)])
      return false;
  return true;
}

void appendName(std::string &out, std::string_view name) {
  if (isPlainName(name))
    out += name;
  else
    appendQuoted(out, name);
}

void appendLeadingName(std::string &out, std::string_view name) {
  if (isPlainName(name) && !isKeyword(name))
    out += name;
  else
    appendQuoted(out, name);
}

} // namespace notation
