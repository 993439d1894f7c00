//===- check_fuse.cpp - Shorter code for conditions of one comparison -----===//
//
// A constraint that is one comparison compiles to
//
//   setVar R=false; [setVar V1=...;] setVar V2=...;
//   var V1 op V2 else L; setVar R=true; L: var R==true
//
// where R is a temporary that nothing else reads. The comparison alone
// decides as much: where it holds, R becomes true and the last test holds;
// where it fails, R stays false and the last test fails. The three steps
// around it are dropped, and the comparison takes over the last test's
// outcome when it fails. Nothing a program or its trace can see changes.
//
//===----------------------------------------------------------------------===//

#include "checker.h"

namespace kel {

namespace {

bool sameSlot(const VarRef &a, const VarRef &b) {
  return a.where == b.where && a.kind == b.kind && a.index == b.index;
}

bool isConstant(const Node &n, std::int32_t value) {
  return n.op == Node::Num && n.num == value;
}

/// Uses of `slot` in a node tree.
int uses(const Node &n, const VarRef &slot) {
  int count = n.op != Node::Num && n.op != Node::Str && n.op != Node::Null &&
                      sameSlot(n.var, slot)
                  ? 1
                  : 0;
  for (const Node &k : n.kids)
    count += uses(k, slot);
  return count;
}

int uses(const Instr &in, const VarRef &slot) {
  int count = uses(in.value, slot);
  bool hasVar = in.op != Instr::Label && in.op != Instr::Jump &&
                in.op != Instr::Return && in.op != Instr::Call &&
                in.op != Instr::CallNative && in.op != Instr::Fail &&
                in.op != Instr::SearchBegin && in.op != Instr::SearchEnd &&
                in.op != Instr::Matched;
  if (hasVar && sameSlot(in.var, slot))
    ++count;
  if ((in.op == Instr::AddLink || in.op == Instr::DeleteLink ||
       in.op == Instr::LinkTest || in.viaLink) &&
      sameSlot(in.other, slot))
    ++count;
  for (const Arg &a : in.args)
    count += (a.isVar && sameSlot(a.var, slot)) + uses(a.value, slot);
  return count;
}

/// The jump targets of an instruction (its `a` and `b` where they are
/// places in the code).
template <class F> void targets(Instr &in, F &&f) {
  switch (in.op) {
  case Instr::Jump:
  case Instr::Compare:
  case Instr::PtrCompare:
  case Instr::TypeTest:
  case Instr::LinkTest:
  case Instr::SearchBegin:
  case Instr::Matched:
    f(in.a);
    return;
  case Instr::First:
  case Instr::ForeachBegin:
  case Instr::ForeachNext:
    f(in.a);
    f(in.b);
    return;
  default:
    return;
  }
}

} // namespace

void ProcedureChecker::fuseComparisons() {
  std::vector<Instr> &code = p_.code;
  std::vector<bool> removed(code.size(), false);
  // How many jumps lead to each place.
  std::vector<int> arrivals(code.size() + 1, 0);
  for (Instr &in : code)
    targets(in, [&](std::int32_t t) {
      if (t >= 0)
        ++arrivals[static_cast<std::size_t>(t)];
    });
  for (std::size_t i = 0; i + 3 < code.size(); ++i) {
    const Instr &init = code[i];
    if (init.op != Instr::Set || init.var.kind != SlotKind::Num ||
        init.var.where != VarRef::Local || !isConstant(init.value, 0) ||
        init.trace)
      continue;
    const VarRef r = init.var;
    // One or two assignments of other variables, then the comparison.
    std::size_t k = i + 1;
    while (k < i + 3 && k < code.size() && code[k].op == Instr::Set &&
           uses(code[k], r) == 0)
      ++k;
    if (k == i + 1 || k + 2 >= code.size())
      continue;
    Instr &cmp = code[k];
    const Instr &set = code[k + 1], &last = code[k + 2];
    if (cmp.op != Instr::Compare || cmp.trace ||
        cmp.a != static_cast<std::int32_t>(k + 2) || uses(cmp, r) != 0 ||
        set.op != Instr::Set || !sameSlot(set.var, r) ||
        !isConstant(set.value, 1) || last.op != Instr::Compare ||
        !sameSlot(last.var, r) || last.op2 != "==" ||
        !isConstant(last.value, 1) || last.trace)
      continue;
    // Nothing else may jump into the pattern or read R.
    bool entered = arrivals[k + 1] != 0 || arrivals[k + 2] != 1;
    for (std::size_t j = i + 1; j <= k && !entered; ++j)
      entered = arrivals[j] != 0;
    if (entered)
      continue;
    int all = 0;
    for (const Instr &in : code)
      all += uses(in, r);
    if (all != 3)
      continue;
    cmp.a = last.a;
    removed[i] = removed[k + 1] = removed[k + 2] = true;
    i = k + 2;
  }

  // Squeeze the dropped steps out; a place that was dropped becomes the
  // next step that stays.
  std::vector<std::int32_t> moved(code.size() + 1);
  std::int32_t kept = 0;
  for (std::size_t i = 0; i < code.size(); ++i) {
    moved[i] = kept;
    if (!removed[i])
      ++kept;
  }
  moved[code.size()] = kept;
  std::vector<Instr> out;
  out.reserve(static_cast<std::size_t>(kept));
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (removed[i])
      continue;
    Instr &in = code[i];
    targets(in, [&](std::int32_t &t) {
      if (t >= 0)
        t = moved[static_cast<std::size_t>(t)];
    });
    out.push_back(std::move(in));
  }
  code = std::move(out);
}

} // namespace kel
