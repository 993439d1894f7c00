//===- boolean.cpp - Boolean expressions into commands --------------------===//
//
// The expression is split at its weakest operator on bracket level 0: the
// first "or", else the first "and", else the first "not"; what is left is a
// relation or a Boolean operand. Each operator compiles its operands into
// Boolean temporaries and then combines them with tests that jump to a
// label of its own.
//
//===----------------------------------------------------------------------===//

#include "boolean.h"

#include "../program/chains.h"
#include "../program/declarations.h"
#include "../program/names.h"
#include "../queries/names.h"
#include "elements.h"
#include "expression.h"
#include "lexer.h"
#include "messages.h"
#include "stack_room.h"

#include <cstdint>
#include <set>
#include <unordered_map>
#include <vector>

using namespace kel;

namespace zeva {

namespace {

using expressions::createValueCommand;
using expressions::findPrimitiveType;
using expressions::nextLexem;
using expressions::onExtent;

/// What an enclosing call already knows about a piece from its own scan of
/// the same lexems on the same bracket level: the piece has no level-0 "or"
/// (and no bracket fault), or neither "or" nor "and". Skipping the scans it
/// has made keeps a long chain of one operator linear; a piece that loses
/// its outer brackets is on a new level and is scanned in full again.
enum class Known { Nothing, NoOr, NoOrAnd };

enum class Scan { Found, Missing, BracketFault };

enum class Kind : std::uint8_t { Other, Open, Close, Space };
enum class Word : std::uint8_t { None, Or, And, Not };

/// The lexem chain of one Boolean expression, read once. The pieces that
/// the compilation makes of it are nested in each other or apart, so what
/// a walk along a piece would find (the ")" that closes a "(", whether only
/// blanks follow a lexem, the first operator on bracket level 0) is found here
/// without walking again into every bracket group at every level. The
/// chain is only cut, never relinked, while the expression compiles, and
/// a piece ends at the first cut after its start.
class Chain {
public:
  explicit Chain(const Kel_Var_2 &first) {
    std::vector<int> open;
    Kel_Var_2 at("Le"), next("Le");
    bool more = !IsNull(first);
    if (more)
      at = first;
    while (more) {
      int pos = static_cast<int>(kind_.size());
      if (!positions_.try_emplace(CurId(at), pos).second)
        break; // a looping chain: the walks would loop instead
      std::string sort = GetAttrStr(at, "sort"), val = GetAttrStr(at, "val");
      Kind kind = sort == "left_bracket"    ? Kind::Open
                  : sort == "right_bracket" ? Kind::Close
                  : sort == "space"         ? Kind::Space
                                            : Kind::Other;
      Word word = val == "or"    ? Word::Or
                  : val == "and" ? Word::And
                  : val == "not" ? Word::Not
                                 : Word::None;
      kind_.push_back(kind);
      word_.push_back(word);
      match_.push_back(-1);
      held_.push_back(-1);
      if (kind == Kind::Open)
        open.push_back(pos);
      if (kind == Kind::Close && !open.empty()) {
        match_[open.back()] = pos;
        open.pop_back();
      }
      // Brackets and operators may be handed back as lexems.
      if (kind == Kind::Open || kind == Kind::Close || word != Word::None) {
        held_[pos] = static_cast<int>(lexems_.size());
        lexems_.push_back(onExtent(at));
      }
      more = FirstByLink(next, at, "next1");
      if (more)
        at = next;
    }
    int size = static_cast<int>(kind_.size());
    nextNonSpace_.assign(size + 1, size);
    for (int i = size; i-- > 0;)
      nextNonSpace_[i] = kind_[i] == Kind::Space ? nextNonSpace_[i + 1] : i;
  }

  /// The position of a lexem of the chain.
  int at(const Kel_Var_2 &lexem) const {
    auto found = positions_.find(CurId(lexem));
    if (found == positions_.end())
      RepositoryUser::internalError("lexem outside its expression's chain");
    return found->second;
  }
  Kind kind(int pos) const { return kind_[pos]; }
  /// A bracket or operator of the chain, held on the extent.
  const Kel_Var_2 &lexem(int pos) const { return lexems_[held_[pos]]; }
  /// Cuts the chain before `lexem`: the "next1" link from the lexem before
  /// it goes, and the piece through that lexem ends there. The only place
  /// that cuts, so that the index always agrees with the links.
  void cutBefore(const Kel_Var_2 &lexem) {
    Kel_Var_2 previous("Le");
    if (!FirstByLink(previous, lexem, "prev1"))
      return;
    DeleteLink(onExtent(previous), lexem, "next1");
    cuts_.insert(at(lexem));
  }

  /// The ")" that closes the "(" at `open` in its piece; -1 when the piece
  /// ends first.
  int closing(int open) const {
    int close = match_[open];
    return close >= 0 && close < end(open) ? close : -1;
  }
  /// Whether only " " lexems follow `pos` in its piece.
  bool onlySpacesAfter(int pos) const {
    return nextNonSpace_[pos + 1] >= end(pos);
  }
  /// The first lexem from `from` on, on bracket level 0 of its piece, whose
  /// "val" is `word`; bracket groups are skipped. A ")" outside any group,
  /// or a group still open at the piece's end, is a bracket fault.
  Scan scanLevel0(int from, Word word, int &found) const {
    int stop = end(from);
    for (int i = from; i < stop;) {
      if (kind_[i] == Kind::Open) {
        int close = match_[i];
        if (close < 0 || close >= stop)
          return Scan::BracketFault;
        i = close + 1;
      } else if (kind_[i] == Kind::Close) {
        return Scan::BracketFault;
      } else if (word_[i] == word) {
        found = i;
        return Scan::Found;
      } else {
        ++i;
      }
    }
    return Scan::Missing;
  }

private:
  /// Where the piece through `pos` ends: its first cut after `pos`.
  int end(int pos) const {
    auto cut = cuts_.upper_bound(pos);
    return cut == cuts_.end() ? static_cast<int>(kind_.size()) : *cut;
  }

  std::unordered_map<ObjectId, int> positions_;
  std::vector<Kind> kind_;
  std::vector<Word> word_;
  std::vector<int> match_; ///< Per "(", its ")" in the whole chain, or -1.
  std::vector<int> nextNonSpace_;
  std::vector<int> held_; ///< Per position, its index in lexems_, or -1.
  std::vector<Kel_Var_2> lexems_;
  std::set<int> cuts_; ///< Positions whose link from the one before is cut.
};

/// Where the commands go and what the messages are about, and the chain.
struct Context {
  const Kel_Var_2 &element, &block;
  Chain chain;
};

std::string sortOf(const Kel_Var_2 &lexem) { return GetAttrStr(lexem, "sort"); }

/// The name of a declared temporary. A declaration that failed (1001) has
/// none, and reading it aborts the run.
std::string nameOf(const Kel_Var_2 &definition) {
  return GetAttrStr(definition, "name1");
}

/// Appends `test` with `text`, jumping to `label` when it fails.
void appendTest(const Kel_Var_2 &test, const std::string &text,
                const Kel_Var_2 &label, const Kel_Var_2 &block) {
  SetAttrStr(test, "text", text);
  SetAttrStr(test, "else1", GetAttrStr(label, "name"));
  AddKomToKomblock(test, block);
}

void appendTest(const std::string &text, const Kel_Var_2 &label,
                const Kel_Var_2 &block) {
  Kel_Var_2 test("Ekom");
  AddObj(test, "Ekom");
  appendTest(test, text, label, block);
}

/// PrintBooleanExpression for a piece of the chain, skipping the scans that
/// `known` makes needless.
void printPiece(Kel_Var_2 lexem, const std::string &result, Context &c,
                Known known);

/// "or" (`isOr`) or "and" at `op`: both operands into temporaries A and B,
/// then the result. For "or" the result starts true and becomes false only
/// when neither is true; for "and" the other way round.
void printConnective(const Kel_Var_2 &first, const Kel_Var_2 &op, bool isOr,
                     const std::string &result, Context &c) {
  const Kel_Var_2 &element = c.element, &block = c.block;
  // 1. The operands; the left one ends before the operator.
  Kel_Var_2 right("Le");
  if (!nextLexem(op, right)) {
    printError(isOr ? 25 : 27, element, "");
    return;
  }
  // The operator may open the piece and still follow a lexem: the "(" of
  // outer brackets removed, which keep their link to what they enclosed.
  Kel_Var_2 previous("Le");
  if (!FirstByLink(previous, op, "prev1")) {
    printError(isOr ? 26 : 28, element, "");
    return;
  }
  bool opensPiece = PtrEq(op, first);
  c.chain.cutBefore(op);
  // 2.
  Kel_Var_2 label = CreateLabel();
  std::string a = nameOf(DeclareVaCon("Boolean", element));
  std::string b = nameOf(DeclareVaCon("Boolean", element));
  // 3. The left operand holds no level-0 operator of this rank or a weaker
  // one; the right one none weaker. A left operand that starts at the
  // operator is the operator's piece again, which finds it with nothing
  // before it.
  Known left = isOr ? Known::NoOr : Known::NoOrAnd;
  if (opensPiece)
    left = isOr ? Known::Nothing : Known::NoOr;
  printPiece(first, a, c, left);
  printPiece(right, b, c, isOr ? Known::Nothing : Known::NoOr);
  // 4.
  std::string initial = isOr ? "true" : "false";
  std::string other = isOr ? "false" : "true";
  AddSkomToKomBlock("setVar " + result + "=" + initial, block);
  appendTest("var " + a + "==" + other, label, block);
  appendTest("var " + b + "==" + other, label, block);
  AddSkomToKomBlock("setVar " + result + "=" + other, block);
  AddKomToKomblock(label, block);
}

/// "not" at `op`: its operand is everything after it.
void printNot(const Kel_Var_2 &op, const std::string &result, Context &c) {
  const Kel_Var_2 &element = c.element, &block = c.block;
  Kel_Var_2 operand("Le");
  if (!nextLexem(op, operand)) {
    printError(29, element, "");
    return;
  }
  Kel_Var_2 label = CreateLabel();
  std::string a = nameOf(DeclareVaCon("Boolean", element));
  printPiece(operand, a, c, Known::NoOrAnd);
  AddSkomToKomBlock("setVar " + result + "=true", block);
  appendTest("var " + a + "==true", label, block);
  AddSkomToKomBlock("setVar " + result + "=false", block);
  AddKomToKomblock(label, block);
}

/// A relation (sides compared in temporaries of the left side's type) or a
/// Boolean operand (evaluated into a Boolean temporary), tested against
/// `result`'s label.
void printRelation(const Kel_Var_2 &first, const std::string &result,
                   Context &c) {
  const Kel_Var_2 &element = c.element, &block = c.block;
  AddSkomToKomBlock("setVar " + result + "=false", block);
  Kel_Var_2 label = CreateLabel();
  // The test is made at once and appended last; a fault on the way leaves
  // it in no block.
  Kel_Var_2 testKom("Ekom");
  AddObj(testKom, "Ekom");
  std::string test;
  Kel_Var_2 relation("Le");
  if (findLexem("rel_sign", first, relation)) {
    // 1. The left side ends before the sign.
    if (PtrEq(relation, first)) {
      printError(22, element, "");
      return;
    }
    c.chain.cutBefore(relation);
    // 2.
    Kel_Var_2 type("Kernel::Type");
    if (!GetExpressionType(first, element, type)) {
      printError(65, element, GetAttrStr(first, "val"));
      return;
    }
    // 3, 4. Both sides are of the left side's type.
    bool isClass = IsTypeOf(type, "Kernel::Class");
    std::string typeName = GetKernelElementFullName(type);
    auto declare = [&] {
      return nameOf(isClass ? DeclarePoCon(typeName, element)
                            : DeclareVaCon(typeName, element));
    };
    std::string assign = isClass ? "setPointer " : "setVar ";
    std::string temporary1 = declare();
    Kel_Var_2 expression1("Expression");
    Kel_Var_2 side1 =
        createValueCommand(assign + temporary1 + "=", expression1);
    test = (isClass ? "pointer " : "var ") + temporary1;
    Kel_Var_2 left = first;
    PrintExpression(expression1, block, element, type, left, 0);
    AddKomToKomblock(side1, block);
    // 5.
    Kel_Var_2 right("Le");
    if (!nextLexem(relation, right)) {
      printError(23, element, "");
      return;
    }
    std::string temporary2 = declare();
    Kel_Var_2 expression2("Expression");
    Kel_Var_2 side2 =
        createValueCommand(assign + temporary2 + "=", expression2);
    PrintExpression(expression2, block, element, type, right, 0);
    AddKomToKomblock(side2, block);
    // 6.
    test += GetAttrStr(relation, "val") + temporary2;
  } else {
    // 2. A Boolean operand.
    std::string value = nameOf(DeclareVaCon("Boolean", element));
    Kel_Var_2 expression("Expression");
    Kel_Var_2 command = createValueCommand("setVar " + value + "=", expression);
    Kel_Var_2 boolean("Kernel::Type"), operand = first;
    findPrimitiveType("Boolean", boolean);
    PrintExpression(expression, block, element, boolean, operand, 0);
    AddKomToKomblock(command, block);
    test = "var " + value + "==true";
  }
  // 3.
  appendTest(testKom, test, label, block);
  AddSkomToKomBlock("setVar " + result + "=true", block);
  AddKomToKomblock(label, block);
}

void printPieceHere(Kel_Var_2 lexem, const std::string &result, Context &c,
                    Known known);

void printPiece(Kel_Var_2 lexem, const std::string &result, Context &c,
                Known known) {
  // Operators nest as deep as the expression chains or brackets them.
  withStackRoom([&] { printPieceHere(std::move(lexem), result, c, known); });
}

void printPieceHere(Kel_Var_2 lexem, const std::string &result, Context &c,
                    Known known) {
  if (IsNull(lexem))
    return;
  Kel_Var_2 first = onExtent(lexem);
  for (;;) {
    // 1. Leading blanks.
    while (sortOf(first) == "space" || sortOf(first) == "new_line")
      if (!nextLexem(first, first))
        return;
    // 2. Outer brackets around the whole piece.
    int open = c.chain.at(first);
    if (c.chain.kind(open) != Kind::Open)
      break;
    int close = c.chain.closing(open);
    if (close < 0) {
      printError(24, c.element, "");
      return;
    }
    if (!c.chain.onlySpacesAfter(close))
      break;
    c.chain.cutBefore(c.chain.lexem(close));
    if (!nextLexem(first, first))
      return;
    known = Known::Nothing;
  }
  // 3 to 5. The weakest operator on level 0; a scan that finds nothing
  // has walked the whole piece, so only the first can meet a bracket fault.
  int from = c.chain.at(first), op = -1;
  Scan scan = Scan::Missing;
  if (known == Known::Nothing) {
    scan = c.chain.scanLevel0(from, Word::Or, op);
    if (scan == Scan::Found) {
      printConnective(first, c.chain.lexem(op), true, result, c);
      return;
    }
  }
  if (scan == Scan::Missing && known != Known::NoOrAnd) {
    scan = c.chain.scanLevel0(from, Word::And, op);
    if (scan == Scan::Found) {
      printConnective(first, c.chain.lexem(op), false, result, c);
      return;
    }
  }
  if (scan == Scan::Missing) {
    scan = c.chain.scanLevel0(from, Word::Not, op);
    if (scan == Scan::Found) {
      printNot(c.chain.lexem(op), result, c);
      return;
    }
  }
  if (scan == Scan::BracketFault) {
    printError(24, c.element, "");
    return;
  }
  // 6.
  printRelation(first, result, c);
}

} // namespace

void PrintBooleanExpression(Kel_Var_2 lexem, std::string result,
                            Kel_Var_2 element, Kel_Var_2 block) {
  Context c{element, block, Chain(lexem)};
  printPiece(lexem, result, c, Known::Nothing);
}

} // namespace zeva
