//===- code.h - Checked Kel procedures as instruction lists -----*- C++ -*-===//
//
// What the checker makes of a program and the machine runs: each procedure
// one flat list of instructions with resolved jump targets; variables as
// frame slots of three kinds (numbers for Integer and Boolean, texts for
// String and enumeration values, model variables for pointers); expressions
// as small typed trees; classes, attributes and roles resolved against the
// instance metamodel before the run.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "kel_var.h"
#include "program.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kel {

/// The Kel type of a variable or value.
enum class ValueType : std::uint8_t {
  Integer,
  Boolean,
  String,
  Enum,   ///< text "Type::LITERAL"; compared by the literal
  Text,   ///< another primitive type, kept as text
  Pointer ///< a model variable
};

enum class SlotKind : std::uint8_t { Num, Str, Ptr };

inline SlotKind slotKind(ValueType t) {
  switch (t) {
  case ValueType::Integer:
  case ValueType::Boolean:
    return SlotKind::Num;
  case ValueType::Pointer:
    return SlotKind::Ptr;
  default:
    return SlotKind::Str;
  }
}

/// Where a variable lives: in the frame, in the unit's globals, or in the
/// caller's frame (a parameter passed by reference).
struct VarRef {
  enum Where : std::uint8_t { Local, Global, Ref } where = Local;
  SlotKind kind = SlotKind::Num;
  std::uint32_t index = 0;
};

struct Node {
  enum Op : std::uint8_t {
    Num,     ///< constant number
    Str,     ///< constant text
    Var,     ///< a variable (any kind)
    Null,    ///< the null pointer
    AttrInt, ///< pointer.attribute, read as the attribute's type says
    AttrBool,
    AttrStr,
    AttrEnum,
    Add,
    Sub,
    Mul,
    Neg,
    Concat,
    Native ///< a built-in native function
  } op = Num;
  ValueType type = ValueType::Integer;
  VarRef var;
  std::int32_t num = 0;
  std::string str;         ///< constant text, attribute name
  mutable NameCache cache; ///< what the attribute name resolves to
  std::uint32_t native = 0;
  std::vector<Node> kids;
};

/// One argument of a call: a variable (by reference or read by value) or
/// an expression evaluated into a temporary.
struct Arg {
  bool isVar = false;
  bool empty = false; ///< a position left empty: the type's default
  VarRef var;
  Node value;
  ValueType type = ValueType::Integer; ///< the formal's type
  bool byRef = false;
};

struct Instr {
  enum Op : std::uint8_t {
    Label, ///< nothing; a target (and a trace point)
    Jump,  ///< a
    Return,
    Set,        ///< var = value
    SetPointer, ///< var = value (a pointer or null)
    SetAttr,    ///< var.name = value, written as `attrKind` says
    Call,       ///< procedure a, args
    CallNative, ///< native a, args, result into var when `hasResult`
    AddObj,     ///< var : cls
    DeleteObj,  ///< var
    AddLink,    ///< var.name.other
    DeleteLink,
    Compare,       ///< var op value; else a (or fail when a < 0)
    CompareValues, ///< lhs op value (numbers), evaluated in this order;
                   ///< else a (or fail when a < 0)
    PtrCompare,
    TypeTest,    ///< var op cls
    LinkTest,    ///< var.name.other (negated when `negate`)
    Fail,        ///< reject the current candidate
    SearchBegin, ///< a: where to go when the whole search fails
    SearchEnd,
    First,        ///< var over cls or from other by name; a: after the
                  ///< such-that block, b: else target or -1
    Matched,      ///< end of First a's such-that block
    ForeachBegin, ///< var over cls or from other by name; a: candidate, b:
                  ///< exit
    ForeachNext,  ///< var; a: candidate, b: exit
    NoPartner,    ///< other has no partner by name: go on at b, else fail
                  ///< (a search for a NOT element that no one reads)
    Enter,        ///< the start of a called procedure copied in place (b: which
                  ///< one, in CheckedProcedure::inlined): its variables start
                  ///< afresh and the call counts
    Leave,        ///< the end of a copied procedure: go on at a
  } op = Label;
  std::int32_t a = -1, b = -1;
  VarRef var, other;
  bool viaLink = false; ///< First/Foreach: "from other by name"
  bool negate = false;
  bool hasResult = false;
  /// A test that is a whole condition, its SearchBegin and SearchEnd fused
  /// into it: it fails to `a`, and its success counts a match.
  bool wholeCondition = false;
  std::string op2;                  ///< comparison operator
  std::string name;                 ///< attribute or role name
  mutable NameCache cache;          ///< what `name` resolves to
  const std::string *cls = nullptr; ///< interned class name
  zrep::AttrKind attrKind = zrep::AttrKind::String;
  Node value;
  Node lhs;
  std::vector<Arg> args;
  std::uint32_t command = 0; ///< index into Procedure::commands (messages)
  /// CompareValues: the commands that computed lhs and value.
  std::uint32_t lhsCommand = 0, rhsCommand = 0;
  std::uint32_t trace = 0; ///< trace point + 1, 0 for none
  /// A step of a called procedure copied in place: which copy, in
  /// CheckedProcedure::inlined (-1: the procedure's own). Its `command`
  /// indexes the commands of the procedure it was copied from.
  std::int32_t inlined = -1;
};

/// A command as messages name it: its text and where it came from.
struct CommandInfo {
  ProgramObject id = 0;
  ProgramObject origin = 0;
  std::string text;
};

struct Variable {
  std::string name;
  ValueType type = ValueType::Integer;
  std::string typeName;
  VarRef slot;
};

struct CheckedProcedure {
  const Procedure *source = nullptr;
  std::string name;
  std::size_t unit = 0;
  bool native = false;
  std::uint32_t nativeIndex = 0; ///< external natives: in the native table
  std::vector<Variable> params;
  std::vector<Variable> locals;
  std::uint32_t nums = 0, strs = 0, ptrs = 0;
  std::uint32_t refNums = 0, refStrs = 0, refPtrs = 0;
  /// Fresh pointer variables of each pointer slot's declared class.
  std::vector<Kel_Var_2> freshPointers;
  std::vector<Instr> code;
  std::vector<CommandInfo> commands;
  /// The procedures whose code was copied in place of calls to them, with
  /// where their variables start among this procedure's slots.
  struct Inlined {
    std::size_t callee = 0;
    std::uint32_t nums = 0, strs = 0, ptrs = 0;
  };
  std::vector<Inlined> inlined;
};

struct Globals {
  std::vector<std::int32_t> nums;
  std::vector<std::string> strs;
  std::vector<Kel_Var_2> ptrs;
};

} // namespace kel
