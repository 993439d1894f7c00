//===- program.h - The Kel program of a compiled repository -----*- C++ -*-===//
//
// The compiled program as plain data, read once from the program objects of
// a repository: units (Transformations) with their directives and global
// definitions, procedures with parameters, definitions and command trees,
// and expressions as element lists. Each command remembers the object it was
// read from and the ZEVA element that produced it, so that every later
// message can name both.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repository.h"

#include <string>
#include <vector>

namespace kel {

using ProgramObject = zrep::ObjectId;

/// One element of an expression chain, in chain order.
struct ExprElem {
  enum Kind { Atr, Vari, Const, Op, Brack, Funct } kind = Const;
  ProgramObject id = 0;
  std::string name;    ///< "name1" of Atr, Vari, Funct; "val" of the others.
  std::string pointer; ///< Atr: "classPointer".
  std::string type;    ///< "type1".
  bool isPointer = false;
  std::vector<std::string> params; ///< Funct: the Params' "name1".
};

struct Command {
  enum Kind { Text, Goto, Test, If, Foreach, First } kind = Text;
  ProgramObject id = 0;
  /// The ZEVA element that produced the command: the pattern element of a
  /// search, else the flow end whose segment holds it; 0 when unknown.
  ProgramObject origin = 0;
  /// A flow end's entry label: that flow end.
  ProgramObject flowEnd = 0;
  std::string text;     ///< Skom, Ekom, FNkom and Foreachkom "text".
  std::string name;     ///< Label "name", FNkom/Foreachkom "name1".
  std::string type;     ///< FNkom "type1".
  std::string target;   ///< Gotokom "labname", Ekom/FNkom "else1".
  bool hasExpr = false; ///< Skom with an Expression ("expr2").
  std::vector<ExprElem> expr;
  /// If: condition, then, else. Foreach: such-that, body. First: such-that.
  std::vector<Command> blocks[3];
  bool hasBlock[3] = {false, false, false};
};

struct Definition {
  std::string name;
  std::string type;
  bool pointer = false; ///< A "Po"; parameters leave it false.
  bool byRef = false;   ///< Parameters only.
};

struct Procedure {
  ProgramObject id = 0;
  ProgramObject source = 0; ///< The ZEVA procedure, 0 for the prelude.
  std::string name;
  bool isMain = false, isNative = false, debug = false;
  std::string returnType;
  std::vector<Definition> params;
  std::vector<Definition> locals;
  bool hasBody = false;
  std::vector<Command> body;
};

struct Directive {
  std::string kind; ///< "useMM" or "useUnit".
  std::string file;
};

struct Unit {
  ProgramObject id = 0;
  std::string name;
  std::vector<Directive> directives;
  std::vector<Definition> globals;
  std::vector<Procedure> procedures;
};

struct Program {
  std::vector<Unit> units;
};

/// Reads every Transformation of `repo`, in repository order. A chain that
/// runs in a cycle or shares commands with another is cut there and named
/// in `problems`.
Program readProgram(const zrep::Repository &repo,
                    std::vector<std::string> &problems);

} // namespace kel
