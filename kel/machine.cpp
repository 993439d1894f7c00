//===- machine.cpp - The interpreter loop ---------------------------------===//

#include "machine.h"

#include "stack_room.h"

#include <charconv>
#include <cstring>
#include <optional>

namespace kel {

namespace {

/// Kel calls nested deeper than this end the run: an endless recursion
/// would otherwise take all memory.
constexpr std::size_t kMaxCallDepth = 1000000;

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

std::int32_t wrap(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

struct Frame {
  const CheckedProcedure *proc = nullptr;
  std::vector<std::int32_t> nums;
  std::vector<std::string> strs;
  std::vector<Kel_Var_2> ptrs;
  std::vector<std::int32_t *> rnums;
  std::vector<std::string *> rstrs;
  std::vector<Kel_Var_2 *> rptrs;
  // Arguments passed by reference that are not variables.
  std::vector<std::int32_t> tnums;
  std::vector<std::string> tstrs;
  std::vector<Kel_Var_2> tptrs;
};

/// A fault located at the command that raised it.
struct Located {
  RunFault fault;
};

struct Fault {
  std::string message;
};

} // namespace

struct Machine::Impl {
  const CheckedProgram &prog;
  RunStats &stats;
  TraceSink *trace;
  Globals globals;
  std::vector<std::unique_ptr<Frame>> frames;
  std::size_t depth = 0;
  struct Entry {
    bool marker;
    bool found;
    std::int32_t pc; ///< The First, or a marker's failure target.
    Kel_Var_2 *var;
  };
  std::vector<Entry> search;
  std::uint64_t budget = UINT64_MAX;

  Impl(const CheckedProgram &p, RunStats &s, TraceSink *t)
      : prog(p), stats(s), trace(t) {
    globals.nums.assign(p.globalNums, 0);
    globals.strs.assign(p.globalStrs, {});
    globals.ptrs = p.freshGlobalPointers;
  }

  std::int32_t &num(Frame &f, VarRef r) {
    switch (r.where) {
    case VarRef::Local:
      return f.nums[r.index];
    case VarRef::Global:
      return globals.nums[r.index];
    default:
      return *f.rnums[r.index];
    }
  }
  std::string &str(Frame &f, VarRef r) {
    switch (r.where) {
    case VarRef::Local:
      return f.strs[r.index];
    case VarRef::Global:
      return globals.strs[r.index];
    default:
      return *f.rstrs[r.index];
    }
  }
  Kel_Var_2 &ptr(Frame &f, VarRef r) {
    switch (r.where) {
    case VarRef::Local:
      return f.ptrs[r.index];
    case VarRef::Global:
      return globals.ptrs[r.index];
    default:
      return *f.rptrs[r.index];
    }
  }

  std::int32_t evalNum(Frame &f, const Node &n);
  std::string evalStr(Frame &f, const Node &n);
  void native(Frame &f, const Node &n, NativeArgs &a);
  void callNative(Frame &f, const Instr &in);
  void callExternal(Frame &f, const Instr &in);
  void call(Frame &f, const Instr &in);
  void execute(Frame &f);
  std::int32_t fail(const std::vector<Instr> &code);
  bool test(Frame &f, const Instr &in);
  void report(Frame &f, std::uint32_t point) {
    if (trace)
      trace->reached(prog.trace[point - 1],
                     [&](VarRef r) -> const Kel_Var_2 & { return ptr(f, r); });
  }
  void step(Frame &f, const Instr &in);
};

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
  try {
    for (;;) {
      const Instr &in = code[pc];
      if (--budget == 0)
        throw Fault{"the run took more instructions than it may"};
      switch (in.op) {
      case Instr::Label:
        if (in.trace)
          report(f, in.trace);
        ++pc;
        break;
      case Instr::Jump:
        pc = in.a;
        break;
      case Instr::Return:
        return;
      case Instr::Compare:
      case Instr::PtrCompare:
      case Instr::TypeTest:
      case Instr::LinkTest:
        if (test(f, in))
          ++pc;
        else
          pc = in.a >= 0 ? in.a : fail(code);
        break;
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
                              : First(v, *in.cls);
        if (any) {
          search.push_back({false, false, pc, &v});
          ++pc;
        } else {
          pc = in.b >= 0 ? in.b : fail(code);
        }
        break;
      }
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
                              : First(v, *in.cls);
        pc = any ? in.a : in.b;
        break;
      }
      case Instr::ForeachNext:
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
    throw Located{{f.proc->name, f.proc->commands[code[pc].command],
                   std::move(e.message)}};
  } catch (Kel_Var_2_Exception &e) {
    throw Located{{f.proc->name, f.proc->commands[code[pc].command], e.text()}};
  } catch (std::exception &e) {
    throw Located{{f.proc->name, f.proc->commands[code[pc].command],
                   std::string("internal error: ") + e.what()}};
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

void Machine::Impl::callNative(Frame &f, const Instr &in) {
  const NativeInfo &info = builtinNatives()[in.a];
  NativeArgs a;
  std::int32_t nums[kMaxNativeArgs] = {};
  std::string strs[kMaxNativeArgs];
  for (std::size_t i = 0; i < in.args.size(); ++i) {
    const Arg &arg = in.args[i];
    switch (slotKind(arg.type)) {
    case SlotKind::Num:
      a.num[i] = arg.isVar ? &num(f, arg.var) : &nums[i];
      if (!arg.isVar && !arg.empty)
        nums[i] = evalNum(f, arg.value);
      break;
    case SlotKind::Str:
      a.str[i] = arg.isVar ? &str(f, arg.var) : &strs[i];
      if (!arg.isVar && !arg.empty)
        strs[i] = evalStr(f, arg.value);
      break;
    case SlotKind::Ptr:
      // The checker lets only variables stand for objects here.
      a.ptr[i] = &ptr(f, arg.var);
      break;
    }
    // A value parameter must not change the caller's variable.
    if (arg.isVar && !arg.byRef) {
      if (a.num[i] && slotKind(arg.type) == SlotKind::Num)
        a.num[i] = &(nums[i] = *a.num[i]);
      if (a.str[i] && slotKind(arg.type) == SlotKind::Str)
        a.str[i] = &(strs[i] = *a.str[i]);
    }
  }
  info.fn(a);
}

namespace {

/// What an external native sees of one call, and what it sets.
struct ExternalCall {
  KelNativeCall c{};
  std::vector<std::string> values, types;
  std::vector<const char *> valuePtrs, typePtrs;
  std::vector<std::int32_t> byRef;
  std::vector<std::optional<std::string>> set;
  std::optional<std::string> failure;
};

std::string valueText(Kel_Var_2 &v) {
  return IsNull(v) ? std::string("0") : std::to_string(CurId(v));
}

} // namespace

void Machine::Impl::callExternal(Frame &f, const Instr &in) {
  const ExternalNative &x = prog.externals[static_cast<std::size_t>(-1 - in.a)];
  ExternalCall call;
  for (std::size_t i = 0; i < in.args.size(); ++i) {
    const Arg &arg = in.args[i];
    std::string text;
    if (!arg.empty) {
      switch (slotKind(arg.type)) {
      case SlotKind::Num: {
        std::int32_t n = arg.isVar ? num(f, arg.var) : evalNum(f, arg.value);
        text = arg.type == ValueType::Boolean ? (n ? "true" : "false")
                                              : std::to_string(n);
        break;
      }
      case SlotKind::Str:
        text = arg.isVar ? str(f, arg.var) : evalStr(f, arg.value);
        break;
      case SlotKind::Ptr:
        text = arg.isVar ? valueText(ptr(f, arg.var)) : "0";
        break;
      }
    } else if (slotKind(arg.type) != SlotKind::Str) {
      text = arg.type == ValueType::Boolean ? "false" : "0";
    }
    call.values.push_back(std::move(text));
    call.types.push_back(x.typeNames[i]);
    call.byRef.push_back(arg.byRef);
  }
  call.set.resize(in.args.size());
  for (std::size_t i = 0; i < in.args.size(); ++i) {
    call.valuePtrs.push_back(call.values[i].c_str());
    call.typePtrs.push_back(call.types[i].c_str());
  }
  call.c.argc = static_cast<std::int32_t>(in.args.size());
  call.c.args = call.valuePtrs.data();
  call.c.types = call.typePtrs.data();
  call.c.byRef = call.byRef.data();
  call.c.context = &call;
  call.c.setArg = [](KelNativeCall *c, std::int32_t i, const char *value) {
    auto *self = static_cast<ExternalCall *>(c->context);
    if (i >= 0 && i < c->argc && value)
      self->set[static_cast<std::size_t>(i)] = value;
  };
  call.c.fail = [](KelNativeCall *c, const char *message) {
    auto *self = static_cast<ExternalCall *>(c->context);
    if (!self->failure)
      self->failure = message ? message : "";
  };
  x.fn(&call.c);
  if (call.failure)
    throw Fault{x.name + " failed: " + *call.failure};
  for (std::size_t i = 0; i < in.args.size(); ++i) {
    const Arg &arg = in.args[i];
    if (!call.set[i])
      continue;
    if (!arg.byRef || !arg.isVar)
      throw Fault{x.name + " set its argument " + std::to_string(i + 1) +
                  ", which is not passed by reference to a variable"};
    const std::string &v = *call.set[i];
    switch (slotKind(arg.type)) {
    case SlotKind::Num:
      if (arg.type == ValueType::Boolean) {
        num(f, arg.var) = v == "true" || v == "1";
      } else {
        std::int32_t n = 0;
        auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
        if (ec != std::errc() || end != v.data() + v.size())
          throw Fault{x.name + " set its argument " + std::to_string(i + 1) +
                      " to \"" + v + "\", which is not an Integer"};
        num(f, arg.var) = n;
      }
      break;
    case SlotKind::Str:
      str(f, arg.var) = v;
      break;
    case SlotKind::Ptr:
      throw Fault{x.name + " set its argument " + std::to_string(i + 1) +
                  ", an object, which natives can only read"};
    }
  }
}

void Machine::Impl::call(Frame &caller, const Instr &in) {
  const CheckedProcedure &p = prog.procedures[static_cast<std::size_t>(in.a)];
  if (depth + 1 >= kMaxCallDepth)
    throw Fault{"calls nested more than " + std::to_string(kMaxCallDepth) +
                " deep (an endless recursion?)"};
  if (frames.size() <= depth + 1)
    frames.push_back(std::make_unique<Frame>());
  Frame &f = *frames[depth + 1];
  f.proc = &p;
  f.nums.assign(p.nums, 0);
  f.strs.assign(p.strs, std::string());
  f.ptrs = p.freshPointers;
  f.rnums.assign(p.refNums, nullptr);
  f.rstrs.assign(p.refStrs, nullptr);
  f.rptrs.assign(p.refPtrs, nullptr);
  f.tnums.clear();
  f.tstrs.clear();
  f.tptrs.clear();
  f.tnums.reserve(in.args.size());
  f.tstrs.reserve(in.args.size());
  f.tptrs.reserve(in.args.size());
  for (std::size_t i = 0; i < in.args.size(); ++i) {
    const Arg &arg = in.args[i];
    const VarRef slot = p.params[i].slot;
    switch (slot.kind) {
    case SlotKind::Num: {
      std::int32_t v = arg.empty   ? 0
                       : arg.isVar ? num(caller, arg.var)
                                   : evalNum(caller, arg.value);
      if (slot.where != VarRef::Ref)
        f.nums[slot.index] = v;
      else if (arg.isVar)
        f.rnums[slot.index] = &num(caller, arg.var);
      else
        f.rnums[slot.index] = &f.tnums.emplace_back(v);
      break;
    }
    case SlotKind::Str: {
      if (slot.where == VarRef::Ref && arg.isVar) {
        f.rstrs[slot.index] = &str(caller, arg.var);
        break;
      }
      std::string v = arg.empty   ? std::string()
                      : arg.isVar ? str(caller, arg.var)
                                  : evalStr(caller, arg.value);
      if (slot.where != VarRef::Ref)
        f.strs[slot.index] = std::move(v);
      else
        f.rstrs[slot.index] = &f.tstrs.emplace_back(std::move(v));
      break;
    }
    case SlotKind::Ptr:
      if (slot.where == VarRef::Ref) {
        if (arg.isVar)
          f.rptrs[slot.index] = &ptr(caller, arg.var);
        else
          f.rptrs[slot.index] = &f.tptrs.emplace_back(
              Kel_Var_2(p.params[i].typeName == "AnyClass"
                            ? std::string_view()
                            : std::string_view(p.params[i].typeName)));
      } else if (arg.isVar) {
        // Pointers are values: the callee gets a copy that iterates on
        // from the same place.
        f.ptrs[slot.index] = ptr(caller, arg.var);
      }
      break;
    }
  }
  ++stats.calls;
  ++depth;
  struct Leave {
    std::size_t &d;
    ~Leave() { --d; }
  } leave{depth};
  withStackRoom([&] { execute(f); });
}

Machine::Machine(const CheckedProgram &program, RunStats &stats,
                 TraceSink *trace)
    : impl_(std::make_unique<Impl>(program, stats, trace)) {}

Machine::~Machine() = default;

void Machine::setStepLimit(std::uint64_t steps) {
  impl_->budget = steps ? steps : UINT64_MAX;
}

void Machine::run() {
  Impl &m = *impl_;
  Instr start;
  start.op = Instr::Call;
  start.a = static_cast<std::int32_t>(m.prog.main);
  if (m.frames.empty())
    m.frames.push_back(std::make_unique<Frame>());
  try {
    m.call(*m.frames[0], start);
  } catch (Located &l) {
    m.search.clear();
    throw l.fault;
  } catch (Fault &f) {
    throw RunFault{"", {}, f.message};
  }
}

} // namespace kel
