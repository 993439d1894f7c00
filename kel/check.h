//===- check.h - Check a Kel program and make it runnable -------*- C++ -*-===//
//
// Checks the units a run needs against the instance metamodel (every
// statement parses; every label, variable, procedure, native, class,
// attribute and role resolves; jumps stay out of conditions) and turns each
// procedure into an instruction list. Problems name the procedure, the
// command and the ZEVA element it came from.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "builtin_natives.h"
#include "code.h"
#include "kel_native.h"

#include <functional>
#include <string>
#include <vector>

namespace kel {

struct CheckProblem {
  std::string procedure;
  ProgramObject command = 0;
  ProgramObject origin = 0;
  std::string statement; ///< The command's text, when it has one.
  std::string message;
};

/// An external procedure found in a library given to the run.
struct ExternalNative {
  std::string name;
  KelNativeFunction fn = nullptr;
  std::vector<ValueType> params;
  std::vector<std::string> typeNames;
  std::vector<bool> byRef;
};

/// A place where the run reports a flow end of the source model.
struct TracePoint {
  enum Kind { FlowEnd, RuleMatched, RuleFailed, LoopIteration } kind = FlowEnd;
  ProgramObject element = 0; ///< The flow end.
  std::size_t procedure = 0;
  /// Rules: the pattern variables bound by the search, with their slots.
  std::vector<std::pair<std::string, VarRef>> bound;
};

struct CheckedProgram {
  std::vector<std::size_t> units; ///< Indices into Program::units, in use.
  std::vector<CheckedProcedure> procedures;
  std::size_t main = 0;
  std::vector<Variable> globals;
  std::uint32_t globalNums = 0, globalStrs = 0, globalPtrs = 0;
  std::vector<Kel_Var_2> freshGlobalPointers;
  std::vector<ExternalNative> externals;
  std::vector<TracePoint> trace;
};

struct CheckOptions {
  /// The unit whose main procedure runs: its name or the last part of it;
  /// empty for the only unit with one.
  std::string unit;
  /// Finds "Kel_Func_" + name in the libraries of the run; null if none.
  std::function<KelNativeFunction(const std::string &name)> findExternal;
  /// Whether to place trace points at flow ends.
  bool trace = false;
};

/// Checks `program` for a run on models of `mm`. Problems that are not
/// about one procedure (no main unit, a missing unit) have an empty
/// procedure name.
CheckedProgram checkProgram(const Program &program, const zrep::Metamodel &mm,
                            const CheckOptions &options,
                            std::vector<CheckProblem> &problems);

/// The directives of the unit that would run: for finding its metamodel
/// script before the metamodel is known. Null when no unit qualifies (the
/// reason is in `problem`).
const Unit *mainUnit(const Program &program, const std::string &unit,
                     std::string &problem);

} // namespace kel
