//===- driver.h - The compiler run ------------------------------*- C++ -*-===//
#pragma once

#include "export.h"
#include "kel_var.h"

namespace zeva {

using kel::Kel_Var_2;

/// One compilation run: crash guard, start-up, metamodel script, units,
/// main function, crash guard removed.
void Main() KEL_FUNC(Main);
/// Sets _TARGET_, clears earlier runs' products, creates the label counter
/// and the pattern marker.
void Initialize() KEL_FUNC(Initialize);
/// Compiles the selected units of the model, or reports that none is.
void Compile() KEL_FUNC(Compile);
/// Walks the package tree from `element`, making a Transformation for each
/// selected unit and compiling the procedures that belong to one.
void CompileHeader(Kel_Var_2 element, Kel_Var_2 transformation, bool inUnit)
    KEL_FUNC(CompileHeader);
/// Frames the main function with the initialise and finalise calls.
void Finalize() KEL_FUNC(Finalize);
/// The steps that a unit's main procedure adds to its Transformation:
/// directives, native declarations and the main function (or message 50).
void CompileMainProcedure(Kel_Var_2 procedure, Kel_Var_2 transformation)
    KEL_FUNC(CompileMainProcedure);

} // namespace zeva
