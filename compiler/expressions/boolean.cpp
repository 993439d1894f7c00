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

/// Deletes the "next1" link from the lexem before `lexem`, so that the
/// chain before it ends there.
void cutBefore(const Kel_Var_2 &lexem) {
  Kel_Var_2 previous("Le");
  if (FirstByLink(previous, lexem, "prev1"))
    DeleteLink(onExtent(previous), lexem, "next1");
}

std::string sortOf(const Kel_Var_2 &lexem) { return GetAttrStr(lexem, "sort"); }

/// The name of a declared temporary; empty when the declaration failed,
/// which has been reported already.
std::string nameOf(const Kel_Var_2 &definition) {
  return IsNull(definition) ? "" : GetAttrStr(definition, "name1");
}

/// Walks the chain from `first` for a lexem of bracket level 0 whose "val"
/// is `word`, skipping bracket groups. A ")" outside any group, or a group
/// still open at the chain's end, is a bracket fault.
Scan scanLevel0(const Kel_Var_2 &first, const char *word, Kel_Var_2 &found) {
  int depth = 0;
  Kel_Var_2 at = first, next("Le");
  for (;;) {
    std::string sort = sortOf(at);
    if (sort == "left_bracket") {
      ++depth;
    } else if (sort == "right_bracket") {
      if (--depth < 0)
        return Scan::BracketFault;
    } else if (depth == 0 && GetAttrStr(at, "val") == word) {
      found = onExtent(at);
      return Scan::Found;
    }
    if (!FirstByLink(next, at, "next1"))
      return depth > 0 ? Scan::BracketFault : Scan::Missing;
    at = next;
  }
}

/// The ")" that closes the "(" `open`; false when the chain ends first.
bool findClosingBracket(const Kel_Var_2 &open, Kel_Var_2 &close) {
  int depth = 1;
  Kel_Var_2 at = open, next("Le");
  while (FirstByLink(next, at, "next1")) {
    at = next;
    std::string sort = sortOf(at);
    if (sort == "left_bracket") {
      ++depth;
    } else if (sort == "right_bracket" && --depth == 0) {
      close = onExtent(at);
      return true;
    }
  }
  return false;
}

bool onlySpacesAfter(const Kel_Var_2 &lexem) {
  Kel_Var_2 at = lexem, next("Le");
  while (FirstByLink(next, at, "next1")) {
    if (sortOf(next) != "space")
      return false;
    at = next;
  }
  return true;
}

void appendTest(const std::string &text, const Kel_Var_2 &label,
                const Kel_Var_2 &block) {
  Kel_Var_2 test("Ekom");
  AddObj(test, "Ekom");
  SetAttrStr(test, "text", text);
  SetAttrStr(test, "else1", GetAttrStr(label, "name"));
  AddKomToKomblock(test, block);
}

/// PrintBooleanExpression for a piece of the chain, skipping the scans that
/// `known` makes needless.
void printPiece(Kel_Var_2 lexem, const std::string &result,
                const Kel_Var_2 &element, const Kel_Var_2 &block, Known known);

/// "or" (`isOr`) or "and" at `op`: both operands into temporaries A and B,
/// then the result. For "or" the result starts true and becomes false only
/// when neither is true; for "and" the other way round.
void printConnective(const Kel_Var_2 &first, const Kel_Var_2 &op, bool isOr,
                     const std::string &result, const Kel_Var_2 &element,
                     const Kel_Var_2 &block) {
  // 1. The operands; the left one ends before the operator.
  Kel_Var_2 right("Le");
  if (!nextLexem(op, right)) {
    printError(isOr ? 25 : 27, element, "");
    return;
  }
  if (PtrEq(op, first)) {
    printError(isOr ? 26 : 28, element, "");
    return;
  }
  cutBefore(op);
  // 2.
  Kel_Var_2 label = CreateLabel();
  std::string a = nameOf(DeclareVaCon("Boolean", element));
  std::string b = nameOf(DeclareVaCon("Boolean", element));
  // 3. The left operand holds no level-0 operator of this rank or a weaker
  // one; the right one none weaker.
  printPiece(first, a, element, block, isOr ? Known::NoOr : Known::NoOrAnd);
  printPiece(right, b, element, block, isOr ? Known::Nothing : Known::NoOr);
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
void printNot(const Kel_Var_2 &op, const std::string &result,
              const Kel_Var_2 &element, const Kel_Var_2 &block) {
  Kel_Var_2 operand("Le");
  if (!nextLexem(op, operand)) {
    printError(29, element, "");
    return;
  }
  Kel_Var_2 label = CreateLabel();
  std::string a = nameOf(DeclareVaCon("Boolean", element));
  printPiece(operand, a, element, block, Known::NoOrAnd);
  AddSkomToKomBlock("setVar " + result + "=true", block);
  appendTest("var " + a + "==true", label, block);
  AddSkomToKomBlock("setVar " + result + "=false", block);
  AddKomToKomblock(label, block);
}

/// A relation (sides compared in temporaries of the left side's type) or a
/// Boolean operand (evaluated into a Boolean temporary), tested against
/// `result`'s label.
void printRelation(const Kel_Var_2 &first, const std::string &result,
                   const Kel_Var_2 &element, const Kel_Var_2 &block) {
  AddSkomToKomBlock("setVar " + result + "=false", block);
  Kel_Var_2 label = CreateLabel();
  // The test's text; the Ekom itself is made when it is appended.
  std::string test;
  Kel_Var_2 relation("Le");
  if (findLexem("rel_sign", first, relation)) {
    // 1. The left side ends before the sign.
    if (PtrEq(relation, first)) {
      printError(22, element, "");
      return;
    }
    cutBefore(relation);
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
  appendTest(test, label, block);
  AddSkomToKomBlock("setVar " + result + "=true", block);
  AddKomToKomblock(label, block);
}

void printPieceHere(Kel_Var_2 lexem, const std::string &result,
                    const Kel_Var_2 &element, const Kel_Var_2 &block,
                    Known known);

void printPiece(Kel_Var_2 lexem, const std::string &result,
                const Kel_Var_2 &element, const Kel_Var_2 &block, Known known) {
  // Operators nest as deep as the expression chains or brackets them.
  withStackRoom(
      [&] { printPieceHere(std::move(lexem), result, element, block, known); });
}

void printPieceHere(Kel_Var_2 lexem, const std::string &result,
                    const Kel_Var_2 &element, const Kel_Var_2 &block,
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
    if (sortOf(first) != "left_bracket")
      break;
    Kel_Var_2 close("Le");
    if (!findClosingBracket(first, close)) {
      printError(24, element, "");
      return;
    }
    if (!onlySpacesAfter(close))
      break;
    cutBefore(close);
    if (!nextLexem(first, first))
      return;
    known = Known::Nothing;
  }
  // 3 to 5. The weakest operator on level 0; a scan that finds nothing
  // has walked the whole piece, so only the first can meet a bracket fault.
  Kel_Var_2 op("Le");
  Scan scan = Scan::Missing;
  if (known == Known::Nothing) {
    scan = scanLevel0(first, "or", op);
    if (scan == Scan::Found) {
      printConnective(first, op, true, result, element, block);
      return;
    }
  }
  if (scan == Scan::Missing && known != Known::NoOrAnd) {
    scan = scanLevel0(first, "and", op);
    if (scan == Scan::Found) {
      printConnective(first, op, false, result, element, block);
      return;
    }
  }
  if (scan == Scan::Missing) {
    scan = scanLevel0(first, "not", op);
    if (scan == Scan::Found) {
      printNot(op, result, element, block);
      return;
    }
  }
  if (scan == Scan::BracketFault) {
    printError(24, element, "");
    return;
  }
  // 6.
  printRelation(first, result, element, block);
}

} // namespace

void PrintBooleanExpression(Kel_Var_2 lexem, std::string result,
                            Kel_Var_2 element, Kel_Var_2 block) {
  printPiece(lexem, result, element, block, Known::Nothing);
}

} // namespace zeva
