//===- check_inline.cpp - Short called procedures copied in place ---------===//
//
// A rule of a transformation compiles to a procedure of its own, called
// once per application: in a loop that applies rules many times, the calls
// (a frame made ready, its variables reset, the return) cost about as much
// as the rules' searches. A call to a short procedure that calls nothing
// itself and takes its parameters by value is replaced by a copy of that
// procedure's code: an Enter step resets the copy's variables, passes the
// arguments and counts the call as the call would, and Leave steps stand
// where it returned. The copy's variables get slots of their own after the
// caller's, shared by all the copies of one procedure in one caller (each
// Enter resets them). Faults in the copy still name the called procedure
// and its command.
//
// The checker keeps calls and returns out of conditions, so that the search
// stack is empty where a copy starts and ends, as at a call and a return.
// Calls are left alone when the run is traced: trace points read the frame
// of the procedure they belong to.
//
//===----------------------------------------------------------------------===//

#include "checker.h"
#include "code_places.h"

#include <unordered_map>

namespace kel {

namespace {

/// Called procedures longer than this stay calls.
constexpr std::size_t kInlinedAtMost = 64;
/// A caller grows by at most this many steps.
constexpr std::size_t kGrowthAtMost = 4096;

/// Whether `p` may be copied in place of a call to it.
bool copyable(const CheckedProcedure &p) {
  if (p.native || p.refNums || p.refStrs || p.refPtrs ||
      p.code.size() > kInlinedAtMost)
    return false;
  for (const Instr &in : p.code)
    if (in.op == Instr::Call || in.op == Instr::Enter || in.trace)
      return false;
  return true;
}

void moveSlot(VarRef &r, const CheckedProcedure::Inlined &at) {
  if (r.where != VarRef::Local)
    return;
  r.index += r.kind == SlotKind::Num   ? at.nums
             : r.kind == SlotKind::Str ? at.strs
                                       : at.ptrs;
}

void moveSlots(Node &n, const CheckedProcedure::Inlined &at) {
  moveSlot(n.var, at);
  for (Node &k : n.kids)
    moveSlots(k, at);
}

void moveSlots(Instr &in, const CheckedProcedure::Inlined &at) {
  moveSlot(in.var, at);
  moveSlot(in.other, at);
  moveSlots(in.value, at);
  moveSlots(in.lhs, at);
  for (Arg &a : in.args) {
    moveSlot(a.var, at);
    moveSlots(a.value, at);
  }
}

void inlineInto(std::vector<CheckedProcedure> &procs, std::size_t caller,
                const std::vector<bool> &candidates) {
  CheckedProcedure &p = procs[caller];
  auto copied = [&](const Instr &in) {
    return in.op == Instr::Call && in.a >= 0 &&
           static_cast<std::size_t>(in.a) != caller &&
           candidates[static_cast<std::size_t>(in.a)] &&
           in.args.size() ==
               procs[static_cast<std::size_t>(in.a)].params.size();
  };
  std::size_t growth = 0;
  std::vector<bool> chosen(p.code.size(), false);
  for (std::size_t i = 0; i < p.code.size(); ++i)
    if (copied(p.code[i])) {
      std::size_t size =
          procs[static_cast<std::size_t>(p.code[i].a)].code.size();
      if (growth + size > kGrowthAtMost)
        break;
      growth += size;
      chosen[i] = true;
    }
  if (growth == 0)
    return;

  // Where each old step goes: a copied call becomes its Enter.
  std::vector<std::int32_t> moved(p.code.size() + 1);
  std::size_t size = 0;
  for (std::size_t i = 0; i < p.code.size(); ++i) {
    moved[i] = static_cast<std::int32_t>(size);
    size += 1 + (chosen[i]
                     ? procs[static_cast<std::size_t>(p.code[i].a)].code.size()
                     : 0);
  }
  moved[p.code.size()] = static_cast<std::int32_t>(size);

  std::unordered_map<std::size_t, std::int32_t> copies; // callee -> inlined
  std::vector<Instr> out;
  out.reserve(size);
  for (std::size_t i = 0; i < p.code.size(); ++i) {
    Instr in = std::move(p.code[i]);
    forEachTarget(in, [&](std::int32_t &t) {
      if (t >= 0)
        t = moved[static_cast<std::size_t>(t)];
    });
    if (!chosen[i]) {
      out.push_back(std::move(in));
      continue;
    }
    auto callee = static_cast<std::size_t>(in.a);
    const CheckedProcedure &c = procs[callee];
    auto [it, fresh] =
        copies.emplace(callee, static_cast<std::int32_t>(p.inlined.size()));
    if (fresh) {
      p.inlined.push_back({callee, p.nums, p.strs,
                           static_cast<std::uint32_t>(p.freshPointers.size())});
      p.nums += c.nums;
      p.strs += c.strs;
      p.ptrs += c.ptrs;
      p.freshPointers.insert(p.freshPointers.end(), c.freshPointers.begin(),
                             c.freshPointers.end());
    }
    const CheckedProcedure::Inlined &at =
        p.inlined[static_cast<std::size_t>(it->second)];
    in.op = Instr::Enter;
    in.b = it->second;
    auto start = static_cast<std::int32_t>(out.size()) + 1;
    out.push_back(std::move(in));
    for (const Instr &step : c.code) {
      Instr copy = step;
      copy.inlined = it->second;
      moveSlots(copy, at);
      forEachTarget(copy, [&](std::int32_t &t) {
        if (t >= 0)
          t += start;
      });
      if (copy.op == Instr::Return) {
        copy.op = Instr::Leave;
        copy.a = moved[i + 1];
      }
      out.push_back(std::move(copy));
    }
  }
  p.code = std::move(out);

  tidyJumps(p.code);
}

} // namespace

void inlineShortCalls(CheckedProgram &program) {
  std::vector<bool> candidates(program.procedures.size());
  for (std::size_t i = 0; i < program.procedures.size(); ++i)
    candidates[i] = copyable(program.procedures[i]);
  for (std::size_t i = 0; i < program.procedures.size(); ++i)
    inlineInto(program.procedures, i, candidates);
}

} // namespace kel
