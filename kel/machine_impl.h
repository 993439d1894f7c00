//===- machine_impl.h - The interpreter's state, shared by its files -*- C++
//-*-===//
#pragma once

#include "machine.h"

#include "builtin_natives.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kel {

namespace machine {

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

} // namespace machine

using machine::Frame;

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
  /// Steps that may turn back (jumps, rejections, loop and call steps)
  /// left before the run must end.
  std::uint64_t budget = UINT64_MAX;
  void spend() {
    if (--budget == 0)
      throw machine::Fault{"the run took more steps than it may"};
  }

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
  /// The value an argument passes, read in the caller's frame: its
  /// variable's, its expression's, or the default of an empty position.
  std::int32_t numArgument(Frame &caller, const Arg &arg) {
    return arg.empty   ? 0
           : arg.isVar ? num(caller, arg.var)
                       : evalNum(caller, arg.value);
  }
  std::string strArgument(Frame &caller, const Arg &arg) {
    return arg.empty   ? std::string()
           : arg.isVar ? str(caller, arg.var)
                       : evalStr(caller, arg.value);
  }
  void native(Frame &f, const Node &n, NativeArgs &a);
  void callNative(Frame &f, const Instr &in);
  void callExternal(Frame &f, const Instr &in);
  void call(Frame &f, const Instr &in);
  /// Enters a procedure copied in place of a call: as call() does, but in
  /// the caller's frame.
  void enter(Frame &f, const Instr &in);
  /// Ends the run when calls nest too deep.
  void checkDepth();
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

} // namespace kel
