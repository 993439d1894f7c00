//===- debug_trace.h - Trace of a procedure's run into debug.txt -*- C++
//-*-===//
//
// A procedure compiled with "debugOn" gets Skoms that append to "debug.txt"
// which flow ends start and end, its parameters, the matched pattern
// elements, what was created, deleted or assigned, and how loops iterate.
// The lines are indented by the nesting depth kept in the program's globals
// _IDENTint and _IDENTstr (see the prelude). The commands are inserted into
// the finished command chain of the procedure.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>

namespace zeva {

using kel::Kel_Var_2;

/// Instruments the parameters and every flow end of `procedure`.
void addControlFlowDebugInformationToProcedure(Kel_Var_2 procedure)
    KEL_FUNC(addControlFlowDebugInformationToProcedure);
/// Puts at the start of `block` the "Pattern MATCHED." line and the values
/// of the rule's searched (non-created) elements.
void addPatternMatchingInformationToProcedure(Kel_Var_2 rule, Kel_Var_2 block)
    KEL_FUNC(addPatternMatchingInformationToProcedure);
/// Puts before `command` what the rule created, deleted, left unchanged and
/// assigned, then the links it created or deleted.
void addActionPartInformationToProcedure(Kel_Var_2 rule, Kel_Var_2 command)
    KEL_FUNC(addActionPartInformationToProcedure);

/// The line that starts a trace line at the current indentation.
std::string addIndentToDebugTraceFile() KEL_FUNC(addIndentToDebugTraceFile);
/// Raises (`increase` 1) or lowers the nesting depth and rebuilds the
/// indentation prefix.
std::string addIncreaseDecreaseIdentToDebugTraceFile(int increase)
    KEL_FUNC(addIncreaseDecreaseIdentToDebugTraceFile);
/// Kel text that appends "T x=" and the element's value; empty for an
/// untyped element. Declares a fresh String variable once the type is known.
std::string addReferencableElementDebugInformation(Kel_Var_2 element)
    KEL_FUNC(addReferencableElementDebugInformation);
/// As above for the value of `element`.`property`, labelled with the
/// property's name; empty for a class-typed or untyped property.
std::string addPointerAttributeDebugInformation(Kel_Var_2 element,
                                                Kel_Var_2 property)
    KEL_FUNC(addPointerAttributeDebugInformation);

} // namespace zeva
