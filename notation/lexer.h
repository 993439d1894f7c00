//===- lexer.h - Tokens of the notation -------------------------*- C++ -*-===//
//
// Names (identifiers and double-quoted texts), integers, punctuation and
// expression texts. An expression text is not cut into tokens: after
// `where`, `when`, `:=` and in call arguments the parser asks for the raw
// text up to its terminator, skipping over "string constants", or for a
// backtick-quoted text with escapes.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "source.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace notation {

enum class Tok : std::uint8_t {
  End,
  Ident,  ///< identifier or keyword
  Quoted, ///< "text" (value unescaped)
  Int,
  LBrace,
  RBrace,
  LParen,
  RParen,
  LBracket,
  RBracket,
  Semi,
  Comma,
  Colon,
  ColonColon,
  Dot,
  DotDot,
  Star,
  Eq,
  Assign, ///< :=
  Arrow,  ///< ->
  DashDash,
  Dash,
  Question,
  Hash,
  At,
  Bad, ///< a character that starts no token (reported)
};

/// How an expression text ends.
enum class ExprEnd {
  Semicolon, ///< at ";" outside string constants
  Argument,  ///< at "," or ")" outside brackets and string constants
};

struct Token {
  Tok kind = Tok::End;
  std::uint32_t offset = 0;
  std::string_view text; ///< as written
  std::string value;     ///< Quoted: the unescaped text
};

class Lexer {
public:
  Lexer(const SourceFile &file, Diagnostics &diags);

  const Token &peek() { return peeked_ ? next_ : fill(); }
  Token take();
  /// Whether the next token is the identifier `word`.
  bool isWord(std::string_view word) {
    return peek().kind == Tok::Ident && peek().text == word;
  }

  /// Reads an expression text starting after the last token taken (none
  /// may be peeked). Line breaks become CR LF, as the editor stores them;
  /// blanks around the text are dropped. Leaves the terminator to be taken.
  /// False (after an error) when the text does not end.
  bool expression(ExprEnd end, std::string &text, std::uint32_t &offset);

  /// Whether `text` can be written raw for `end` and read back unchanged.
  static bool writableRaw(std::string_view text, ExprEnd end);

  /// The next character that is not blank or in a comment, without
  /// reading a token (none may be peeked); '\0' at the end.
  char nextChar();
  /// Whether the text from the next character on starts with `text`.
  bool nextIs(std::string_view text) {
    nextChar();
    return src_.substr(pos_, text.size()) == text;
  }
  /// Where the last token taken ends.
  std::uint32_t lastEnd() const { return lastEnd_; }

  /// Reports `message` before the next token ("... before 'x'"), unless
  /// that token is one the lexer has already reported.
  void errorBeforeNext(const std::string &message);
  /// Takes the next token if it is of `kind`; otherwise reports "expected
  /// WHAT" and takes nothing. A missing ';' is shown right after what it
  /// ends.
  bool expect(Tok kind, const char *what);
  /// Where reading goes on (after nextChar: the next character's offset).
  std::uint32_t offset() const { return pos_; }

private:
  const Token &fill();
  void skipBlanks();
  void quoted(Token &t);

  const SourceFile &file_;
  Diagnostics &diags_;
  std::string_view src_;
  std::uint32_t pos_ = 0;
  std::uint32_t lastEnd_ = 0;
  Token next_;
  bool peeked_ = false;
};

/// Appends `text` in double quotes with JSON escapes.
void appendQuoted(std::string &out, std::string_view text);
/// Appends `text` in backticks with escapes.
void appendBackticked(std::string &out, std::string_view text);

} // namespace notation
