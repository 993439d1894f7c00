//===- lexer.cpp - Tokens of the notation ---------------------------------===//

#include "lexer.h"

#include "file_text.h"
#include "utf8.h"

#include <fmt/format.h>

#include <array>

namespace notation {

namespace {

bool isIdentStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isIdentChar(char c) { return isIdentStart(c) || (c >= '0' && c <= '9'); }
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

void appendUtf8(std::string &out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

int hexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

/// Reads the escaped text that starts after the opening `quote` at `pos`;
/// on return `pos` is past the closing quote. Reports and returns false on
/// a bad escape or a missing close.
bool unescape(std::string_view src, std::uint32_t &pos, char quote,
              std::string &out, Diagnostics &diags) {
  std::uint32_t open = pos - 1;
  while (pos < src.size()) {
    char c = src[pos];
    if (c == quote) {
      ++pos;
      return true;
    }
    if (c == '\n' && quote == '"') {
      diags.error(open, "this name does not end on its line: a closing '\"' "
                        "is missing");
      return false;
    }
    if (c != '\\') {
      // Line breaks written as they are in an expression text are CR LF,
      // as in a raw one.
      if (quote == '`' && (c == '\n' || c == '\r')) {
        out += "\r\n";
        pos +=
            c == '\r' && pos + 1 < src.size() && src[pos + 1] == '\n' ? 2 : 1;
        continue;
      }
      out += c;
      ++pos;
      continue;
    }
    std::uint32_t at = pos;
    char e = pos + 1 < src.size() ? src[pos + 1] : '\0';
    pos += 2;
    switch (e) {
    case '"':
    case '\\':
    case '/':
    case '`':
      out += e;
      break;
    case 'b':
      out += '\b';
      break;
    case 'f':
      out += '\f';
      break;
    case 'n':
      out += '\n';
      break;
    case 'r':
      out += '\r';
      break;
    case 't':
      out += '\t';
      break;
    case 'u': {
      auto hex4 = [&](std::uint32_t from, char32_t &v) {
        if (from + 4 > src.size())
          return false;
        v = 0;
        for (std::uint32_t i = 0; i < 4; ++i) {
          int h = hexValue(src[from + i]);
          if (h < 0)
            return false;
          v = v * 16 + static_cast<char32_t>(h);
        }
        return true;
      };
      char32_t cp;
      if (!hex4(pos, cp)) {
        diags.error(at, "'\\u' needs four hexadecimal digits");
        return false;
      }
      pos += 4;
      if (cp == 0) {
        diags.error(at, "'\\u0000' is a NUL character, which a repository "
                        "cannot hold");
        return false;
      }
      if (cp >= 0xD800 && cp <= 0xDBFF) {
        char32_t low;
        if (pos + 1 < src.size() && src[pos] == '\\' && src[pos + 1] == 'u' &&
            hex4(pos + 2, low) && low >= 0xDC00 && low <= 0xDFFF) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          pos += 6;
        } else {
          diags.error(at, "a '\\u' escape of a lone surrogate is no character");
          return false;
        }
      } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
        diags.error(at, "a '\\u' escape of a lone surrogate is no character");
        return false;
      }
      appendUtf8(out, cp);
      break;
    }
    default:
      diags.error(at, "unknown escape '\\" + std::string(1, e) + "'");
      return false;
    }
  }
  diags.error(open, std::string("a closing '") + quote + "' is missing");
  return false;
}

} // namespace

Lexer::Lexer(const SourceFile &file, Diagnostics &diags)
    : file_(file), diags_(diags), src_(file.text()) {
  if (src_.substr(0, 3) == "\xEF\xBB\xBF")
    pos_ = 3;
}

Token Lexer::take() {
  if (!peeked_)
    fill();
  peeked_ = false;
  lastEnd_ = next_.offset + static_cast<std::uint32_t>(next_.text.size());
  return std::move(next_);
}

void Lexer::skipBlanks() {
  for (;;) {
    while (pos_ < src_.size() && isBlank(src_[pos_]))
      ++pos_;
    if (pos_ + 1 < src_.size() && src_[pos_] == '/' && src_[pos_ + 1] == '/') {
      while (pos_ < src_.size() && src_[pos_] != '\n')
        ++pos_;
      continue;
    }
    return;
  }
}

char Lexer::nextChar() {
  skipBlanks();
  return pos_ < src_.size() ? src_[pos_] : '\0';
}

const Token &Lexer::fill() {
  skipBlanks();
  Token &t = next_;
  t.value.clear();
  t.offset = pos_;
  peeked_ = true;
  if (pos_ >= src_.size()) {
    t.kind = Tok::End;
    t.text = {};
    return t;
  }
  std::uint32_t start = pos_;
  char c = src_[pos_];
  auto punct = [&](Tok kind, std::uint32_t length) {
    t.kind = kind;
    pos_ += length;
  };
  char n = pos_ + 1 < src_.size() ? src_[pos_ + 1] : '\0';
  if (isIdentStart(c)) {
    while (pos_ < src_.size() && isIdentChar(src_[pos_]))
      ++pos_;
    t.kind = Tok::Ident;
  } else if (c >= '0' && c <= '9') {
    while (pos_ < src_.size() && src_[pos_] >= '0' && src_[pos_] <= '9')
      ++pos_;
    t.kind = Tok::Int;
  } else if (c == '"') {
    ++pos_;
    t.kind =
        unescape(src_, pos_, '"', t.value, diags_) ? Tok::Quoted : Tok::Bad;
    if (t.kind == Tok::Bad) // go on after the line
      while (pos_ < src_.size() && src_[pos_] != '\n')
        ++pos_;
  } else {
    switch (c) {
    case '{':
      punct(Tok::LBrace, 1);
      break;
    case '}':
      punct(Tok::RBrace, 1);
      break;
    case '(':
      punct(Tok::LParen, 1);
      break;
    case ')':
      punct(Tok::RParen, 1);
      break;
    case '[':
      punct(Tok::LBracket, 1);
      break;
    case ']':
      punct(Tok::RBracket, 1);
      break;
    case ';':
      punct(Tok::Semi, 1);
      break;
    case ',':
      punct(Tok::Comma, 1);
      break;
    case '*':
      punct(Tok::Star, 1);
      break;
    case '=':
      punct(Tok::Eq, 1);
      break;
    case '?':
      punct(Tok::Question, 1);
      break;
    case '#':
      punct(Tok::Hash, 1);
      break;
    case '@':
      punct(Tok::At, 1);
      break;
    case ':':
      punct(n == ':'   ? Tok::ColonColon
            : n == '=' ? Tok::Assign
                       : Tok::Colon,
            n == ':' || n == '=' ? 2 : 1);
      break;
    case '.':
      punct(n == '.' ? Tok::DotDot : Tok::Dot, n == '.' ? 2 : 1);
      break;
    case '-':
      punct(n == '>'   ? Tok::Arrow
            : n == '-' ? Tok::DashDash
                       : Tok::Dash,
            n == '>' || n == '-' ? 2 : 1);
      break;
    default: {
      std::size_t length = zrep::utf8::charLength(src_, pos_);
      pos_ += static_cast<std::uint32_t>(length);
      t.kind = Tok::Bad;
      std::string_view ch = src_.substr(start, length);
      bool printable = length > 1 || (c >= 0x20 && c < 0x7F);
      diags_.error(start, printable
                              ? "unexpected character '" + std::string(ch) + "'"
                              : fmt::format("unexpected byte 0x{:02X}",
                                            static_cast<unsigned char>(c)));
    }
    }
  }
  t.text = src_.substr(start, pos_ - start);
  return t;
}

bool Lexer::expression(ExprEnd end, std::string &text, std::uint32_t &offset) {
  text.clear();
  skipBlanks();
  offset = pos_;
  if (pos_ < src_.size() && src_[pos_] == '`') {
    ++pos_;
    return unescape(src_, pos_, '`', text, diags_);
  }
  int depth = 0;
  bool inString = false;
  std::uint32_t at = pos_;
  for (; at < src_.size(); ++at) {
    char c = src_[at];
    if (c == '"') {
      inString = !inString;
      continue;
    }
    if (inString)
      continue;
    if (end == ExprEnd::Semicolon) {
      if (c == ';')
        break;
      if (c == '}') {
        diags_.error(at, "expected ';' after the expression");
        pos_ = at;
        return false;
      }
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if (depth == 0 && (c == ',' || c == ')')) {
      break;
    }
  }
  if (at >= src_.size()) {
    diags_.error(offset, inString ? "a string constant in this expression "
                                    "does not end"
                                  : "this expression does not end");
    pos_ = at;
    return false;
  }
  lastEnd_ = at;
  std::uint32_t last = at;
  while (last > pos_ && isBlank(src_[last - 1]))
    --last;
  text.reserve(last - pos_);
  for (std::uint32_t i = pos_; i < last; ++i) {
    char c = src_[i];
    if (c == '\n' || (c == '\r' && (i + 1 >= last || src_[i + 1] != '\n'))) {
      text += "\r\n";
    } else if (c == '\r') {
      text += "\r\n";
      ++i;
    } else {
      text += c;
    }
  }
  pos_ = at;
  return true;
}

bool Lexer::writableRaw(std::string_view text, ExprEnd end) {
  if (text.empty() || isBlank(text.front()) || isBlank(text.back()) ||
      text.front() == '`' || text.substr(0, 2) == "//" ||
      text.substr(0, 2) == "@{")
    return false;
  // The characters the loop looks at; the others pass as they are.
  static constexpr std::array<bool, 256> kSpecial = [] {
    std::array<bool, 256> special{};
    for (char c : std::string_view("\r\n\";}(),"))
      special[static_cast<unsigned char>(c)] = true;
    return special;
  }();
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (!kSpecial[static_cast<unsigned char>(c)])
      continue;
    if (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))
      return false;
    if (c == '\n' && (i == 0 || text[i - 1] != '\r'))
      return false;
    if (c == '"') {
      inString = !inString;
      continue;
    }
    if (inString)
      continue;
    if (end == ExprEnd::Semicolon) {
      if (c == ';' || c == '}')
        return false;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth == 0)
        return false;
      --depth;
    } else if (c == ',' && depth == 0) {
      return false;
    }
  }
  return !inString;
}

namespace {

void appendEscaped(std::string &out, std::string_view text, char quote) {
  out += quote;
  for (char c : text) {
    switch (c) {
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if (c == quote) {
        out += '\\';
        out += c;
      } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        out += fmt::format("\\u{:04x}", static_cast<unsigned char>(c));
      } else {
        out += c;
      }
    }
  }
  out += quote;
}

std::string describe(const Token &t) {
  switch (t.kind) {
  case Tok::End:
    return "the end of the file";
  case Tok::Quoted:
    return "\"" + zrep::printable(t.value, 40) + "\"";
  default:
    return "'" + std::string(t.text) + "'";
  }
}

} // namespace

void Lexer::errorBeforeNext(const std::string &message) {
  const Token &t = peek();
  if (t.kind != Tok::Bad) // already reported by the lexer
    diags_.error(t.offset, message + " before " + describe(t));
}

bool Lexer::expect(Tok kind, const char *what) {
  if (peek().kind == kind) {
    take();
    return true;
  }
  if (kind == Tok::Semi && peek().kind != Tok::Bad)
    diags_.error(lastEnd(), "expected ';'");
  else
    errorBeforeNext(std::string("expected ") + what);
  return false;
}

void appendQuoted(std::string &out, std::string_view text) {
  appendEscaped(out, text, '"');
}

void appendBackticked(std::string &out, std::string_view text) {
  appendEscaped(out, text, '`');
}

} // namespace notation
