//===- lexer.cpp - Expression texts cut into lexems -----------------------===//

#include "lexer.h"

#include "elements.h"

#include "natives.h"
#include "utf8.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

using namespace kel;
using zeva::expressions::onExtent;

namespace zeva {

namespace {

/// A token kind after the string constant, which outranks them all.
struct TokenKind {
  std::string_view text; ///< What is searched for.
  const char *sort;
  const char *val; ///< Null for the line feed, whose val is its span.
};

/// In rank order: the first kind that occurs in a piece splits it.
constexpr TokenKind kTokenKinds[] = {
    {"\n", "new_line", nullptr}, {":=", "as_sign", ":="},
    {" ", "space", " "},         {"<>", "rel_sign", "!="},
    {">=", "rel_sign", ">="},    {"<=", "rel_sign", "<="},
    {"=", "rel_sign", "=="},     {"->", "arrow", "->"},
    {">", "rel_sign", ">"},      {"<", "rel_sign", "<"},
    {",", "comma", ","},         {".", "dot", "."},
    {"(", "left_bracket", "("},  {")", "right_bracket", ")"},
    {"+", "plus_sign", "+"},     {"*", "mult_sign", "*"},
    {"-", "minus_sign", "-"},
};
constexpr std::size_t kKindCount = std::size(kTokenKinds);
constexpr std::size_t kNone = std::string_view::npos;

/// Positions [begin, end) of the whole text.
struct Span {
  std::size_t begin, end;
};

struct Token {
  Span span;
  const char *sort;
  std::string val;
};

/// Finds the splitting token of any piece of one text.
///
/// Cutting the text into substrings and searching each piece for every kind
/// again would cost each piece's length per split, which adds up to the
/// square of the text's length for a text such as "a+b+c+...". Instead the
/// occurrences of every kind in the whole text are listed once, in order,
/// and the leftmost one inside a piece is found by binary search. An
/// occurrence counts only if it lies wholly inside the piece, so the result
/// is what searching the piece's own text would give.
class TokenIndex {
public:
  explicit TokenIndex(std::string_view text)
      : text_(text), nextNonBlank_(text.size() + 1, text.size()) {
    for (std::size_t at = text.find('"'); at != kNone;
         at = text.find('"', at + 1))
      quotes_.push_back(at);
    for (std::size_t k = 0; k < kKindCount; ++k)
      for (std::size_t at = text.find(kTokenKinds[k].text); at != kNone;
           at = text.find(kTokenKinds[k].text, at + 1))
        occurrences_[k].push_back(at);
    for (std::size_t i = text.size(); i-- > 0;)
      nextNonBlank_[i] = text[i] == ' ' ? nextNonBlank_[i + 1] : i;
  }

  std::string_view text(Span s) const {
    return text_.substr(s.begin, s.end - s.begin);
  }
  /// Whether `piece` holds anything but blanks.
  bool hasNonBlank(Span piece) const {
    return nextNonBlank_[piece.begin] < piece.end;
  }

  /// The leftmost occurrence in `piece` of the first kind, in rank order,
  /// that occurs there at all. Stops the run at an unterminated string.
  std::optional<Token> find(Span piece) const {
    if (std::size_t open = firstIn(quotes_, 1, piece); open != kNone) {
      std::size_t close = firstIn(quotes_, 1, {open + 1, piece.end});
      if (close == kNone) {
        showMsg("String constant formation ERROR");
        STOP();
      }
      Span span{open, close + 1};
      return Token{span, "String", std::string(text(span))};
    }
    for (std::size_t k = 0; k < kKindCount; ++k) {
      const TokenKind &kind = kTokenKinds[k];
      std::size_t at = firstIn(occurrences_[k], kind.text.size(), piece);
      if (at == kNone)
        continue;
      Span span{at, at + kind.text.size()};
      if (!kind.val) {
        // The line feed takes the character before it (the CR of a CR LF
        // pair), a whole UTF-8 character; at the start of a piece there is
        // none.
        if (at > piece.begin)
          span.begin = zrep::utf8::charBefore(text_, at, piece.begin);
        return Token{span, kind.sort, std::string(text(span))};
      }
      return Token{span, kind.sort, kind.val};
    }
    return std::nullopt;
  }

private:
  /// The first of the sorted positions `at` that starts a match of `width`
  /// characters wholly inside `piece`; kNone if there is none.
  static std::size_t firstIn(const std::vector<std::size_t> &at,
                             std::size_t width, Span piece) {
    auto it = std::lower_bound(at.begin(), at.end(), piece.begin);
    return it != at.end() && *it + width <= piece.end ? *it : kNone;
  }

  std::string_view text_;
  std::vector<std::size_t> quotes_;
  std::array<std::vector<std::size_t>, kKindCount> occurrences_;
  /// Per position, the first non-blank at or after it; the text's size if
  /// there is none.
  std::vector<std::size_t> nextNonBlank_;
};

const char *wordSort(const std::string &word) {
  if (!word.empty() && word[0] >= '0' && word[0] <= '9')
    return "Integer";
  if (word == "true" || word == "false")
    return "Boolean";
  if (word == "NULL")
    return "null";
  if (word == "and" || word == "or" || word == "not")
    return "boolop";
  return "ident";
}

Kel_Var_2 createLexem(const std::string &val, const char *sort) {
  Kel_Var_2 lexem("Le");
  AddObj(lexem, "Le");
  SetAttrStr(lexem, "val", val);
  SetAttrStr(lexem, "sort", sort);
  return lexem;
}

/// The lexem at the end of `lexem`'s chain along `role`.
Kel_Var_2 chainEnd(Kel_Var_2 lexem, const char *role) {
  Kel_Var_2 neighbour("Le");
  while (FirstByLink(neighbour, lexem, role))
    lexem = neighbour;
  return onExtent(lexem);
}

} // namespace

void divideIntoLexems(std::string text, Kel_Var_2 &lexem) {
  const TokenIndex index(text);
  // A piece's token is created first, then the lexems of its whole left
  // part, then those of its right part; that order fixes the ids of the
  // lexems. Each lexem is linked to the one before it in text order as soon
  // as that one is known: a token waits on `pending` while its left part is
  // lexed. A left part holds no kind of the token's rank or a higher one, so
  // `pending` never grows beyond the number of kinds, and right parts are
  // taken without it however many tokens follow one another.
  struct Pending {
    Kel_Var_2 token;
    Span right;
  };
  std::vector<Pending> pending;
  Kel_Var_2 previous("Le"); // the last lexem so far in text order
  auto reach = [&previous](const Kel_Var_2 &next) {
    if (!IsNull(previous))
      AddLink(previous, next, "next1");
    previous = next;
  };
  auto nonBlank = [&index](Span s) -> std::optional<Span> {
    return index.hasNonBlank(s) ? std::optional(s) : std::nullopt;
  };

  bool isTop = true;
  std::optional<Span> piece = Span{0, text.size()};
  while (piece || !pending.empty()) {
    if (!piece) {
      Pending done = std::move(pending.back());
      pending.pop_back();
      reach(done.token);
      piece = nonBlank(done.right);
      continue;
    }
    std::optional<Token> token = index.find(*piece);
    if (!token) {
      std::string word = Trim(std::string(index.text(*piece)));
      Kel_Var_2 current = createLexem(word, wordSort(word));
      if (isTop)
        lexem = current;
      reach(current);
      piece.reset();
    } else {
      Kel_Var_2 current = createLexem(token->val, token->sort);
      if (isTop)
        lexem = current;
      Span left{piece->begin, token->span.begin};
      Span right{token->span.end, piece->end};
      if (index.hasNonBlank(left)) {
        pending.push_back({std::move(current), right});
        piece = left;
      } else {
        reach(current);
        piece = nonBlank(right);
      }
    }
    isTop = false;
  }
}

void findFirstLexem(Kel_Var_2 lexem, Kel_Var_2 &first) {
  SetNull(first);
  if (!IsNull(lexem))
    first = chainEnd(lexem, "prev1");
}

void findLastLexem(Kel_Var_2 lexem, Kel_Var_2 &last) {
  SetNull(last);
  if (!IsNull(lexem))
    last = chainEnd(lexem, "next1");
}

void TrimLexems(Kel_Var_2 &lexem) {
  // A loop in place of the tail call on the next lexem: `at` is `lexem`
  // while lexems are removed at its place, then a cursor of its own once a
  // lexem stays.
  Kel_Var_2 cursor("Le"), next("Le"), previous("Le");
  Kel_Var_2 *at = &lexem;
  while (!IsNull(*at)) {
    std::string sort = GetAttrStr(*at, "sort");
    bool hasNext = FirstByLink(next, *at, "next1");
    if (sort != "space" && sort != "new_line") {
      if (!hasNext)
        return;
      cursor = next;
      at = &cursor;
      continue;
    }
    if (!hasNext) {
      DeleteObj(*at);
      return;
    }
    // Relinking drops the links that `next` and `*at` may have been reached
    // along, so both are taken onto the extent first.
    Kel_Var_2 following = onExtent(next), removed = onExtent(*at);
    if (FirstByLink(previous, removed, "prev1"))
      AddLink(previous, following, "next1");
    DeleteObj(removed);
    *at = following;
  }
}

void GetLexems(std::string text, Kel_Var_2 &lexem) {
  divideIntoLexems(std::move(text), lexem);
  Kel_Var_2 first("Le");
  findFirstLexem(lexem, first);
  lexem = first;
  TrimLexems(lexem);
}

bool findLexem(std::string sort, Kel_Var_2 lexem, Kel_Var_2 &found) {
  Kel_Var_2 next("Le");
  while (!IsNull(lexem)) {
    if (GetAttrStr(lexem, "sort") == sort) {
      found = onExtent(lexem);
      return true;
    }
    if (!FirstByLink(next, lexem, "next1"))
      return false;
    lexem = next;
  }
  return false;
}

void findEndOfExpression(Kel_Var_2 lexem, Kel_Var_2 &end, int depth) {
  Kel_Var_2 next("Le");
  while (FirstByLink(next, lexem, "next1")) {
    lexem = next;
    std::string sort = GetAttrStr(lexem, "sort");
    if ((sort == "comma" || sort == "right_bracket") && depth == 1) {
      end = onExtent(lexem);
      return;
    }
    if (sort == "right_bracket")
      --depth;
    else if (sort == "left_bracket")
      ++depth;
  }
}

} // namespace zeva
