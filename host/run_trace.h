//===- run_trace.h - Print the flow ends a run passes -----------*- C++ -*-===//
#pragma once

#include "machine.h"

#include <iosfwd>

namespace zrep {
class Repository;
}

namespace zevac {

/// `zevac run --trace`: one line per flow end of the source model that the
/// run reaches, and for rules and loop heads whether the pattern matched
/// and which objects it bound.
class RunTrace : public kel::TraceSink {
public:
  RunTrace(const zrep::Repository &compiled, const kel::CheckedProgram &program,
           std::ostream &out)
      : compiled_(compiled), program_(program), out_(out) {}
  void reached(
      const kel::TracePoint &point,
      const std::function<const kel::Kel_Var_2 &(kel::VarRef)> &read) override;

private:
  const zrep::Repository &compiled_;
  const kel::CheckedProgram &program_;
  std::ostream &out_;
};

} // namespace zevac
