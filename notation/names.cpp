//===- names.cpp - Writing names in the notation --------------------------===//

#include "names.h"

#include "lexer.h"

#include <algorithm>
#include <array>

namespace notation {

namespace {

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

} // namespace

bool isKeyword(std::string_view word) {
  return std::find(kKeywords.begin(), kKeywords.end(), word) != kKeywords.end();
}

bool isPlainName(std::string_view name) {
  if (name.empty())
    return false;
  char c = name.front();
  if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'))
    return false;
  for (char d : name)
    if (!((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z') || d == '_' ||
          (d >= '0' && d <= '9')))
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
