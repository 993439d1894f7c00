//===- natives_text.cpp - Text and conversion natives ---------------------===//

#include "natives.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace kel {

namespace {

[[noreturn]] void abortConversion(const std::string &what) {
  throw Kel_Var_2_Exception(what);
}

bool parseInt(const std::string &text, int &value) {
  const char *begin = text.data(), *end = begin + text.size();
  if (begin != end && *begin == '+')
    ++begin;
  auto [stop, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && stop == end && begin != end;
}

bool parseReal(const std::string &text, double &value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
    return false;
  char *stop = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &stop);
  return stop == text.c_str() + text.size() && errno != ERANGE;
}

} // namespace

std::string toUpper(std::string text) {
  for (char &c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string toLower(std::string text) {
  for (char &c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int Pos(std::string text, std::string pattern, int start) {
  if (start < 0 || static_cast<std::size_t>(start) > text.size())
    return -1;
  std::size_t at = text.find(pattern, static_cast<std::size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

std::string Trim(std::string text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos)
    return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int Length(std::string text) { return static_cast<int>(text.size()); }
int Size(std::string text) { return Length(std::move(text)); }

std::string SubString(std::string text, int from, int to) {
  if (from < 0 || static_cast<std::size_t>(from) >= text.size())
    throw Kel_Var_2_Exception("SubString: index " + std::to_string(from) +
                              " is past the end of \"" + text + "\"");
  if (to < from)
    return "";
  return text.substr(static_cast<std::size_t>(from),
                     static_cast<std::size_t>(to) - from + 1);
}

std::string Substring(std::string text, int from, int to) {
  return SubString(std::move(text), from, to);
}

std::string Char(std::string text, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= text.size())
    throw Kel_Var_2_Exception("Char: index " + std::to_string(index) +
                              " is past the end of \"" + text + "\"");
  return std::string(1, text[static_cast<std::size_t>(index)]);
}

std::string IntToStr(int value) { return std::to_string(value); }
std::string IntToString(int value) { return IntToStr(value); }
std::string BoolToStr(bool value) { return value ? "true" : "false"; }

std::string RealToStr(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return buf;
}

int StrToInt(std::string text) {
  int value = 0;
  if (!parseInt(text, value))
    abortConversion("StrToInt: \"" + text + "\" is not an integer");
  return value;
}

double StrToReal(std::string text) {
  double value = 0;
  if (!parseReal(text, value))
    abortConversion("StrToReal: \"" + text + "\" is not a number");
  return value;
}

bool StrToBool(std::string text) { return text == "true" || text == "1"; }

bool IsInt(std::string text) {
  int value;
  return parseInt(text, value);
}

bool IsReal(std::string text) {
  double value;
  return parseReal(text, value);
}

bool IsBool(std::string text) { return text == "true" || text == "false"; }

std::string StrToEnum(std::string typeName, std::string literal) {
  return typeName + "::" + literal;
}

std::string EnumToStr(std::string text) {
  std::size_t at = text.rfind("::");
  return at == std::string::npos ? "" : text.substr(at + 2);
}

} // namespace kel
