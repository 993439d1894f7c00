//===- machine.h - Run a checked Kel program ---------------------*- C++
//-*-===//
//
// Runs the main procedure of a checked program on the connected repository.
// Every model access goes through the runtime's model variables; searches
// backtrack over a stack of choice points (see docs/kel.md). A run-time
// fault ends the run with a RunFault that names where it happened.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "check.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kel {

struct RunStats {
  std::uint64_t calls = 0;
  std::uint64_t matches = 0; ///< Successful conditions and loop candidates.
  std::uint64_t created = 0, deleted = 0;
  std::uint64_t linked = 0, unlinked = 0;
};

struct RunFault {
  std::string procedure; ///< Empty when no procedure was running.
  CommandInfo command;
  /// What went wrong; empty when the model layer aborted the run after
  /// showing its own message.
  std::string message;
};

/// A trace point reached, with the procedure's variables to read bindings.
class TraceSink {
public:
  virtual ~TraceSink() = default;
  /// `read(slot)` gives the current value of a pointer slot of the frame.
  virtual void
  reached(const TracePoint &point,
          const std::function<const Kel_Var_2 &(VarRef)> &read) = 0;
};

class Machine {
public:
  Machine(const CheckedProgram &program, RunStats &stats,
          TraceSink *trace = nullptr);
  ~Machine();
  /// Ends the run with a fault after this many steps that may turn back
  /// (jumps, rejected candidates, loop steps, calls), for runs that must
  /// end, such as fuzzing; unlimited by default.
  void setStepLimit(std::uint64_t steps);
  /// Runs the main procedure; throws RunFault.
  void run();

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace kel
