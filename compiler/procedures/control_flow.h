//===- control_flow.h - Procedure bodies as labelled segments ---*- C++ -*-===//
//
// Every flow end gets a label; its commands form a segment that starts with
// the label and ends with a jump to the next flow end's label (or a
// "return"); the segments are then strung into the ProcFunct's block.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

using kel::Kel_Var_2;

void CompileProcedureBody(Kel_Var_2 procedure) KEL_FUNC(CompileProcedureBody);
/// Labels every flow end (loops get an end and a continuation label too) and
/// links the procedure "flowend" to each.
void CreateFlowEndLabels(Kel_Var_2 procedure) KEL_FUNC(CreateFlowEndLabels);
/// Builds the segment of one flow end, by its exact class.
void CreateFlowEndBody(Kel_Var_2 flowEnd) KEL_FUNC(CreateFlowEndBody);
void CreateFlowEndBodyStart(Kel_Var_2 start) KEL_FUNC(CreateFlowEndBodyStart);
void CreateFlowEndBodyEnd(Kel_Var_2 end) KEL_FUNC(CreateFlowEndBodyEnd);
/// Makes the command that leaves `flowEnd`'s segment along its normal or
/// ELSE flow: a jump to the next label, to the loop's end label, or a
/// "return". True when a jump was made; `kom` is left unchanged when the
/// successor has no label.
bool FindNextFlowEndAndCreateGotoKom(Kel_Var_2 flowEnd, Kel_Var_2 &kom,
                                     bool isElse)
    KEL_FUNC(FindNextFlowEndAndCreateGotoKom);
/// 2: a flow of the asked direction and kind exists; 1: none, but the flow
/// end lies in a loop; 0: neither.
int IsFlow(Kel_Var_2 flowEnd, bool isElse, bool incoming) KEL_FUNC(IsFlow);
/// Joins the segments into the ProcFunct's block.
void CompleteProcFunctCommandFlow(Kel_Var_2 procedure)
    KEL_FUNC(CompleteProcFunctCommandFlow);

} // namespace zeva
