//===- run_trace.h - Print the flow ends a run passes -----------*- C++ -*-===//
#pragma once

#include "machine.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace zevac {

/// `zevac run --trace`: one line per flow end of the source model that the
/// run reaches, and for rules and loop heads whether the pattern matched
/// and which objects it bound.
class RunTrace : public kel::TraceSink {
public:
  /// `label` names a source element ("rule x in p", or "Rule #12").
  RunTrace(std::function<std::string(int)> label, std::ostream &out)
      : label_(std::move(label)), out_(out) {}
  void reached(
      const kel::TracePoint &point,
      const std::function<const kel::Kel_Var_2 &(kel::VarRef)> &read) override;

private:
  std::function<std::string(int)> label_;
  std::ostream &out_;
};

} // namespace zevac
