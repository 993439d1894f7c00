//===- check.cpp - Check procedures and lay out their instructions --------===//

#include "checker.h"

#include <algorithm>

namespace kel {

namespace {

/// The last "::" piece of a name: primitive types may be qualified.
std::string_view lastPiece(std::string_view name) {
  std::size_t p = name.rfind("::");
  return p == std::string_view::npos ? name : name.substr(p + 2);
}

bool unitNamed(const Unit &u, const std::string &name) {
  if (u.name == name)
    return true;
  std::size_t slash = u.name.rfind('/');
  return slash != std::string::npos && u.name.substr(slash + 1) == name;
}

bool hasMain(const Unit &u) {
  for (const Procedure &p : u.procedures)
    if (p.isMain && p.hasBody)
      return true;
  return false;
}

} // namespace

const Unit *mainUnit(const Program &program, const std::string &unit,
                     std::string &problem) {
  std::vector<const Unit *> mains;
  for (const Unit &u : program.units)
    if (hasMain(u) && (unit.empty() || unitNamed(u, unit)))
      mains.push_back(&u);
  if (mains.size() == 1)
    return mains.front();
  if (mains.empty()) {
    problem = unit.empty()
                  ? "the program has no unit with a main procedure "
                    "(is the repository compiled?)"
                  : "no unit named \"" + unit + "\" has a main procedure";
    return nullptr;
  }
  problem = "several units have a main procedure; choose one with --unit:";
  for (const Unit *u : mains)
    problem += " " + u->name;
  return nullptr;
}

std::optional<ValueType> ProgramScope::typeOf(const std::string &name) const {
  if (name == "AnyClass" || mm.classId(name))
    return ValueType::Pointer;
  for (const zrep::EnumInfo &e : mm.enums())
    if (e.name == name)
      return ValueType::Enum;
  std::string_view last = lastPiece(name);
  if (last == "Integer")
    return ValueType::Integer;
  if (last == "Boolean")
    return ValueType::Boolean;
  if (last == "String")
    return ValueType::String;
  if (name.empty() || name.find("::") != std::string::npos)
    return std::nullopt; // an unknown class or enumeration
  return ValueType::Text;
}

void ProcedureChecker::problem(std::string message) {
  CheckProblem pr;
  pr.procedure = p_.name;
  if (current_ < p_.commands.size()) {
    const CommandInfo &c = p_.commands[current_];
    pr.command = c.id;
    pr.origin = c.origin;
    pr.statement = c.text;
  } else if (p_.source) {
    pr.origin = p_.source->source;
  }
  pr.message = std::move(message);
  s_.problems.push_back(std::move(pr));
}

void ProcedureChecker::declare(const Definition &d, bool param) {
  std::optional<ValueType> t = s_.typeOf(d.type);
  if (!t) {
    problem("the type \"" + d.type + "\" of " + d.name +
            " is neither a class nor an enumeration of the metamodel");
    t = ValueType::Text;
  }
  if (d.pointer && *t != ValueType::Pointer) {
    problem("the pointer " + d.name + " has the type \"" + d.type +
            "\", which is not a class of the metamodel");
    t = ValueType::Pointer;
  }
  Variable v{d.name, *t, d.type, {}};
  v.slot.kind = slotKind(*t);
  bool ref = param && d.byRef;
  v.slot.where = ref ? VarRef::Ref : VarRef::Local;
  std::uint32_t &count =
      v.slot.kind == SlotKind::Num   ? (ref ? p_.refNums : p_.nums)
      : v.slot.kind == SlotKind::Str ? (ref ? p_.refStrs : p_.strs)
                                     : (ref ? p_.refPtrs : p_.ptrs);
  v.slot.index = count++;
  if (v.slot.kind == SlotKind::Ptr && !ref)
    p_.freshPointers.emplace_back(d.type == "AnyClass" ? "" : d.type);
  if (!vars_
           .emplace(d.name,
                    param ? p_.params.size() : p_.locals.size() + 1000000)
           .second)
    problem("the name " + d.name + " is declared twice");
  (param ? p_.params : p_.locals).push_back(std::move(v));
}

const Variable *ProcedureChecker::variable(const std::string &name) {
  auto it = vars_.find(name);
  if (it != vars_.end())
    return it->second >= 1000000 ? &p_.locals[it->second - 1000000]
                                 : &p_.params[it->second];
  auto g = s_.globals.find(name);
  return g == s_.globals.end() ? nullptr : &g->second;
}

const Variable *ProcedureChecker::variableOf(const std::string &name,
                                             SlotKind kind, const char *what) {
  const Variable *v = variable(name);
  if (!v)
    problem("\"" + name + "\" is not a variable of " + p_.name);
  else if (v->slot.kind != kind)
    problem(name + " is not " + what);
  else
    return v;
  return nullptr;
}

Instr &ProcedureChecker::emit(Instr::Op op) {
  Instr &in = p_.code.emplace_back();
  in.op = op;
  in.command = current_;
  return in;
}

void ProcedureChecker::run() {
  const Procedure &src = *p_.source;
  for (const Definition &d : src.params)
    declare(d, true);
  for (const Definition &d : src.locals)
    declare(d, false);
  block(src.body, 0);
  current_ = static_cast<std::uint32_t>(p_.commands.size());
  // Falling off the end of the body returns.
  emit(Instr::Return);
  resolveJumps();
  if (s_.problems.empty()) {
    fuseComparisons();
    fuseOperands();
    noPartnerTests();
    threadJumps();
    shortenConditions();
  }
}

void ProcedureChecker::block(const std::vector<Command> &commands, int region) {
  for (const Command &c : commands)
    command(c, region);
}

void ProcedureChecker::command(const Command &c, int region) {
  current_ = static_cast<std::uint32_t>(p_.commands.size());
  CommandInfo info{c.id, c.origin, c.text};
  if (c.kind == Command::Goto)
    info.text = c.target.empty() ? "goto" : "goto " + c.target;
  else if (c.kind == Command::First || c.kind == Command::Foreach)
    info.text = (c.kind == Command::First ? c.type : std::string("foreach")) +
                " " + c.name + " : " + c.text;
  else if (c.kind == Command::If)
    info.text = "if";
  p_.commands.push_back(std::move(info));

  switch (c.kind) {
  case Command::Text: {
    std::vector<Statement> sts;
    if (auto e = parseStatements(c.text, sts)) {
      problem("cannot read the statement (column " + std::to_string(e->column) +
              "): " + e->message);
      return;
    }
    if (sts.empty())
      problem("the command has no statement");
    for (std::size_t i = 0; i < sts.size(); ++i)
      statement(sts[i], c, i + 1 == sts.size(), region);
    return;
  }
  case Command::Goto:
    if (c.target.empty()) {
      emit(Instr::Fail);
    } else {
      emit(Instr::Jump);
      jump(p_.code.size() - 1, c.target, false, region);
    }
    return;
  case Command::Test: {
    Statement st;
    if (auto e = parseTest(c.text, st)) {
      problem("cannot read the test (column " + std::to_string(e->column) +
              "): " + e->message);
      return;
    }
    if (!st.elseLabel.empty() && !c.target.empty())
      problem("the test has two else labels");
    test(st, c.target.empty() ? st.elseLabel : c.target, region);
    return;
  }
  case Command::If:
    ifThen(c, region);
    return;
  case Command::Foreach:
    foreach (c, region)
      ;
    return;
  case Command::First:
    search(c, region);
    return;
  }
}

void ProcedureChecker::ifThen(const Command &c, int region) {
  if (region)
    problem("an if command inside a condition");
  std::uint32_t self = current_;
  bool searched = !c.blocks[0].empty();
  std::size_t begin = p_.code.size();
  if (searched) {
    emit(Instr::SearchBegin);
    block(c.blocks[0], ++regions_);
    current_ = self;
    emit(Instr::SearchEnd).trace =
        tracePoint(TracePoint::RuleMatched, c.origin, &c.blocks[0]);
  }
  block(c.blocks[1], region);
  current_ = self;
  std::size_t toEnd = p_.code.size();
  emit(Instr::Jump);
  if (searched) {
    p_.code[begin].a = static_cast<std::int32_t>(p_.code.size());
    if (std::uint32_t point =
            tracePoint(TracePoint::RuleFailed, c.origin, nullptr))
      emit(Instr::Label).trace = point;
  }
  block(c.blocks[2], region);
  p_.code[toEnd].a = static_cast<std::int32_t>(p_.code.size());
}

bool ProcedureChecker::iteration(const Command &c, Instr::Op op,
                                 const char *what) {
  SearchText st;
  if (auto e = parseSearchText(c.text, st)) {
    problem(std::string("cannot read the ") + what + " (column " +
            std::to_string(e->column) + "): " + e->message);
    return false;
  }
  const Variable *v = variableOf(c.name, SlotKind::Ptr, "a pointer");
  const std::string *cls = className(st.cls);
  const Variable *from = st.from.empty()
                             ? nullptr
                             : variableOf(st.from, SlotKind::Ptr, "a pointer");
  if (!v || !cls ||
      (!st.from.empty() && (!from || !role(from->typeName, st.role))))
    return false;
  Instr &in = emit(op);
  in.var = v->slot;
  in.cls = cls;
  in.viaLink = from != nullptr;
  if (from)
    in.other = from->slot;
  in.name = st.role;
  return true;
}

void ProcedureChecker::foreach (const Command &c, int region) {
  if (region)
    problem("a foreach command inside a condition");
  std::uint32_t self = current_;
  std::size_t begin = p_.code.size();
  if (!iteration(c, Instr::ForeachBegin, "loop"))
    return;
  const VarRef loopVar = p_.code[begin].var;
  std::size_t candidate = p_.code.size();
  bool searched = !c.blocks[0].empty();
  std::uint32_t point =
      tracePoint(TracePoint::LoopIteration, c.origin, &c.blocks[0], c.name);
  if (searched) {
    emit(Instr::SearchBegin);
    block(c.blocks[0], ++regions_);
    current_ = self;
    emit(Instr::SearchEnd).trace = point;
  } else if (point) {
    emit(Instr::Label).trace = point;
  }
  block(c.blocks[1], region);
  current_ = self;
  std::size_t next = p_.code.size();
  Instr &n = emit(Instr::ForeachNext);
  n.var = loopVar;
  n.a = static_cast<std::int32_t>(candidate);
  n.b = static_cast<std::int32_t>(p_.code.size());
  p_.code[begin].a = n.a;
  p_.code[begin].b = n.b;
  if (searched)
    p_.code[candidate].a = static_cast<std::int32_t>(next);
}

void ProcedureChecker::search(const Command &c, int region) {
  std::uint32_t self = current_;
  if (!region) {
    problem("a \"first\" search outside a condition");
    return;
  }
  if (c.type != "first") {
    problem("\"" + c.type + "\" is not a kind of search (only \"first\")");
    return;
  }
  std::size_t at = p_.code.size();
  if (!iteration(c, Instr::First, "search"))
    return;
  if (!c.target.empty())
    jump(at, c.target, true, region);
  block(c.blocks[0], region);
  current_ = self;
  Instr &m = emit(Instr::Matched);
  m.a = static_cast<std::int32_t>(at);
  p_.code[at].a = static_cast<std::int32_t>(p_.code.size());
}

std::uint32_t ProcedureChecker::tracePoint(TracePoint::Kind kind,
                                           ProgramObject element,
                                           const std::vector<Command> *searched,
                                           const std::string &loopVariable) {
  if (!s_.options.trace)
    return 0;
  TracePoint t;
  t.kind = kind;
  t.element = element;
  t.procedure = static_cast<std::size_t>(&p_ - s_.out.procedures.data());
  auto bind = [&](const std::string &name) {
    if (const Variable *v = variable(name); v && v->slot.kind == SlotKind::Ptr)
      t.bound.emplace_back(name, v->slot);
  };
  if (!loopVariable.empty())
    bind(loopVariable);
  // The pattern's variables: the searches of the condition, outer first.
  std::vector<const std::vector<Command> *> blocks;
  if (searched)
    blocks.push_back(searched);
  for (std::size_t i = 0; i < blocks.size(); ++i)
    for (const Command &c : *blocks[i])
      if (c.kind == Command::First) {
        bind(c.name);
        blocks.push_back(&c.blocks[0]);
      }
  s_.out.trace.push_back(std::move(t));
  return static_cast<std::uint32_t>(s_.out.trace.size());
}

void ProcedureChecker::jump(std::size_t at, const std::string &label,
                            bool elseJump, int region) {
  jumps_.push_back({at, label, elseJump, region, current_});
}

void ProcedureChecker::resolveJumps() {
  for (const PendingJump &j : jumps_) {
    current_ = j.command;
    auto it = labels_.find(j.label);
    if (it == labels_.end()) {
      problem("the label " + j.label + " does not exist in " + p_.name);
      continue;
    }
    if (it->second.region != j.region) {
      problem(j.region ? "the jump to " + j.label + " leaves its condition"
                       : "the jump to " + j.label + " enters a condition");
      continue;
    }
    Instr &in = p_.code[j.at];
    (j.elseJump ? in.b : in.a) = static_cast<std::int32_t>(it->second.pc);
  }
}

} // namespace kel
