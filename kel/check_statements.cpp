//===- check_statements.cpp - Check text statements and tests -------------===//

#include "checker.h"

namespace kel {

namespace {

bool isRelation(const std::string &op) {
  return op == "==" || op == "!=" || op == "<" || op == ">" || op == "<=" ||
         op == ">=";
}

} // namespace

void ProcedureChecker::statement(const Statement &st, const Command &c,
                                 bool last, int region) {
  auto valueOf = [&](Node &out) -> bool {
    Expr fromElements;
    const Expr *e = &st.value;
    if (!st.hasValue) {
      if (!last || !c.hasExpr) {
        problem("the assignment to " + st.name + " has no value");
        return false;
      }
      if (c.expr.empty()) {
        problem("the assignment to " + st.name + " has an empty expression");
        return false;
      }
      if (auto err = parseElements(c.expr, fromElements)) {
        problem("cannot read the expression (element " +
                std::to_string(err->column) + "): " + err->message);
        return false;
      }
      e = &fromElements;
    } else if (last && c.hasExpr) {
      problem("the assignment has both a text value and an expression");
      return false;
    }
    std::optional<Node> n = node(*e);
    if (!n)
      return false;
    out = std::move(*n);
    return true;
  };

  switch (st.kind) {
  case Statement::Label: {
    auto [it, fresh] = labels_.emplace(st.name, Label{p_.code.size(), region});
    if (!fresh)
      problem("the label " + st.name + " is defined twice in " + p_.name);
    // A label is a place, not a step: jumps go to what follows it. Only a
    // trace point needs an instruction there.
    if (std::uint32_t point =
            c.flowEnd ? tracePoint(TracePoint::FlowEnd, c.flowEnd, nullptr) : 0)
      emit(Instr::Label).trace = point;
    return;
  }
  case Statement::Goto:
    emit(Instr::Jump);
    jump(p_.code.size() - 1, st.name, false, region);
    return;
  case Statement::Return:
    if (region)
      problem("\"return\" inside a condition");
    emit(Instr::Return);
    return;
  case Statement::SetVar:
  case Statement::SetVarF:
  case Statement::SetPointer: {
    const Variable *v = variable(st.name);
    if (!v) {
      problem("\"" + st.name + "\" is not a variable of " + p_.name);
      return;
    }
    Node value;
    if (!valueOf(value))
      return;
    bool pointer = st.kind == Statement::SetPointer;
    if (pointer != (v->slot.kind == SlotKind::Ptr)) {
      problem(st.name + (pointer ? " is not a pointer" : " is a pointer"));
      return;
    }
    if (slotKind(value.type) != v->slot.kind) {
      problem("the value does not fit the type " + v->typeName + " of " +
              st.name);
      return;
    }
    if (st.kind == Statement::SetVarF && value.op != Node::Native)
      problem("setVarF takes the result of a native function");
    Instr &in = emit(pointer ? Instr::SetPointer : Instr::Set);
    in.var = v->slot;
    in.value = std::move(value);
    return;
  }
  case Statement::SetAttr: {
    const Variable *v = variableOf(st.object, SlotKind::Ptr, "a pointer");
    if (!v)
      return;
    const zrep::AttrInfo *a = attribute(v->typeName, st.name);
    Node value;
    if (!a || !valueOf(value))
      return;
    bool numeric = a->kind == zrep::AttrKind::Integer ||
                   a->kind == zrep::AttrKind::Boolean;
    if (value.type == ValueType::Pointer ||
        numeric != (slotKind(value.type) == SlotKind::Num)) {
      problem("the value does not fit the attribute " + st.name);
      return;
    }
    Instr &in = emit(Instr::SetAttr);
    in.var = v->slot;
    in.name = st.name;
    in.attrKind = a->kind;
    in.value = std::move(value);
    return;
  }
  case Statement::Call:
    if (region)
      problem("a call inside a condition");
    call(st);
    return;
  case Statement::AddObj: {
    const Variable *v = variableOf(st.name, SlotKind::Ptr, "a pointer");
    const std::string *cls = className(st.cls);
    if (!v || !cls)
      return;
    Instr &in = emit(Instr::AddObj);
    in.var = v->slot;
    in.cls = cls;
    return;
  }
  case Statement::DeleteObj: {
    if (const Variable *v = variableOf(st.name, SlotKind::Ptr, "a pointer"))
      emit(Instr::DeleteObj).var = v->slot;
    return;
  }
  case Statement::AddLink:
  case Statement::DeleteLink: {
    const Variable *a = variableOf(st.object, SlotKind::Ptr, "a pointer");
    const Variable *b = variableOf(st.name, SlotKind::Ptr, "a pointer");
    if (!a || !b || !role(a->typeName, st.role))
      return;
    Instr &in = emit(st.kind == Statement::AddLink ? Instr::AddLink
                                                   : Instr::DeleteLink);
    in.var = a->slot;
    in.other = b->slot;
    in.name = st.role;
    return;
  }
  default:
    test(st, st.elseLabel, region);
    return;
  }
}

void ProcedureChecker::test(const Statement &st, const std::string &elseLabel,
                            int region) {
  Instr in;
  switch (st.kind) {
  case Statement::VarTest:
  case Statement::PointerTest: {
    bool pointer = st.kind == Statement::PointerTest;
    const Variable *v = variable(st.name);
    if (!v) {
      problem("\"" + st.name + "\" is not a variable of " + p_.name);
      return;
    }
    if (pointer != (v->slot.kind == SlotKind::Ptr)) {
      problem(st.name + (pointer ? " is not a pointer" : " is a pointer"));
      return;
    }
    if (!isRelation(st.op) ||
        (pointer || v->type == ValueType::Boolean || v->type == ValueType::Enum
             ? st.op != "==" && st.op != "!="
             : false)) {
      problem("\"" + st.op + "\" cannot compare " + v->typeName + " values");
      return;
    }
    std::optional<Node> value = node(st.value);
    if (!value)
      return;
    if (slotKind(value->type) != v->slot.kind) {
      problem("the two sides of the comparison have different types");
      return;
    }
    in.op = pointer ? Instr::PtrCompare : Instr::Compare;
    in.var = v->slot;
    in.attrKind = v->type == ValueType::Enum ? zrep::AttrKind::Enum
                                             : zrep::AttrKind::String;
    in.op2 = st.op;
    in.value = std::move(*value);
    break;
  }
  case Statement::TypeTest: {
    const Variable *v = variableOf(st.name, SlotKind::Ptr, "a pointer");
    const std::string *cls = className(st.cls);
    if (!v || !cls)
      return;
    in.op = Instr::TypeTest;
    in.var = v->slot;
    in.cls = cls;
    in.negate = st.op == "!=";
    break;
  }
  case Statement::LinkTest:
  case Statement::NoLinkTest: {
    const Variable *a = variableOf(st.object, SlotKind::Ptr, "a pointer");
    const Variable *b = variableOf(st.name, SlotKind::Ptr, "a pointer");
    if (!a || !b || !role(a->typeName, st.role))
      return;
    in.op = Instr::LinkTest;
    in.var = a->slot;
    in.other = b->slot;
    in.name = st.role;
    in.negate = st.kind == Statement::NoLinkTest;
    break;
  }
  default:
    problem("this statement is not a test");
    return;
  }
  in.command = current_;
  p_.code.push_back(std::move(in));
  if (!elseLabel.empty())
    jump(p_.code.size() - 1, elseLabel, false, region);
}

void ProcedureChecker::call(const Statement &st) {
  auto arguments = [&](const std::vector<Variable> *params,
                       const std::vector<ValueType> *types,
                       const std::vector<bool> *byRef,
                       const std::vector<std::string> *typeNames,
                       std::vector<Arg> &out) -> bool {
    std::size_t n = params ? params->size() : types->size();
    if (st.args.size() != n) {
      problem(st.name + " takes " + std::to_string(n) + " argument" +
              (n == 1 ? "" : "s") + ", not " + std::to_string(st.args.size()));
      return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
      ValueType t = params ? (*params)[i].type : (*types)[i];
      bool ref = params ? (*params)[i].slot.where == VarRef::Ref : (*byRef)[i];
      const std::string &typeName =
          params ? (*params)[i].typeName : (*typeNames)[i];
      std::optional<Arg> a =
          argument(st.args[i], st.emptyArgs[i], t, typeName, ref);
      if (!a)
        return false;
      if (!params && slotKind(t) == SlotKind::Ptr && !a->isVar) {
        problem("argument " + std::to_string(i + 1) + " of " + st.name +
                " must be a pointer variable");
        return false;
      }
      out.push_back(std::move(*a));
    }
    return true;
  };

  if (auto it = s_.procedures.find(st.name); it != s_.procedures.end()) {
    const CheckedProcedure &callee = s_.out.procedures[it->second];
    Instr in;
    in.op = Instr::Call;
    in.a = static_cast<std::int32_t>(it->second);
    in.command = current_;
    // The callee's parameters are declared once it has been checked; its
    // source definitions give their types now.
    std::vector<Variable> formals;
    for (const Definition &d : callee.source->params) {
      Variable v{
          d.name, s_.typeOf(d.type).value_or(ValueType::Text), d.type, {}};
      v.slot.where = d.byRef ? VarRef::Ref : VarRef::Local;
      formals.push_back(std::move(v));
    }
    if (arguments(&formals, nullptr, nullptr, nullptr, in.args))
      p_.code.push_back(std::move(in));
    return;
  }
  // An external procedure found in a library.
  for (std::size_t i = 0; i < s_.out.externals.size(); ++i) {
    const ExternalNative &x = s_.out.externals[i];
    if (x.name != st.name)
      continue;
    Instr in;
    in.op = Instr::CallNative;
    in.a = -1 - static_cast<std::int32_t>(i);
    in.command = current_;
    if (arguments(nullptr, &x.params, &x.byRef, &x.typeNames, in.args))
      p_.code.push_back(std::move(in));
    return;
  }
  int n = findBuiltinNative(st.name);
  if (n < 0) {
    problem("the procedure " + st.name + " is not defined");
    return;
  }
  const NativeInfo &info = builtinNatives()[n];
  std::vector<std::string> names(info.params.size(), "");
  Instr in;
  in.op = Instr::CallNative;
  in.a = n;
  in.command = current_;
  if (arguments(nullptr, &info.params, &info.byRef, &names, in.args))
    p_.code.push_back(std::move(in));
}

} // namespace kel
