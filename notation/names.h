//===- names.h - Writing names in the notation ------------------*- C++ -*-===//
#pragma once

#include <string>
#include <string_view>

namespace notation {

/// Whether `word` is a keyword of the notation.
bool isKeyword(std::string_view word);
/// Whether `name` is an identifier.
bool isPlainName(std::string_view name);
/// Appends `name` bare when it is an identifier, else in double quotes.
void appendName(std::string &out, std::string_view name);
/// As appendName, and keywords in double quotes too: for a name that
/// starts a statement, where a keyword would be read as one.
void appendLeadingName(std::string &out, std::string_view name);

} // namespace notation
