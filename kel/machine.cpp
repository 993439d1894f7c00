//===- machine.cpp - The interpreter loop ---------------------------------===//

#include "machine_impl.h"

#include "stack_room.h"

#include <charconv>
#include <cstring>
#include <optional>

namespace kel {

using namespace machine;

namespace {

std::string_view literalOf(std::string_view enumValue) {
  std::size_t p = enumValue.rfind("::");
  return p == std::string_view::npos ? enumValue : enumValue.substr(p + 2);
}

/// Applies a comparison operator to the sign of a three-way comparison.
bool holds(const std::string &op, int sign) {
  switch (op[0]) {
  case '=':
    return sign == 0;
  case '!':
    return sign != 0;
  case '<':
    return op.size() == 1 ? sign < 0 : sign <= 0;
  default:
    return op.size() == 1 ? sign > 0 : sign >= 0;
  }
}

/// The command a fault in `in` came from: `part` within a fused step.
std::uint32_t at(const Instr &in, std::uint32_t part) {
  return part == UINT32_MAX ? in.command : part;
}

/// A fault of step `in` of `f`, named after the procedure the step came
/// from (a called one, for a step copied in place of the call).
Located located(const std::vector<CheckedProcedure> &procedures, const Frame &f,
                const Instr &in, std::uint32_t part, std::string message) {
  const CheckedProcedure &owner =
      in.inlined < 0
          ? *f.proc
          : procedures[f.proc->inlined[static_cast<std::size_t>(in.inlined)]
                           .callee];
  return Located{
      {owner.name, owner.commands[at(in, part)], std::move(message)}};
}

std::int32_t wrap(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

} // namespace

std::int32_t Machine::Impl::evalNum(Frame &f, const Node &n) {
  switch (n.op) {
  case Node::Num:
    return n.num;
  case Node::Var:
    return num(f, n.var);
  case Node::AttrInt:
    return GetAttrInt(ptr(f, n.var), NameRef(n.str, &n.cache));
  case Node::AttrBool:
    return GetAttrBool(ptr(f, n.var), NameRef(n.str, &n.cache));
  case Node::Add:
    return wrap(std::int64_t(evalNum(f, n.kids[0])) + evalNum(f, n.kids[1]));
  case Node::Sub:
    return wrap(std::int64_t(evalNum(f, n.kids[0])) - evalNum(f, n.kids[1]));
  case Node::Mul:
    return wrap(std::int64_t(evalNum(f, n.kids[0])) * evalNum(f, n.kids[1]));
  case Node::Neg:
    return wrap(-std::int64_t(evalNum(f, n.kids[0])));
  case Node::Native: {
    NativeArgs a;
    native(f, n, a);
    return a.numResult;
  }
  default:
    throw Fault{"internal: a number was expected"};
  }
}

std::string Machine::Impl::evalStr(Frame &f, const Node &n) {
  switch (n.op) {
  case Node::Str:
    return n.str;
  case Node::Var:
    return str(f, n.var);
  case Node::AttrStr:
    return GetAttrStr(ptr(f, n.var), NameRef(n.str, &n.cache));
  case Node::AttrEnum:
    return GetAttrEnum(ptr(f, n.var), NameRef(n.str, &n.cache));
  case Node::Concat:
    return evalStr(f, n.kids[0]) + evalStr(f, n.kids[1]);
  case Node::Native: {
    NativeArgs a;
    native(f, n, a);
    return std::move(a.strResult);
  }
  default:
    throw Fault{"internal: a text was expected"};
  }
}

void Machine::Impl::native(Frame &f, const Node &n, NativeArgs &a) {
  const NativeInfo &info = builtinNatives()[n.native];
  std::int32_t nums[kMaxNativeArgs];
  std::string strs[kMaxNativeArgs];
  for (std::size_t i = 0; i < n.kids.size(); ++i) {
    const Node &k = n.kids[i];
    switch (slotKind(info.params[i])) {
    case SlotKind::Num:
      if (info.byRef[i])
        a.num[i] = &num(f, k.var);
      else
        a.num[i] = &(nums[i] = evalNum(f, k));
      break;
    case SlotKind::Str:
      if (info.byRef[i])
        a.str[i] = &str(f, k.var);
      else
        a.str[i] = &(strs[i] = evalStr(f, k));
      break;
    case SlotKind::Ptr:
      a.ptr[i] = &ptr(f, k.var);
      break;
    }
  }
  info.fn(a);
}

bool Machine::Impl::test(Frame &f, const Instr &in) {
  switch (in.op) {
  case Instr::Compare:
    if (in.var.kind == SlotKind::Num) {
      std::int32_t a = num(f, in.var), b = evalNum(f, in.value);
      return holds(in.op2, a < b ? -1 : a > b ? 1 : 0);
    } else {
      std::string b = evalStr(f, in.value);
      std::string_view a = str(f, in.var), bv = b;
      if (in.attrKind == zrep::AttrKind::Enum) {
        a = literalOf(a);
        bv = literalOf(bv);
      }
      int c = a.compare(bv);
      return holds(in.op2, c < 0 ? -1 : c > 0 ? 1 : 0);
    }
  case Instr::PtrCompare: {
    const Kel_Var_2 &a = ptr(f, in.var);
    bool equal =
        in.value.op == Node::Null ? IsNull(a) : PtrEq(a, ptr(f, in.value.var));
    return equal == (in.op2 == "==");
  }
  case Instr::TypeTest:
    return IsTypeOf(ptr(f, in.var), *in.cls) != in.negate;
  default: // LinkTest
    return in.negate ? LinkNotExists(ptr(f, in.var), ptr(f, in.other),
                                     NameRef(in.name, &in.cache))
                     : LinkExists(ptr(f, in.var), ptr(f, in.other),
                                  NameRef(in.name, &in.cache));
  }
}

std::int32_t Machine::Impl::fail(const std::vector<Instr> &code) {
  spend();
  for (;;) {
    if (search.empty())
      throw Fault{"a test failed, or a goto without a label was reached, "
                  "outside a condition"};
    Entry &e = search.back();
    if (e.marker) {
      std::int32_t target = e.pc;
      search.pop_back();
      return target;
    }
    if (Next(*e.var))
      return e.pc + 1;
    Entry done = e;
    search.pop_back();
    if (!done.found && code[done.pc].b >= 0)
      return code[done.pc].b;
  }
}

void Machine::Impl::execute(Frame &f) {
  const std::vector<Instr> &code = f.proc->code;
  std::int32_t pc = 0;
  // The command being evaluated within a fused step, where it is not the
  // step's own.
  constexpr std::uint32_t kOwn = UINT32_MAX;
  std::uint32_t part = kOwn;
  try {
    for (;;) {
      const Instr &in = code[pc];
      switch (in.op) {
      case Instr::Label:
        if (in.trace)
          report(f, in.trace);
        ++pc;
        break;
      case Instr::Jump:
        spend();
        pc = in.a;
        break;
      case Instr::Return:
        return;
      case Instr::Enter:
        enter(f, in);
        ++pc;
        break;
      case Instr::Leave:
        pc = in.a;
        break;
      case Instr::Compare:
      case Instr::PtrCompare:
      case Instr::TypeTest:
      case Instr::LinkTest:
        if (test(f, in)) {
          stats.matches += in.wholeCondition;
          ++pc;
        } else {
          pc = in.a >= 0 ? in.a : fail(code);
        }
        break;
      case Instr::CompareValues: {
        part = in.lhsCommand;
        std::int32_t a = evalNum(f, in.lhs);
        part = in.rhsCommand;
        std::int32_t b = evalNum(f, in.value);
        part = kOwn;
        if (holds(in.op2, a < b ? -1 : a > b ? 1 : 0)) {
          stats.matches += in.wholeCondition;
          ++pc;
        } else {
          pc = in.a >= 0 ? in.a : fail(code);
        }
        break;
      }
      case Instr::Fail:
        pc = fail(code);
        break;
      case Instr::SearchBegin:
        search.push_back({true, false, in.a, nullptr});
        ++pc;
        break;
      case Instr::SearchEnd:
        while (!search.back().marker)
          search.pop_back();
        search.pop_back();
        ++stats.matches;
        if (in.trace)
          report(f, in.trace);
        ++pc;
        break;
      case Instr::First: {
        Kel_Var_2 &v = ptr(f, in.var);
        bool any = in.viaLink ? FirstByLink(v, ptr(f, in.other),
                                            NameRef(in.name, &in.cache))
                              : FirstOfInterned(v, *in.cls);
        if (any) {
          search.push_back({false, false, pc, &v});
          ++pc;
        } else {
          pc = in.b >= 0 ? in.b : fail(code);
        }
        break;
      }
      case Instr::NoPartner:
        pc = HasPartner(ptr(f, in.other), NameRef(in.name, &in.cache))
                 ? fail(code)
                 : in.b;
        break;
      case Instr::Matched:
        for (auto it = search.rbegin(); it != search.rend(); ++it)
          if (!it->marker && it->pc == in.a) {
            it->found = true;
            break;
          }
        ++pc;
        break;
      case Instr::ForeachBegin: {
        Kel_Var_2 &v = ptr(f, in.var);
        bool any = in.viaLink ? FirstByLink(v, ptr(f, in.other),
                                            NameRef(in.name, &in.cache))
                              : FirstOfInterned(v, *in.cls);
        pc = any ? in.a : in.b;
        break;
      }
      case Instr::ForeachNext:
        spend();
        pc = Next(ptr(f, in.var)) ? in.a : in.b;
        break;
      default:
        step(f, in);
        ++pc;
        break;
      }
    }
  } catch (Located &) {
    throw;
  } catch (Fault &e) {
    throw located(prog.procedures, f, code[pc], part, std::move(e.message));
  } catch (Kel_Var_2_Exception &e) {
    throw located(prog.procedures, f, code[pc], part, e.text());
  } catch (std::exception &e) {
    throw located(prog.procedures, f, code[pc], part,
                  std::string("internal error: ") + e.what());
  }
}

void Machine::Impl::step(Frame &f, const Instr &in) {
  switch (in.op) {
  case Instr::Set:
    if (in.var.kind == SlotKind::Num)
      num(f, in.var) = evalNum(f, in.value);
    else
      str(f, in.var) = evalStr(f, in.value);
    return;
  case Instr::SetPointer: {
    Kel_Var_2 &target = ptr(f, in.var);
    if (in.value.op == Node::Null) {
      Kel_Var_2 none(target.declaredClass());
      SetPointer(target, none);
    } else {
      SetPointer(target, ptr(f, in.value.var));
    }
    return;
  }
  case Instr::SetAttr: {
    const Kel_Var_2 &v = ptr(f, in.var);
    switch (in.attrKind) {
    case zrep::AttrKind::Integer:
      SetAttrInt(v, NameRef(in.name, &in.cache), evalNum(f, in.value));
      return;
    case zrep::AttrKind::Boolean:
      SetAttrBool(v, NameRef(in.name, &in.cache), evalNum(f, in.value) != 0);
      return;
    case zrep::AttrKind::Enum:
      SetAttrEnum(v, NameRef(in.name, &in.cache), evalStr(f, in.value));
      return;
    case zrep::AttrKind::String:
      SetAttrStr(v, NameRef(in.name, &in.cache), evalStr(f, in.value));
      return;
    }
    return;
  }
  case Instr::Call:
    call(f, in);
    return;
  case Instr::CallNative:
    if (in.a < 0)
      callExternal(f, in);
    else
      callNative(f, in);
    return;
  case Instr::AddObj:
    AddObj(ptr(f, in.var), *in.cls);
    ++stats.created;
    return;
  case Instr::DeleteObj:
    if (DeleteObj(ptr(f, in.var)))
      ++stats.deleted;
    return;
  case Instr::AddLink:
    AddLink(ptr(f, in.var), ptr(f, in.other), NameRef(in.name, &in.cache));
    ++stats.linked;
    return;
  case Instr::DeleteLink:
    DeleteLink(ptr(f, in.var), ptr(f, in.other), NameRef(in.name, &in.cache));
    ++stats.unlinked;
    return;
  default:
    throw Fault{"internal: an instruction out of place"};
  }
}

} // namespace kel
