//===- expressions.cpp - Expressions that compile to something else (L9-L11)
//
// The expression texts (a class element's or text statement's constraint,
// an assignment's or call argument's value) are cut into lexems as the
// compiler's lexer cuts them, in text order: string constants first, then
// line feeds (each taking the character before it), then the other tokens.
// Words are the runs between tokens, so the order in which the lexer finds
// the tokens does not change them.
//
//===----------------------------------------------------------------------===//

#include "doubtful_values.h"
#include "lint_context.h"

#include "file_text.h"
#include "utf8.h"

#include <array>
#include <optional>
#include <string_view>
#include <unordered_set>

namespace zlint {

const std::vector<WarningInfo> &expressionWarnings() {
  static const std::vector<WarningInfo> table = {
      {9, "expression ends in an operator",
       "An expression text whose last lexem is \"+\", \"-\" or \"*\" (blanks "
       "and line feeds aside) compiles without a message: the operator is "
       "written into the Kel expression with nothing after it, so an "
       "assignment \"stock + \" becomes \"setAttr item.stock=item.stock +\" "
       "and a constraint \"n > 1 +\" compares with \"1 +\". Complete the "
       "expression or remove the operator."},
      {10, "assignment to an attribute the element's class does not have",
       "An assignment (ZEVA::Assignment) names its attribute by the link "
       "\"attribute\"; the compiler writes \"setAttr x.p=\" with that "
       "property's name without checking that the class of the assigned "
       "element (the type of its definition, parameter or variable) has "
       "it, own or inherited. The compiled program then sets an attribute "
       "that the object does not have. Link the assignment to a property of "
       "the element's class or of one of its general classes, or assign to "
       "an element of the class that owns the property."},
      {11, "built-in function without the primitive type it needs",
       "The built-in functions take the types of their arguments and "
       "results from the class model: the first Kernel::PrimitiveType named "
       "\"String\", \"Integer\" or \"Boolean\". When the class model lacks "
       "one, the function is written without its arguments and the rest of "
       "the expression is dropped, without a message (\"toInteger(s) + 1\" "
       "becomes \"setVar v=StrToInt()\"). Add the primitive type to the "
       "class model (primitive String; in the notation)."},
  };
  return table;
}

namespace {

enum class Sort { Word, String, Open, Dot, Arrow, Plus, Minus, Mult, Other };

struct Lexem {
  Sort sort;
  std::string_view text;
};

/// The single-character tokens, besides the two-character ones ":=", "<>",
/// ">=", "<=" and "->", whose characters make tokens of their own anyway
/// (":" only before "=").
std::optional<Sort> tokenAt(std::string_view piece, std::size_t i) {
  switch (piece[i]) {
  case ' ':
  case '=':
  case '<':
  case ',':
  case ')':
  case '>':
    return Sort::Other;
  case '.':
    return Sort::Dot;
  case '(':
    return Sort::Open;
  case '+':
    return Sort::Plus;
  case '*':
    return Sort::Mult;
  case '-':
    // "->" is an arrow unless its ">" begins ">=", which outranks it.
    if (i + 1 < piece.size() && piece[i + 1] == '>' &&
        !(i + 2 < piece.size() && piece[i + 2] == '='))
      return Sort::Arrow;
    return Sort::Minus;
  case ':':
    if (i + 1 < piece.size() && piece[i + 1] == '=')
      return Sort::Other;
    return std::nullopt;
  default:
    return std::nullopt;
  }
}

/// Lexes a piece without string constants and line feeds; blanks are
/// left out, as the compiler trims them.
void lexPiece(std::string_view piece, std::vector<Lexem> &out) {
  std::size_t word = 0;
  auto endWord = [&](std::size_t at) {
    if (at > word)
      out.push_back({Sort::Word, piece.substr(word, at - word)});
  };
  for (std::size_t i = 0; i < piece.size(); ++i) {
    std::optional<Sort> sort = tokenAt(piece, i);
    if (!sort)
      continue;
    endWord(i);
    char next = i + 1 < piece.size() ? piece[i + 1] : '\0';
    bool pair = *sort == Sort::Arrow || piece[i] == ':' ||
                (piece[i] == '<' && (next == '>' || next == '=')) ||
                (piece[i] == '>' && next == '=');
    std::size_t width = pair ? 2 : 1;
    if (piece[i] != ' ')
      out.push_back({*sort, piece.substr(i, width)});
    i += width - 1;
    word = i + 1;
  }
  endWord(piece.size());
}

/// The lexems of `text` in text order, without blanks and line feeds;
/// nothing for a text with an unclosed string constant, which stops the
/// compiler's run.
std::vector<Lexem> lex(std::string_view text) {
  std::vector<Lexem> out;
  std::size_t piece = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    bool atEnd = i == text.size();
    if (!atEnd && text[i] != '"' && text[i] != '\n')
      continue;
    std::size_t end = i;
    // A line feed takes the character before it within its piece.
    if (!atEnd && text[i] == '\n' && i > piece)
      end = zrep::utf8::charBefore(text, i, piece);
    lexPiece(text.substr(piece, end - piece), out);
    if (atEnd)
      break;
    if (text[i] == '"') {
      std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos)
        return {};
      out.push_back({Sort::String, text.substr(i, close + 1 - i)});
      i = close;
    }
    piece = i + 1;
  }
  return out;
}

/// The primitive types each built-in function needs.
struct Builtin {
  std::string_view name;
  std::array<const char *, 2> types;
};
constexpr Builtin kBuiltins[] = {
    {"toEnum", {"String", nullptr}},      {"toInteger", {"String", "Integer"}},
    {"size", {"String", "Integer"}},      {"indexOf", {"String", "Integer"}},
    {"toString", {"String", nullptr}},    {"substring", {"String", "Integer"}},
    {"toLower", {"String", nullptr}},     {"toUpper", {"String", nullptr}},
    {"toBoolean", {"String", "Boolean"}},
};

const Builtin *builtinNamed(std::string_view word) {
  if (!word.empty() && word.front() == '@')
    word.remove_prefix(1);
  for (const Builtin &b : kBuiltins)
    if (b.name == word)
      return &b;
  return nullptr;
}

struct Texts {
  std::unordered_set<std::string> primitives;
};

std::string quoted(std::string_view text) {
  return "\"" + zrep::printable(text) + "\"";
}

/// L9 and L11 on one expression text of `element`.
void checkText(LintContext &cx, const Texts &model, ObjectId element,
               const std::string &attr, std::string_view text) {
  std::vector<Lexem> lexems = lex(text);
  if (lexems.empty())
    return;
  Sort last = lexems.back().sort;
  if (last == Sort::Plus || last == Sort::Minus || last == Sort::Mult)
    cx.warn(9, element,
            "the " + attr + " " + quoted(text) + " ends in the operator " +
                quoted(lexems.back().text) +
                ", which is compiled with nothing after it: complete the "
                "expression or remove the operator");
  std::unordered_set<std::string_view> reported;
  for (std::size_t i = 0; i + 1 < lexems.size(); ++i) {
    if (lexems[i].sort != Sort::Word || lexems[i + 1].sort != Sort::Open)
      continue;
    // After a dot or an arrow the name is a member or method, not a call.
    if (i > 0 &&
        (lexems[i - 1].sort == Sort::Dot || lexems[i - 1].sort == Sort::Arrow))
      continue;
    const Builtin *b = builtinNamed(lexems[i].text);
    if (!b)
      continue;
    for (const char *type : b->types)
      if (type && !model.primitives.count(type) && reported.insert(type).second)
        cx.warn(11, element,
                "the " + attr + " " + quoted(text) + " calls " +
                    std::string(b->name) + ", which needs the primitive type " +
                    type +
                    " that the class model lacks, so its arguments are "
                    "dropped: add \"primitive " +
                    type + ";\" to the class model");
  }
}

/// Whether `cls` is `owner` or inherits from it, along generalization and
/// general (cycles end the search).
bool inherits(const LintContext &cx, ObjectId cls, ObjectId owner) {
  std::vector<ObjectId> todo{cls};
  std::unordered_set<ObjectId> seen;
  while (!todo.empty()) {
    ObjectId c = todo.back();
    todo.pop_back();
    if (c == owner)
      return true;
    if (!seen.insert(c).second)
      continue;
    for (ObjectId g : cx.many(c, "generalization"))
      if (ObjectId general = cx.one(g, "general"))
        todo.push_back(general);
  }
  return false;
}

/// L10: the assigned element's class must have the assigned attribute.
void checkAssignedAttribute(LintContext &cx, ObjectId assignment) {
  ObjectId property = cx.one(assignment, "attribute");
  ObjectId target = cx.one(assignment, "assignedElement");
  if (!property || !target)
    return;
  const zrep::Metamodel &mm = cx.metamodel();
  // A class element stands for its definition or the element it refers to.
  if (cx.repo().classOf(target) == mm.classId("ZEVA::ClassElement")) {
    ObjectId def = cx.one(target, "def");
    target = def ? def : cx.one(target, "referElem");
    if (!target)
      return;
  }
  ObjectId type = cx.one(target, "type");
  if (!type)
    return;
  ObjectId owner = cx.one(property, "class");
  bool isClass = cx.repo().classOf(type) == mm.classId("Kernel::Class");
  if (isClass && owner && inherits(cx, type, owner))
    return;
  std::string element = zrep::printable(cx.attr(target, "refName"));
  std::string attribute = zrep::printable(cx.attr(property, "name"));
  std::string typeName = zrep::printable(cx.attr(type, "name"));
  cx.warn(10, assignment,
          "the assignment sets the attribute '" + attribute + "' of '" +
              element + "', whose " + (isClass ? "class" : "type") + " '" +
              typeName + "' has no such attribute" +
              (owner ? " ('" + attribute + "' belongs to '" +
                           zrep::printable(cx.attr(owner, "name")) + "')"
                     : "") +
              ": assign an attribute of '" + typeName +
              "' or to an element of the class that has it");
}

} // namespace

void checkExpressions(LintContext &cx) {
  const zrep::Metamodel &mm = cx.metamodel();
  zrep::TypeId primitiveCls = mm.classId("Kernel::PrimitiveType"),
               assignmentCls = mm.classId("ZEVA::Assignment");
  Texts model;
  cx.repo().forEachObject([&](const zrep::Object &o) {
    if (o.cls == primitiveCls)
      model.primitives.insert(cx.attr(o.id, "name"));
  });
  // The expression attributes, by class slot.
  std::vector<std::vector<std::pair<std::uint32_t, const zrep::AttrInfo *>>>
      byClass;
  for (const zrep::ClassInfo &c : mm.classes()) {
    auto &slots = byClass.emplace_back();
    for (std::uint32_t slot = 0; slot < c.attrs.size(); ++slot)
      if (const zrep::AttrInfo *a = mm.attrInfo(c.attrs[slot]);
          a->kind == zrep::AttrKind::String && isExpressionAttribute(a->name))
        slots.emplace_back(slot, a);
  }
  cx.repo().forEachObject([&](const zrep::Object &o) {
    if (o.values)
      for (auto [slot, attr] :
           byClass[o.cls - zrep::Metamodel::kFirstClassId]) {
        std::string_view text = cx.repo().slotValue(o, slot);
        // "NULL" as an assigned value empties the attribute unlexed.
        if (!text.empty() && !(o.cls == assignmentCls && text == "NULL"))
          checkText(cx, model, o.id,
                    attr->name != "expr"     ? "constraint"
                    : o.cls == assignmentCls ? "value"
                                             : "argument",
                    text);
      }
    if (o.cls == assignmentCls)
      checkAssignedAttribute(cx, o.id);
  });
}

} // namespace zlint
