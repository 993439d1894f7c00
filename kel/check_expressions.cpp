//===- check_expressions.cpp - Type expressions and resolve names ---------===//

#include "checker.h"

#include <charconv>

namespace kel {

namespace {

Node binary(Node::Op op, ValueType type, Node a, Node b) {
  Node n;
  n.op = op;
  n.type = type;
  n.kids.push_back(std::move(a));
  n.kids.push_back(std::move(b));
  return n;
}

} // namespace

const std::string *ProcedureChecker::className(const std::string &name) {
  if (!s_.mm.classId(name)) {
    problem("the class " + name + " is not in the metamodel");
    return nullptr;
  }
  return &internClassName(name);
}

const zrep::AttrInfo *ProcedureChecker::attribute(const std::string &cls,
                                                  const std::string &name) {
  zrep::TypeId c = s_.mm.classId(cls);
  if (const zrep::ClassInfo *info = s_.mm.classInfo(c))
    for (zrep::TypeId sub : info->preorder)
      if (zrep::TypeId a = s_.mm.attrId(sub, name))
        return s_.mm.attrInfo(a);
  problem("the class " + cls + " has no attribute " + name);
  return nullptr;
}

bool ProcedureChecker::role(const std::string &cls, const std::string &name) {
  zrep::TypeId c = s_.mm.classId(cls);
  if (const zrep::ClassInfo *info = s_.mm.classInfo(c))
    for (zrep::TypeId sub : info->preorder)
      if (s_.mm.endId(sub, name))
        return true;
  if (cls == "AnyClass")
    for (const zrep::EndInfo &e : s_.mm.ends())
      if (e.role == name)
        return true;
  problem("the class " + cls + " has no role " + name);
  return false;
}

std::optional<Node> ProcedureChecker::node(const Expr &e) {
  Node n;
  switch (e.kind) {
  case Expr::Str:
    n.op = Node::Str;
    n.type = ValueType::String;
    n.str = e.text;
    return n;
  case Expr::Int: {
    n.op = Node::Num;
    n.type = ValueType::Integer;
    auto [end, ec] =
        std::from_chars(e.text.data(), e.text.data() + e.text.size(), n.num);
    if (ec != std::errc() || end != e.text.data() + e.text.size()) {
      problem("\"" + e.text + "\" is not an Integer constant (32 bits)");
      return std::nullopt;
    }
    return n;
  }
  case Expr::Bool:
    n.op = Node::Num;
    n.type = ValueType::Boolean;
    n.num = e.text == "true";
    return n;
  case Expr::Null:
    n.op = Node::Null;
    n.type = ValueType::Pointer;
    return n;
  case Expr::Name: {
    if (const Variable *v = variable(e.text)) {
      n.op = Node::Var;
      n.type = v->type;
      n.var = v->slot;
      return n;
    }
    // A qualified enumeration literal: "pk::Enum::LITERAL".
    std::size_t p = e.text.rfind("::");
    if (p != std::string::npos) {
      std::string type = e.text.substr(0, p), literal = e.text.substr(p + 2);
      for (const zrep::EnumInfo &en : s_.mm.enums())
        if (en.name == type) {
          for (const std::string &l : en.literals)
            if (l == literal) {
              n.op = Node::Str;
              n.type = ValueType::Enum;
              n.str = e.text;
              return n;
            }
          problem(type + " has no literal " + literal);
          return std::nullopt;
        }
    }
    problem("\"" + e.text + "\" is not a variable of " + p_.name +
            " nor a literal of an enumeration");
    return std::nullopt;
  }
  case Expr::Attr: {
    const Variable *v = variableOf(e.object, SlotKind::Ptr, "a pointer");
    if (!v)
      return std::nullopt;
    const zrep::AttrInfo *a = attribute(v->typeName, e.text);
    if (!a)
      return std::nullopt;
    n.var = v->slot;
    n.str = e.text;
    // The element's type says how the compiled program reads the value;
    // a text expression reads it as the attribute's own type.
    std::optional<ValueType> t =
        e.type.empty() ? std::nullopt : s_.typeOf(e.type);
    if (!t)
      t = a->kind == zrep::AttrKind::Integer   ? ValueType::Integer
          : a->kind == zrep::AttrKind::Boolean ? ValueType::Boolean
          : a->kind == zrep::AttrKind::Enum    ? ValueType::Enum
                                               : ValueType::String;
    n.type = *t;
    n.op = *t == ValueType::Integer   ? Node::AttrInt
           : *t == ValueType::Boolean ? Node::AttrBool
           : *t == ValueType::Enum    ? Node::AttrEnum
                                      : Node::AttrStr;
    if (*t == ValueType::Pointer) {
      problem("the attribute " + e.text + " cannot be read as a pointer");
      return std::nullopt;
    }
    return n;
  }
  case Expr::Call: {
    int index = findBuiltinNative(e.text);
    if (index < 0) {
      problem("\"" + e.text + "\" is not a native function");
      return std::nullopt;
    }
    const NativeInfo &info = builtinNatives()[index];
    if (!info.hasResult) {
      problem(e.text + " gives no value");
      return std::nullopt;
    }
    if (e.args.size() != info.params.size()) {
      problem(e.text + " takes " + std::to_string(info.params.size()) +
              " arguments, not " + std::to_string(e.args.size()));
      return std::nullopt;
    }
    n.op = Node::Native;
    n.native = static_cast<std::uint32_t>(index);
    n.type = info.result;
    if (!e.type.empty())
      if (std::optional<ValueType> t = s_.typeOf(e.type);
          t && slotKind(*t) == slotKind(info.result))
        n.type = *t;
    for (std::size_t i = 0; i < e.args.size(); ++i) {
      std::optional<Node> arg = node(e.args[i]);
      if (!arg)
        return std::nullopt;
      if (slotKind(arg->type) != slotKind(info.params[i]) ||
          (info.byRef[i] && arg->op != Node::Var)) {
        problem("argument " + std::to_string(i + 1) + " of " + e.text +
                " does not fit");
        return std::nullopt;
      }
      n.kids.push_back(std::move(*arg));
    }
    return n;
  }
  case Expr::Neg: {
    std::optional<Node> a = node(e.args[0]);
    if (!a)
      return std::nullopt;
    if (slotKind(a->type) != SlotKind::Num) {
      problem("\"-\" needs an Integer operand");
      return std::nullopt;
    }
    n.op = Node::Neg;
    n.type = ValueType::Integer;
    n.kids.push_back(std::move(*a));
    return n;
  }
  case Expr::Binary: {
    std::optional<Node> a = node(e.args[0]);
    std::optional<Node> b = a ? node(e.args[1]) : std::nullopt;
    if (!a || !b)
      return std::nullopt;
    SlotKind ka = slotKind(a->type), kb = slotKind(b->type);
    if (ka == SlotKind::Str && kb == SlotKind::Str && e.op == '+')
      return binary(Node::Concat, ValueType::String, std::move(*a),
                    std::move(*b));
    if (ka == SlotKind::Num && kb == SlotKind::Num)
      return binary(e.op == '+'   ? Node::Add
                    : e.op == '-' ? Node::Sub
                                  : Node::Mul,
                    ValueType::Integer, std::move(*a), std::move(*b));
    problem(std::string("\"") + e.op + "\" cannot combine these operands");
    return std::nullopt;
  }
  }
  return std::nullopt;
}

std::optional<Arg> ProcedureChecker::argument(const Expr &e, bool empty,
                                              ValueType type,
                                              const std::string &typeName,
                                              bool byRef) {
  Arg a;
  a.type = type;
  a.byRef = byRef;
  a.empty = empty;
  if (empty)
    return a;
  // A variable passed by name: by reference when the formal says so.
  if (e.kind == Expr::Name)
    if (const Variable *v = variable(e.text)) {
      if (v->slot.kind != slotKind(type)) {
        problem(
            "the argument " + e.text + " does not fit the type " +
            (typeName.empty() ? std::string("of the parameter") : typeName));
        return std::nullopt;
      }
      a.isVar = true;
      a.var = v->slot;
      return a;
    }
  std::optional<Node> n = node(e);
  if (!n)
    return std::nullopt;
  if (slotKind(n->type) != slotKind(type)) {
    problem("an argument does not fit the type " +
            (typeName.empty() ? std::string("of the parameter") : typeName));
    return std::nullopt;
  }
  a.value = std::move(*n);
  return a;
}

} // namespace kel
