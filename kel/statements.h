//===- statements.h - Kel statements and expressions as syntax --*- C++ -*-===//
//
// The statement texts that commands carry ("setVar x=1", "call p(a,b)",
// "var a==b else L", "first" search texts such as "pk::C from a by r") and
// the expressions inside them, parsed into plain syntax trees. Names are
// kept as written; resolving them is the checker's work.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "program.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kel {

struct Expr {
  enum Kind {
    Str,    ///< text: the value, escapes resolved
    Int,    ///< text: the decimal digits as written
    Bool,   ///< text: "true" or "false"
    Null,   ///< the null pointer
    Name,   ///< text: a variable, or a qualified enumeration literal
    Attr,   ///< object.text
    Call,   ///< text(args)
    Binary, ///< args[0] op args[1]
    Neg,    ///< -args[0]
  } kind = Str;
  std::string text;
  std::string object;
  char op = 0; ///< '+', '-' or '*'.
  /// Declared type of an expression element ("type1"), when it has one.
  std::string type;
  std::vector<Expr> args;
};

struct Statement {
  enum Kind {
    Label, ///< name
    Goto,  ///< name
    Return,
    SetVar,     ///< name = value
    SetVarF,    ///< name = value (a native function's result)
    SetPointer, ///< name = value
    SetAttr,    ///< object.name = value
    Call,       ///< name(args)
    AddObj,     ///< name : cls
    DeleteObj,  ///< name
    AddLink,    ///< object.role.name
    DeleteLink, ///< object.role.name
    // Tests, also the texts of Ekoms.
    VarTest,     ///< var name op value
    PointerTest, ///< pointer name op value
    TypeTest,    ///< type name op cls
    LinkTest,    ///< link object.role.name
    NoLinkTest,  ///< noLink object.role.name
  } kind = Return;
  std::string name, object, role, cls;
  std::string op; ///< "==", "!=", "<", ">", "<=", ">=".
  Expr value;     ///< Set*, VarTest and PointerTest right-hand sides.
  bool hasValue = false;
  std::vector<Expr> args;
  std::vector<bool> emptyArgs; ///< Call: argument positions left empty.
  std::string elseLabel;       ///< "var ... else L" inside a text.
};

/// A "first" or "foreach" search text: a class, optionally reached from a
/// bound variable along a role.
struct SearchText {
  std::string cls;
  std::string from, role; ///< Empty for a search over the class extent.
};

/// A parse failure: what was expected, at which character of the text.
struct SyntaxError {
  std::size_t column = 0; ///< From 1.
  std::string message;
};

/// Splits a command text into its statements (separated by ";" and a line
/// feed, the last one optionally ended by ";") and parses each.
std::optional<SyntaxError> parseStatements(std::string_view text,
                                           std::vector<Statement> &out);
/// Parses the text of an Ekom: one test statement.
std::optional<SyntaxError> parseTest(std::string_view text, Statement &out);
std::optional<SyntaxError> parseSearchText(std::string_view text,
                                           SearchText &out);
/// Turns an expression element chain into one expression.
std::optional<SyntaxError> parseElements(const std::vector<ExprElem> &elems,
                                         Expr &out);

} // namespace kel
