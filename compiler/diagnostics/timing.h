//===- timing.h - Run time of a procedure into debug.txt --------*- C++ -*-===//
//
// A procedure compiled with "debugOn" starts a timer of its own when it is
// entered and, before each "return", stops it and appends the elapsed time
// to "debug.txt". The timer number is drawn from the run's name counter.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// Declares "_timer_str", starts the timer at the start of the procedure's
/// block and reports before every "return" of its chain.
void addTimingInformationToProcedure(Kel_Var_2 procedure)
    KEL_FUNC(addTimingInformationToProcedure);
/// Puts the timer stop and report before every "return" Skom of the chain
/// that starts at `command`, and of the branches of its Ifthenkoms; other
/// nested blocks are not scanned.
void addTimingInformationToRETURN(Kel_Var_2 command, Kel_Var_2 procedure,
                                  std::string timer, std::string textVariable)
    KEL_FUNC(addTimingInformationToRETURN);

} // namespace zeva
