//===- machine_calls.cpp - Calls of procedures and natives ----------------===//

#include "machine_impl.h"

#include "stack_room.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace kel {

using namespace machine;

namespace {

/// Kel calls nested deeper than this end the run: an endless recursion
/// would otherwise take all memory.
constexpr std::size_t kMaxCallDepth = 1000000;

} // namespace

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
        std::int32_t n = numArgument(f, arg);
        text = arg.type == ValueType::Boolean ? (n ? "true" : "false")
                                              : std::to_string(n);
        break;
      }
      case SlotKind::Str:
        text = strArgument(f, arg);
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

void Machine::Impl::checkDepth() {
  if (depth >= kMaxCallDepth)
    throw Fault{"calls nested more than " + std::to_string(kMaxCallDepth) +
                " deep (an endless recursion?)"};
}

void Machine::Impl::enter(Frame &f, const Instr &in) {
  const CheckedProcedure::Inlined &at =
      f.proc->inlined[static_cast<std::size_t>(in.b)];
  const CheckedProcedure &p = prog.procedures[at.callee];
  checkDepth();
  std::fill_n(f.nums.begin() + at.nums, p.nums, 0);
  for (std::uint32_t i = 0; i < p.strs; ++i)
    f.strs[at.strs + i].clear();
  for (std::size_t i = 0; i < p.freshPointers.size(); ++i)
    f.ptrs[at.ptrs + i].restartAs(p.freshPointers[i]);
  // Parameters, all passed by value, read the caller's variables, which
  // are none of the copy's.
  for (std::size_t i = 0; i < in.args.size(); ++i) {
    const Arg &arg = in.args[i];
    const VarRef slot = p.params[i].slot;
    switch (slot.kind) {
    case SlotKind::Num:
      f.nums[at.nums + slot.index] = numArgument(f, arg);
      break;
    case SlotKind::Str:
      f.strs[at.strs + slot.index] = strArgument(f, arg);
      break;
    case SlotKind::Ptr:
      if (arg.isVar)
        f.ptrs[at.ptrs + slot.index] = ptr(f, arg.var);
      break;
    }
  }
  spend();
  ++stats.calls;
}

void Machine::Impl::call(Frame &caller, const Instr &in) {
  const CheckedProcedure &p = prog.procedures[static_cast<std::size_t>(in.a)];
  checkDepth();
  if (frames.size() <= depth + 1)
    frames.push_back(std::make_unique<Frame>());
  Frame &f = *frames[depth + 1];
  f.proc = &p;
  // Most procedures have few variables of each sort and none of some.
  auto fresh = [](auto &slots, std::size_t n, auto value) {
    if (n != 0 || !slots.empty())
      slots.assign(n, value);
  };
  fresh(f.nums, p.nums, 0);
  fresh(f.strs, p.strs, std::string());
  // Pointers start afresh in place; a frame used before by a procedure
  // with more of them keeps the rest, which no slot of this one reaches.
  std::size_t pointers = p.freshPointers.size(),
              kept = std::min(f.ptrs.size(), pointers);
  for (std::size_t i = 0; i < kept; ++i)
    f.ptrs[i].restartAs(p.freshPointers[i]);
  f.ptrs.insert(f.ptrs.end(), p.freshPointers.begin() + kept,
                p.freshPointers.end());
  fresh(f.rnums, p.refNums, nullptr);
  fresh(f.rstrs, p.refStrs, nullptr);
  fresh(f.rptrs, p.refPtrs, nullptr);
  // Temporaries passed by reference: reserved ahead, as the references to
  // them must stay valid.
  if (!in.args.empty() || !f.tnums.empty() || !f.tstrs.empty() ||
      !f.tptrs.empty()) {
    f.tnums.clear();
    f.tstrs.clear();
    f.tptrs.clear();
    f.tnums.reserve(in.args.size());
    f.tstrs.reserve(in.args.size());
    f.tptrs.reserve(in.args.size());
  }
  for (std::size_t i = 0; i < in.args.size(); ++i) {
    const Arg &arg = in.args[i];
    const VarRef slot = p.params[i].slot;
    switch (slot.kind) {
    case SlotKind::Num: {
      std::int32_t v = numArgument(caller, arg);
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
      std::string v = strArgument(caller, arg);
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
  spend();
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
