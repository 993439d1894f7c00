//===- checker.h - The checker's state, shared by its files -----*- C++ -*-===//
#pragma once

#include "check.h"
#include "statements.h"

#include <optional>
#include <unordered_map>

namespace kel {

/// What the checker knows of the whole program.
struct ProgramScope {
  const Program &program;
  const zrep::Metamodel &mm;
  const CheckOptions &options;
  std::vector<CheckProblem> &problems;
  CheckedProgram &out;
  std::unordered_map<std::string, Variable> globals;
  /// Procedures with a body, by name: index into out.procedures.
  std::unordered_map<std::string, std::size_t> procedures;
  /// Declared natives of the units in use: their parameters, by name.
  std::unordered_map<std::string, const Procedure *> nativeDecls;

  /// The value type a type name stands for; nullopt (and a problem) when
  /// it names nothing a run can hold.
  std::optional<ValueType> typeOf(const std::string &name) const;
};

/// Copies short procedures that call nothing and take their parameters by
/// value in place of the calls to them (check_inline.cpp).
void inlineShortCalls(CheckedProgram &program);

/// Checks one procedure and writes its instructions.
class ProcedureChecker {
public:
  ProcedureChecker(ProgramScope &scope, CheckedProcedure &proc)
      : s_(scope), p_(proc) {}
  void run();

  // Expressions (check_expressions.cpp).
  std::optional<Node> node(const Expr &e);
  const Variable *variable(const std::string &name);
  /// Resolves `name` as a variable of slot kind `kind`.
  const Variable *variableOf(const std::string &name, SlotKind kind,
                             const char *what);
  std::optional<Arg> argument(const Expr &e, bool empty, ValueType type,
                              const std::string &typeName, bool byRef);
  /// The attribute `name` of the class `cls` or one of its subclasses.
  const zrep::AttrInfo *attribute(const std::string &cls,
                                  const std::string &name);
  bool role(const std::string &cls, const std::string &name);
  const std::string *className(const std::string &name);
  void problem(std::string message);

private:
  void declare(const Definition &d, bool param);
  void block(const std::vector<Command> &commands, int region);
  void command(const Command &c, int region);
  void statement(const Statement &st, const Command &c, bool last, int region);
  void test(const Statement &st, const std::string &elseLabel, int region);
  void call(const Statement &st);
  void search(const Command &c, int region);
  /// The First or ForeachBegin of a search text; false after a problem.
  bool iteration(const Command &c, Instr::Op op, const char *what);
  void foreach (const Command &c, int region);
  void ifThen(const Command &c, int region);
  Instr &emit(Instr::Op op);
  void jump(std::size_t at, const std::string &label, bool elseJump,
            int region);
  void resolveJumps();
  /// Drops the steps of a one-comparison condition that only carry its
  /// outcome to the test after it (check_fuse.cpp).
  void fuseComparisons();
  /// Compares the operands of a comparison where they are computed.
  void fuseOperands();
  /// Searches for NOT elements that only ask whether a partner exists.
  void noPartnerTests();
  /// Sends jumps to a jump straight on; drops the steps no path reaches
  /// and jumps to the next step.
  void threadJumps();
  /// Drops Matched steps that only lead to the end of their condition, and
  /// makes a condition of one test that test alone.
  void shortenConditions();
  /// A trace point; returns its number + 1 for Instr::trace.
  std::uint32_t tracePoint(TracePoint::Kind kind, ProgramObject element,
                           const std::vector<Command> *searched,
                           const std::string &loopVariable = "");

  ProgramScope &s_;
  CheckedProcedure &p_;
  std::unordered_map<std::string, std::size_t> vars_;
  struct Label {
    std::size_t pc;
    int region;
  };
  std::unordered_map<std::string, Label> labels_;
  struct PendingJump {
    std::size_t at;
    std::string label;
    bool elseJump; ///< patch `b` of a First instead of `a`
    int region;
    std::uint32_t command;
  };
  std::vector<PendingJump> jumps_;
  int regions_ = 0;
  std::uint32_t current_ = 0; ///< The command being checked.
};

} // namespace kel
