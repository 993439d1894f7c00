//===- natives_text.cpp - Text and conversion natives ---------------------===//

#include "natives.h"

#include "utf8.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kel {

namespace utf8 = zrep::utf8;

namespace {

[[noreturn]] void abortConversion(const std::string &what) {
  throw Kel_Var_2_Exception(what);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// The position after the digits from `at` on.
std::size_t skipDigits(std::string_view text, std::size_t at) {
  while (at < text.size() && isDigit(text[at]))
    ++at;
  return at;
}

/// An optional sign, then decimal digits and nothing else, in range.
bool parseInt(std::string_view text, int &value) {
  std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-');
  if (skipDigits(text, digits) != text.size() || digits == text.size())
    return false;
  // from_chars takes a minus sign but no plus sign.
  const char *begin = text.data() + (text[0] == '+'),
             *end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && stop == end;
}

/// An optional sign, digits with at most one decimal point among or around
/// them, and an optional exponent: "e" or "E", an optional sign, digits.
/// Nothing else: no blanks, no "inf", "nan" or hexadecimal forms. A value
/// too large for a double is refused; one too small to tell from 0 is 0.
bool parseReal(std::string_view text, double &value) {
  std::size_t at = !text.empty() && (text[0] == '+' || text[0] == '-');
  std::size_t intEnd = skipDigits(text, at), fracEnd = intEnd;
  if (fracEnd < text.size() && text[fracEnd] == '.')
    fracEnd = skipDigits(text, fracEnd + 1);
  std::size_t mantissaDigits = fracEnd - at - (fracEnd != intEnd);
  if (mantissaDigits == 0)
    return false;
  std::size_t end = fracEnd;
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t expDigits = end + 1 +
                            (end + 1 < text.size() &&
                             (text[end + 1] == '+' || text[end + 1] == '-'));
    end = skipDigits(text, expDigits);
    if (end == expDigits)
      return false;
  }
  if (end != text.size())
    return false;
  const char *begin = text.data() + (text[0] == '+');
  auto [stop, ec] = std::from_chars(begin, text.data() + text.size(), value);
  if (ec == std::errc())
    return stop == text.data() + text.size();
  if (ec != std::errc::result_out_of_range)
    return false;
  // Out of range: too large when the first significant digit stands at a
  // power of ten of 0 or more.
  long power = static_cast<long>(intEnd - at) - 1;
  for (std::size_t i = at; i < fracEnd; ++i) {
    if (text[i] == '.')
      continue;
    if (text[i] != '0')
      break;
    --power;
  }
  long exponent = 0;
  if (fracEnd < text.size()) {
    std::size_t e = fracEnd + 1;
    bool negative = text[e] == '-';
    e += text[e] == '+' || text[e] == '-';
    for (; e < text.size() && exponent < 100000; ++e)
      exponent = exponent * 10 + (text[e] - '0');
    exponent = negative ? -exponent : exponent;
  }
  if (power + exponent >= 0)
    return false;
  value = text[0] == '-' ? -0.0 : 0.0;
  return true;
}

} // namespace

// Case mapping changes ASCII letters only: under a single-byte locale,
// mapping the bytes of a multi-byte character one by one would break it.
std::string toUpper(std::string text) {
  for (char &c : text)
    if (static_cast<unsigned char>(c) < 0x80)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string toLower(std::string text) {
  for (char &c : text)
    if (static_cast<unsigned char>(c) < 0x80)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Indices and lengths count whole UTF-8 characters (zrep::utf8).

int Pos(std::string text, std::string pattern, int start) {
  if (start < 0)
    return -1;
  std::size_t from = utf8::offset(text, static_cast<std::size_t>(start));
  if (from == text.size() &&
      utf8::count(text) < static_cast<std::size_t>(start))
    return -1;
  std::size_t at = text.find(pattern, from);
  if (at == std::string::npos)
    return -1;
  return start + static_cast<int>(utf8::count(
                     std::string_view(text).substr(from, at - from)));
}

std::string Trim(std::string text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos)
    return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int Length(std::string text) { return static_cast<int>(utf8::count(text)); }
int Size(std::string text) { return Length(std::move(text)); }

std::string SubString(std::string text, int from, int to) {
  std::size_t begin = from < 0
                          ? text.size()
                          : utf8::offset(text, static_cast<std::size_t>(from));
  if (begin >= text.size())
    throw Kel_Var_2_Exception("SubString: index " + std::to_string(from) +
                              " is past the end of \"" + text + "\"");
  if (to < from)
    return "";
  std::string_view rest = std::string_view(text).substr(begin);
  return std::string(rest.substr(
      0, utf8::offset(rest, static_cast<std::size_t>(to) - from + 1)));
}

std::string Substring(std::string text, int from, int to) {
  return SubString(std::move(text), from, to);
}

std::string Char(std::string text, int index) {
  std::size_t at = index < 0
                       ? text.size()
                       : utf8::offset(text, static_cast<std::size_t>(index));
  if (at >= text.size())
    throw Kel_Var_2_Exception("Char: index " + std::to_string(index) +
                              " is past the end of \"" + text + "\"");
  return text.substr(at, utf8::charLength(text, at));
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
