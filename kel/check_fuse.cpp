//===- check_fuse.cpp - Shorter code for conditions and jumps -------------===//
//
// Rewrites of a checked procedure that nothing a program or its trace
// can see, each cutting steps the machine would otherwise dispatch:
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
// outcome when it fails.
//
// The comparison's operands are temporaries too: `setVar V1=e1; setVar
// V2=e2; var V1 op V2`, with V1 and V2 read nowhere else, becomes one step
// that evaluates e1, then e2, and compares (a fault in either still names
// the command it came from).
//
// A jump to a jump goes straight to the final place, steps that no path
// reaches are dropped, and so is a jump to the step after it, and a note
// that a search matched just before the end of its condition. A condition
// of one test becomes that test alone.
//
//===----------------------------------------------------------------------===//

#include "checker.h"
#include "code_places.h"

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
  // Only variables and attribute reads name a slot; operators and natives
  // leave theirs unset.
  bool named = n.op == Node::Var || n.op == Node::AttrInt ||
               n.op == Node::AttrBool || n.op == Node::AttrStr ||
               n.op == Node::AttrEnum;
  int count = named && sameSlot(n.var, slot) ? 1 : 0;
  for (const Node &k : n.kids)
    count += uses(k, slot);
  return count;
}

int uses(const Instr &in, const VarRef &slot) {
  int count = uses(in.value, slot) + uses(in.lhs, slot);
  bool hasVar = in.op != Instr::Label && in.op != Instr::Jump &&
                in.op != Instr::Return && in.op != Instr::Call &&
                (in.op != Instr::CallNative || in.hasResult) &&
                in.op != Instr::Fail && in.op != Instr::SearchBegin &&
                in.op != Instr::SearchEnd && in.op != Instr::Matched &&
                in.op != Instr::Enter && in.op != Instr::Leave;
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

/// How many jumps lead to each place (one more place: the end).
std::vector<int> arrivalsIn(std::vector<Instr> &code) {
  std::vector<int> arrivals(code.size() + 1, 0);
  for (Instr &in : code)
    forEachTarget(in, [&](std::int32_t t) {
      if (t >= 0)
        ++arrivals[static_cast<std::size_t>(t)];
    });
  return arrivals;
}

/// Uses of `slot` in the whole procedure.
int usesIn(const std::vector<Instr> &code, const VarRef &slot) {
  int all = 0;
  for (const Instr &in : code)
    all += uses(in, slot);
  return all;
}

} // namespace

void ProcedureChecker::fuseComparisons() {
  std::vector<Instr> &code = p_.code;
  std::vector<bool> removed(code.size(), false);
  std::vector<int> arrivals = arrivalsIn(code);
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
    if (usesIn(code, r) != 3)
      continue;
    cmp.a = last.a;
    removed[i] = removed[k + 1] = removed[k + 2] = true;
    i = k + 2;
  }

  squeeze(code, removed);
}

void ProcedureChecker::fuseOperands() {
  std::vector<Instr> &code = p_.code;
  std::vector<bool> removed(code.size(), false);
  std::vector<int> arrivals = arrivalsIn(code);
  auto temporary = [&](const Instr &set) {
    return set.op == Instr::Set && set.var.kind == SlotKind::Num &&
           set.var.where == VarRef::Local && !set.trace;
  };
  for (std::size_t i = 0; i + 2 < code.size(); ++i) {
    Instr &first = code[i], &second = code[i + 1], &cmp = code[i + 2];
    // One temporary compared with an expression.
    if (temporary(first) && second.op == Instr::Compare && !second.trace &&
        second.var.kind == SlotKind::Num && sameSlot(second.var, first.var) &&
        arrivals[i + 1] == 0 && uses(second.value, first.var) == 0 &&
        usesIn(code, first.var) == 2) {
      Instr fused = std::move(second);
      fused.op = Instr::CompareValues;
      fused.lhs = std::move(first.value);
      fused.lhsCommand = first.command;
      fused.rhsCommand = fused.command;
      code[i] = std::move(fused);
      removed[i + 1] = true;
      i += 1;
      continue;
    }
    if (!temporary(first) || !temporary(second) || cmp.op != Instr::Compare ||
        cmp.trace || cmp.var.kind != SlotKind::Num ||
        !sameSlot(cmp.var, first.var) || cmp.value.op != Node::Var ||
        !sameSlot(cmp.value.var, second.var) ||
        sameSlot(first.var, second.var) || arrivals[i + 1] != 0 ||
        arrivals[i + 2] != 0 || uses(first.value, first.var) != 0 ||
        uses(second.value, first.var) != 0 ||
        uses(second.value, second.var) != 0 || usesIn(code, first.var) != 2 ||
        usesIn(code, second.var) != 2)
      continue;
    Instr fused = std::move(cmp);
    fused.op = Instr::CompareValues;
    fused.lhs = std::move(first.value);
    fused.value = std::move(second.value);
    fused.lhsCommand = first.command;
    fused.rhsCommand = second.command;
    // The fused step stands where the first assignment stood, so that
    // jumps to it still arrive before both evaluations.
    code[i] = std::move(fused);
    removed[i + 1] = removed[i + 2] = true;
    i += 2;
  }
  squeeze(code, removed);
}

void tidyJumps(std::vector<Instr> &code) {
  auto onward = [](const Instr &in) {
    return (in.op == Instr::Jump || in.op == Instr::Leave) && !in.trace;
  };
  auto final = [&](std::int32_t t) {
    // A chain of jumps ends at its first step that is not a jump; a chain
    // that runs in a circle stays as it is.
    std::int32_t at = t;
    for (std::size_t hops = 0; at >= 0 && hops <= code.size(); ++hops) {
      const Instr &in = code[static_cast<std::size_t>(at)];
      if (!onward(in))
        return at;
      at = in.a;
    }
    return t;
  };
  for (Instr &in : code)
    forEachTarget(in, [&](std::int32_t &t) {
      if (t >= 0)
        t = final(t);
    });

  // Steps no path reaches (else branches of conditions whose failure
  // jumps past them, jumps left behind by the threading) go.
  std::vector<bool> reached(code.size(), false);
  std::vector<std::int32_t> todo{0};
  while (!todo.empty()) {
    std::int32_t at = todo.back();
    todo.pop_back();
    if (at < 0 || static_cast<std::size_t>(at) >= code.size() ||
        reached[static_cast<std::size_t>(at)])
      continue;
    reached[static_cast<std::size_t>(at)] = true;
    Instr &in = code[static_cast<std::size_t>(at)];
    forEachTarget(in, [&](std::int32_t t) { todo.push_back(t); });
    if (!onward(in) && in.op != Instr::Return && in.op != Instr::Fail)
      todo.push_back(at + 1);
  }
  std::vector<bool> removed(code.size());
  for (std::size_t i = 0; i < code.size(); ++i)
    removed[i] = !reached[i];
  squeeze(code, removed);

  removed.assign(code.size(), false);
  for (std::size_t i = 0; i < code.size(); ++i)
    removed[i] =
        onward(code[i]) && code[i].a == static_cast<std::int32_t>(i + 1);
  squeeze(code, removed);
}

void ProcedureChecker::noPartnerTests() {
  // A NOT element searched from a bound one compiles to
  //
  //   first X from Y by r (after: F, else: E); Matched; F: Fail
  //
  // Where X is read nowhere else, and no trace reads it, the search only
  // tells whether Y has a partner: with one, the step fails as the Fail
  // would once X's candidates ran out; without, it goes on at E.
  if (s_.options.trace)
    return;
  std::vector<Instr> &code = p_.code;
  std::vector<bool> removed(code.size(), false);
  std::vector<int> arrivals = arrivalsIn(code);
  for (std::size_t i = 0; i + 2 < code.size(); ++i) {
    Instr &first = code[i];
    if (first.op != Instr::First || !first.viaLink || first.b < 0 ||
        first.var.where != VarRef::Local ||
        first.a != static_cast<std::int32_t>(i + 2) ||
        code[i + 1].op != Instr::Matched ||
        code[i + 1].a != static_cast<std::int32_t>(i) || arrivals[i + 1] != 0 ||
        code[i + 2].op != Instr::Fail || usesIn(code, first.var) != 1)
      continue;
    first.op = Instr::NoPartner;
    removed[i + 1] = true;
  }
  squeeze(code, removed);
}

void ProcedureChecker::threadJumps() { tidyJumps(p_.code); }

void ProcedureChecker::shortenConditions() {
  // A Matched step notes that a search found a candidate, for the search
  // to tell, once the candidates run out, whether to take its else branch.
  // The SearchEnd of the condition forgets all its searches: Matched steps
  // that only lead to it note nothing anyone reads.
  std::vector<Instr> &code = p_.code;
  std::vector<bool> removed(code.size(), false);
  for (std::size_t i = code.size(); i-- > 0;)
    removed[i] = code[i].op == Instr::Matched && i + 1 < code.size() &&
                 (code[i + 1].op == Instr::SearchEnd || removed[i + 1]);
  squeeze(code, removed);

  // A condition that is one test (a loop's head comparing a counter)
  // needs no choice point: the test fails to the condition's else place
  // and counts the match itself.
  removed.assign(code.size(), false);
  std::vector<int> arrivals = arrivalsIn(code);
  for (std::size_t i = 0; i + 2 < code.size(); ++i) {
    Instr &begin = code[i], &test = code[i + 1];
    const Instr &end = code[i + 2];
    bool oneTest = test.op == Instr::Compare ||
                   test.op == Instr::CompareValues ||
                   test.op == Instr::PtrCompare || test.op == Instr::TypeTest ||
                   test.op == Instr::LinkTest;
    if (begin.op != Instr::SearchBegin || !oneTest || test.a >= 0 ||
        test.trace || end.op != Instr::SearchEnd || end.trace ||
        arrivals[i + 1] != 0 || arrivals[i + 2] != 0)
      continue;
    test.a = begin.a;
    test.wholeCondition = true;
    removed[i] = removed[i + 2] = true;
    i += 2;
  }
  squeeze(code, removed);
}

} // namespace kel
