//===- check_program.cpp - Units, globals and procedures of a run ---------===//

#include "checker.h"

#include <algorithm>
#include <deque>

namespace kel {

namespace {

std::string unitOfFile(const std::string &user, const std::string &file) {
  std::string stem = file;
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".txt") == 0)
    stem.resize(stem.size() - 4);
  std::size_t slash = user.rfind('/');
  return slash == std::string::npos ? stem : user.substr(0, slash + 1) + stem;
}

void programProblem(std::vector<CheckProblem> &problems, std::string text,
                    const std::string &procedure = "",
                    ProgramObject origin = 0) {
  CheckProblem p;
  p.procedure = procedure;
  p.origin = origin;
  p.message = std::move(text);
  problems.push_back(std::move(p));
}

} // namespace

CheckedProgram checkProgram(const Program &program, const zrep::Metamodel &mm,
                            const CheckOptions &options,
                            std::vector<CheckProblem> &problems) {
  CheckedProgram out;
  std::string why;
  const Unit *main = mainUnit(program, options.unit, why);
  if (!main) {
    programProblem(problems, why);
    return out;
  }
  ProgramScope scope{program, mm, options, problems, out, {}, {}, {}};

  // The main unit and, breadth first, the units it uses.
  std::deque<const Unit *> queue{main};
  std::vector<const Unit *> units;
  while (!queue.empty()) {
    const Unit *u = queue.front();
    queue.pop_front();
    if (std::find(units.begin(), units.end(), u) != units.end())
      continue;
    units.push_back(u);
    out.units.push_back(static_cast<std::size_t>(u - program.units.data()));
    for (const Directive &d : u->directives) {
      if (d.kind != "useUnit")
        continue;
      std::string name = unitOfFile(u->name, d.file);
      const Unit *used = nullptr;
      for (const Unit &cand : program.units)
        if (cand.name == name)
          used = &cand;
      if (used)
        queue.push_back(used);
      else
        programProblem(problems, "the unit " + name + ", which " + u->name +
                                     " uses (useUnit \"" + d.file +
                                     "\"), is not in the repository");
    }
  }

  // Globals: one scope for all units; a name declared again must agree.
  for (const Unit *u : units)
    for (const Definition &d : u->globals) {
      std::optional<ValueType> t = scope.typeOf(d.type);
      if (!t) {
        programProblem(problems, "the global " + d.name + " of " + u->name +
                                     " has the unknown type " + d.type);
        continue;
      }
      if (auto it = scope.globals.find(d.name); it != scope.globals.end()) {
        if (it->second.typeName != d.type)
          programProblem(problems, "the global " + d.name +
                                       " is declared with two types, " +
                                       it->second.typeName + " and " + d.type);
        continue;
      }
      Variable v{d.name, *t, d.type, {}};
      v.slot.where = VarRef::Global;
      v.slot.kind = slotKind(*t);
      std::uint32_t &count = v.slot.kind == SlotKind::Num   ? out.globalNums
                             : v.slot.kind == SlotKind::Str ? out.globalStrs
                                                            : out.globalPtrs;
      v.slot.index = count++;
      if (v.slot.kind == SlotKind::Ptr)
        out.freshGlobalPointers.emplace_back(d.type == "AnyClass" ? ""
                                                                  : d.type);
      out.globals.push_back(v);
      scope.globals.emplace(d.name, std::move(v));
    }

  // Procedures with a body; natives from the libraries or the runtime.
  for (std::size_t ui = 0; ui < units.size(); ++ui)
    for (const Procedure &p : units[ui]->procedures) {
      if (p.isNative) {
        if (!scope.nativeDecls.emplace(p.name, &p).second)
          continue;
        KelNativeFunction fn =
            options.findExternal ? options.findExternal(p.name) : nullptr;
        if (fn) {
          ExternalNative x;
          x.name = p.name;
          x.fn = fn;
          for (const Definition &d : p.params) {
            std::optional<ValueType> t = scope.typeOf(d.type);
            if (!t)
              programProblem(problems,
                             "the parameter " + d.name + " of " + p.name +
                                 " has the unknown type " + d.type,
                             p.name, p.source);
            x.params.push_back(t.value_or(ValueType::Text));
            x.typeNames.push_back(d.type);
            x.byRef.push_back(d.byRef);
          }
          out.externals.push_back(std::move(x));
        } else if (findBuiltinNative(p.name) < 0) {
          programProblem(problems,
                         p.name.rfind("ext_", 0) == 0
                             ? "the external procedure " + p.name.substr(4) +
                                   " (symbol Kel_Func_" + p.name +
                                   ") is in no library given with --natives"
                             : "the native procedure " + p.name +
                                   " is not a function of the runtime library",
                         p.name, p.source);
        }
        continue;
      }
      if (!p.hasBody || scope.procedures.count(p.name))
        continue;
      CheckedProcedure cp;
      cp.source = &p;
      cp.name = p.name;
      cp.unit = ui;
      scope.procedures.emplace(p.name, out.procedures.size());
      if (ui == 0 && p.isMain)
        out.main = out.procedures.size();
      out.procedures.push_back(std::move(cp));
    }

  for (CheckedProcedure &cp : out.procedures)
    ProcedureChecker(scope, cp).run();
  // Trace points read the frame of their own procedure.
  if (problems.empty() && !options.trace)
    inlineShortCalls(out);
  return out;
}

} // namespace kel
