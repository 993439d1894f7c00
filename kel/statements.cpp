//===- statements.cpp - Parse Kel statement texts and expressions ---------===//

#include "statements.h"

#include <cctype>

namespace kel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

/// Characters that end a name: operators, brackets, separators, blanks.
bool endsName(char c) {
  switch (c) {
  case ' ':
  case '\t':
  case '\r':
  case '\n':
  case '"':
  case '(':
  case ')':
  case ',':
  case '+':
  case '-':
  case '*':
  case '=':
  case '!':
  case '<':
  case '>':
  case ';':
  case '.':
    return true;
  default:
    return false;
  }
}

/// A cursor over one statement or expression text.
class Cursor {
public:
  Cursor(std::string_view text, std::size_t base) : t_(text), base_(base) {}

  bool atEnd() {
    skipBlanks();
    return p_ == t_.size();
  }
  void skipBlanks() {
    while (p_ < t_.size() && isBlank(t_[p_]))
      ++p_;
  }
  bool take(std::string_view s) {
    skipBlanks();
    if (t_.substr(p_, s.size()) != s)
      return false;
    p_ += s.size();
    return true;
  }
  char peek() {
    skipBlanks();
    return p_ < t_.size() ? t_[p_] : '\0';
  }
  /// A name: a run of characters up to an operator, bracket or blank.
  /// `dots` lets "." belong to it (class names never hold one, but the
  /// text after "addObj x:" may be any class name).
  std::string name(bool dots = false) {
    skipBlanks();
    std::size_t from = p_;
    while (p_ < t_.size() && (!endsName(t_[p_]) || (dots && t_[p_] == '.')))
      ++p_;
    return std::string(t_.substr(from, p_ - from));
  }
  /// Everything up to the first occurrence of `stop` (not consumed).
  std::string upTo(char stop) {
    std::size_t from = p_;
    while (p_ < t_.size() && t_[p_] != stop)
      ++p_;
    return std::string(t_.substr(from, p_ - from));
  }
  std::string rest() {
    std::string r(t_.substr(p_));
    p_ = t_.size();
    return r;
  }
  SyntaxError error(std::string message) const {
    return {base_ + p_ + 1, std::move(message)};
  }

  std::optional<SyntaxError> expression(Expr &out);

private:
  std::optional<SyntaxError> term(Expr &out);
  std::optional<SyntaxError> factor(Expr &out);
  std::optional<SyntaxError> stringLiteral(Expr &out);

  std::string_view t_;
  std::size_t base_;
  std::size_t p_ = 0;
};

std::optional<SyntaxError> Cursor::expression(Expr &out) {
  if (auto e = term(out))
    return e;
  for (;;) {
    char c = peek();
    if (c != '+' && c != '-')
      return std::nullopt;
    ++p_;
    Expr rhs;
    if (auto e = term(rhs))
      return e;
    Expr bin;
    bin.kind = Expr::Binary;
    bin.op = c;
    bin.args.push_back(std::move(out));
    bin.args.push_back(std::move(rhs));
    out = std::move(bin);
  }
}

std::optional<SyntaxError> Cursor::term(Expr &out) {
  if (auto e = factor(out))
    return e;
  while (peek() == '*') {
    ++p_;
    Expr rhs;
    if (auto e = factor(rhs))
      return e;
    Expr bin;
    bin.kind = Expr::Binary;
    bin.op = '*';
    bin.args.push_back(std::move(out));
    bin.args.push_back(std::move(rhs));
    out = std::move(bin);
  }
  return std::nullopt;
}

/// A string literal: backslash-n, -t, -" and -backslash are escapes; a
/// backslash before any other character stands for itself.
std::optional<SyntaxError> Cursor::stringLiteral(Expr &out) {
  out.kind = Expr::Str;
  ++p_; // the opening quote
  for (;;) {
    if (p_ >= t_.size())
      return error("the string constant is not closed");
    char c = t_[p_++];
    if (c == '"')
      return std::nullopt;
    if (c == '\\' && p_ < t_.size()) {
      char n = t_[p_];
      if (n == 'n' || n == 't' || n == '"' || n == '\\') {
        out.text += n == 'n' ? '\n' : n == 't' ? '\t' : n;
        ++p_;
        continue;
      }
    }
    out.text += c;
  }
}

std::optional<SyntaxError> Cursor::factor(Expr &out) {
  char c = peek();
  if (c == '"')
    return stringLiteral(out);
  if (c == '(') {
    ++p_;
    if (auto e = expression(out))
      return e;
    if (!take(")"))
      return error("expected \")\"");
    return std::nullopt;
  }
  if (c == '-') {
    ++p_;
    Expr operand;
    if (auto e = factor(operand))
      return e;
    out.kind = Expr::Neg;
    out.args.push_back(std::move(operand));
    return std::nullopt;
  }
  std::string n = name();
  if (n.empty())
    return error(c ? std::string("unexpected \"") + c + "\""
                   : std::string("an operand is missing"));
  if (std::isdigit(static_cast<unsigned char>(n[0]))) {
    out.kind = Expr::Int;
    out.text = n;
    return std::nullopt;
  }
  if (n == "true" || n == "false") {
    out.kind = Expr::Bool;
    out.text = n;
    return std::nullopt;
  }
  if (n == "null" || n == "NULL") {
    out.kind = Expr::Null;
    return std::nullopt;
  }
  if (peek() == '(') {
    ++p_;
    out.kind = Expr::Call;
    out.text = n;
    if (take(")"))
      return std::nullopt;
    for (;;) {
      Expr arg;
      if (auto e = expression(arg))
        return e;
      out.args.push_back(std::move(arg));
      if (take(")"))
        return std::nullopt;
      if (!take(","))
        return error("expected \",\" or \")\" in the arguments of " + n);
    }
  }
  if (peek() == '.') {
    ++p_;
    out.kind = Expr::Attr;
    out.object = n;
    out.text = name();
    if (out.text.empty())
      return error("expected an attribute name after \"" + n + ".\"");
    return std::nullopt;
  }
  out.kind = Expr::Name;
  out.text = n;
  return std::nullopt;
}

/// "a.r.b" into its three parts.
std::optional<SyntaxError> linkParts(Cursor &c, Statement &s) {
  s.object = c.name();
  if (s.object.empty() || !c.take("."))
    return c.error("expected object.role.partner");
  s.role = c.name();
  if (s.role.empty() || !c.take("."))
    return c.error("expected object.role.partner");
  s.name = c.name();
  if (s.name.empty())
    return c.error("expected object.role.partner");
  return std::nullopt;
}

std::optional<SyntaxError> assignment(Cursor &c, Statement &s) {
  s.name = c.name();
  if (s.name.empty())
    return c.error("expected a variable name");
  if (!c.take("="))
    return c.error("expected \"=\" after " + s.name);
  if (c.atEnd())
    return std::nullopt; // the value is an expression object
  s.hasValue = true;
  return c.expression(s.value);
}

std::optional<SyntaxError> relation(Cursor &c, Statement &s) {
  s.name = c.name();
  if (s.name.empty())
    return c.error("expected a variable name");
  for (const char *op : {"==", "!=", "<=", ">=", "<", ">"})
    if (c.take(op)) {
      s.op = op;
      break;
    }
  if (s.op.empty())
    return c.error("expected a comparison (==, !=, <, >, <=, >=)");
  s.hasValue = true;
  if (auto e = c.expression(s.value))
    return e;
  if (c.take("else")) {
    s.elseLabel = c.name();
    if (s.elseLabel.empty())
      return c.error("expected a label after \"else\"");
  }
  return std::nullopt;
}

std::optional<SyntaxError> statement(Cursor &c, Statement &s, bool testOnly) {
  std::string word = c.name();
  struct Form {
    const char *word;
    Statement::Kind kind;
    bool test;
  };
  static const Form kForms[] = {
      {"label", Statement::Label, false},
      {"goto", Statement::Goto, false},
      {"return", Statement::Return, false},
      {"setVar", Statement::SetVar, false},
      {"setVarF", Statement::SetVarF, false},
      {"setPointer", Statement::SetPointer, false},
      {"setAttr", Statement::SetAttr, false},
      {"call", Statement::Call, false},
      {"addObj", Statement::AddObj, false},
      {"deleteObj", Statement::DeleteObj, false},
      {"addLink", Statement::AddLink, false},
      {"deleteLink", Statement::DeleteLink, false},
      {"var", Statement::VarTest, true},
      {"pointer", Statement::PointerTest, true},
      {"type", Statement::TypeTest, true},
      {"link", Statement::LinkTest, true},
      {"noLink", Statement::NoLinkTest, true},
  };
  const Form *form = nullptr;
  for (const Form &f : kForms)
    if (word == f.word && (!testOnly || f.test))
      form = &f;
  if (!form)
    return SyntaxError{1, word.empty() ? "the statement is empty"
                                       : "\"" + word + "\" is not a " +
                                             (testOnly ? "test" : "statement")};
  s.kind = form->kind;
  std::optional<SyntaxError> e;
  switch (s.kind) {
  case Statement::Label:
  case Statement::Goto:
  case Statement::DeleteObj:
    s.name = c.name();
    if (s.name.empty())
      e = c.error("expected a name after \"" + word + "\"");
    break;
  case Statement::Return:
    break;
  case Statement::SetVar:
  case Statement::SetVarF:
  case Statement::SetPointer:
    e = assignment(c, s);
    break;
  case Statement::SetAttr:
    s.object = c.name();
    if (s.object.empty() || !c.take("."))
      return c.error("expected object.attribute");
    e = assignment(c, s);
    break;
  case Statement::Call:
    s.name = c.name();
    if (s.name.empty() || !c.take("("))
      return c.error("expected a procedure name and \"(\"");
    if (c.take(")"))
      break;
    for (;;) {
      Expr arg;
      bool empty = c.peek() == ',' || c.peek() == ')';
      if (!empty)
        if (auto err = c.expression(arg))
          return err;
      s.args.push_back(std::move(arg));
      s.emptyArgs.push_back(empty);
      if (c.take(")"))
        break;
      if (!c.take(","))
        return c.error("expected \",\" or \")\" in the arguments");
    }
    break;
  case Statement::AddObj:
    c.skipBlanks();
    s.name = c.upTo(':');
    if (s.name.empty() || !c.take(":"))
      return c.error("expected name:class");
    s.cls = c.name(true);
    if (s.cls.empty())
      e = c.error("expected a class name");
    break;
  case Statement::AddLink:
  case Statement::DeleteLink:
  case Statement::LinkTest:
  case Statement::NoLinkTest:
    e = linkParts(c, s);
    break;
  case Statement::VarTest:
  case Statement::PointerTest:
    e = relation(c, s);
    break;
  case Statement::TypeTest:
    s.name = c.name();
    if (c.take("!="))
      s.op = "!=";
    else if (c.take("=="))
      s.op = "==";
    else
      return c.error("expected \"!=\" or \"==\" after " + s.name);
    s.cls = c.name(true);
    if (s.cls.empty())
      e = c.error("expected a class name");
    break;
  }
  if (e)
    return e;
  if (!c.atEnd())
    return c.error("unexpected text after the statement");
  return std::nullopt;
}

} // namespace

std::optional<SyntaxError> parseStatements(std::string_view text,
                                           std::vector<Statement> &out) {
  std::size_t from = 0;
  bool inString = false;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    bool end = i == text.size();
    if (!end) {
      char ch = text[i];
      if (inString) {
        if (ch == '\\')
          ++i;
        else if (ch == '"')
          inString = false;
        continue;
      }
      if (ch == '"') {
        inString = true;
        continue;
      }
      if (ch != '\n')
        continue;
    }
    // A statement ends at a line feed after ";" or at the end of the text.
    std::string_view piece = text.substr(from, i - from);
    while (!piece.empty() && (piece.back() == '\r' || isBlank(piece.back())))
      piece.remove_suffix(1);
    if (!end && (piece.empty() || piece.back() != ';'))
      continue;
    if (!piece.empty() && piece.back() == ';')
      piece.remove_suffix(1);
    Statement s;
    Cursor c(piece, from);
    if (auto e = statement(c, s, false))
      return e;
    out.push_back(std::move(s));
    from = i + 1;
  }
  return std::nullopt;
}

std::optional<SyntaxError> parseTest(std::string_view text, Statement &out) {
  out = Statement{};
  Cursor c(text, 0);
  return statement(c, out, true);
}

std::optional<SyntaxError> parseSearchText(std::string_view text,
                                           SearchText &out) {
  out = SearchText{};
  Cursor c(text, 0);
  out.cls = c.name(true);
  if (out.cls.empty())
    return c.error("expected a class name");
  if (c.atEnd())
    return std::nullopt;
  if (!c.take("from "))
    return c.error("expected \"from\" after the class name");
  out.from = c.name();
  if (out.from.empty() || !c.take("by "))
    return c.error("expected \"from VARIABLE by ROLE\"");
  out.role = c.name();
  if (out.role.empty() || !c.atEnd())
    return c.error("expected one role name after \"by\"");
  return std::nullopt;
}

namespace {

/// A recursive-descent reader over an expression element chain, with the
/// precedence of the text form: "*" before "+" and "-".
class ElementReader {
public:
  explicit ElementReader(const std::vector<ExprElem> &e) : e_(e) {}

  std::optional<SyntaxError> expression(Expr &out) {
    if (auto e = term(out))
      return e;
    while (isOp("+") || isOp("-")) {
      char op = e_[i_++].name[0];
      Expr rhs;
      if (auto e = term(rhs))
        return e;
      out = binary(op, std::move(out), std::move(rhs));
    }
    return std::nullopt;
  }
  bool atEnd() const { return i_ == e_.size(); }
  SyntaxError error(std::string message) const {
    return {i_ + 1, std::move(message)};
  }

private:
  bool isOp(const char *op) const {
    return i_ < e_.size() && e_[i_].kind == ExprElem::Op && e_[i_].name == op;
  }
  static Expr binary(char op, Expr a, Expr b) {
    Expr bin;
    bin.kind = Expr::Binary;
    bin.op = op;
    bin.args.push_back(std::move(a));
    bin.args.push_back(std::move(b));
    return bin;
  }
  std::optional<SyntaxError> term(Expr &out) {
    if (auto e = factor(out))
      return e;
    while (isOp("*")) {
      ++i_;
      Expr rhs;
      if (auto e = factor(rhs))
        return e;
      out = binary('*', std::move(out), std::move(rhs));
    }
    return std::nullopt;
  }
  std::optional<SyntaxError> factor(Expr &out);

  const std::vector<ExprElem> &e_;
  std::size_t i_ = 0;
};

std::optional<SyntaxError> ElementReader::factor(Expr &out) {
  if (i_ == e_.size())
    return error("an operand is missing at the end of the expression");
  const ExprElem &el = e_[i_++];
  out.type = el.type;
  switch (el.kind) {
  case ExprElem::Brack:
    if (el.name != "(")
      return error("unexpected \")\"");
    if (auto e = expression(out))
      return e;
    if (i_ == e_.size() || e_[i_].kind != ExprElem::Brack || e_[i_].name != ")")
      return error("expected \")\"");
    ++i_;
    return std::nullopt;
  case ExprElem::Op:
    if (el.name != "-")
      return error("an operand is missing before \"" + el.name + "\"");
    out.kind = Expr::Neg;
    out.args.emplace_back();
    return factor(out.args.back());
  case ExprElem::Atr:
    out.kind = Expr::Attr;
    out.object = el.pointer;
    out.text = el.name;
    return std::nullopt;
  case ExprElem::Vari:
    out.kind = el.isPointer && el.name == "null" ? Expr::Null : Expr::Name;
    out.text = el.name;
    return std::nullopt;
  case ExprElem::Funct:
    out.kind = Expr::Call;
    out.text = el.name;
    for (const std::string &p : el.params) {
      Expr arg;
      arg.kind = Expr::Name;
      arg.text = p;
      out.args.push_back(std::move(arg));
    }
    return std::nullopt;
  case ExprElem::Const:
    if (el.type == "String") {
      // The constant keeps its quotes; what is inside them is the value.
      Cursor c(el.name, 0);
      if (c.peek() != '"')
        return error("the String constant " + el.name + " has no quotes");
      if (auto e = c.expression(out))
        return error(e->message);
      if (!c.atEnd() || out.kind != Expr::Str)
        return error("the String constant " + el.name + " is malformed");
      out.type = el.type;
      return std::nullopt;
    }
    out.kind = el.type == "Integer"   ? Expr::Int
               : el.type == "Boolean" ? Expr::Bool
                                      : Expr::Name;
    out.text = el.name;
    return std::nullopt;
  }
  return std::nullopt;
}

} // namespace

std::optional<SyntaxError> parseElements(const std::vector<ExprElem> &elems,
                                         Expr &out) {
  ElementReader r(elems);
  if (auto e = r.expression(out))
    return e;
  if (!r.atEnd())
    return r.error("unexpected element after the end of the expression");
  return std::nullopt;
}

} // namespace kel
