//===- units.h - Start-up and unload steps of the runtime units -*- C++ -*-===//
//
// Each unit's initialisation runs its body on the first call only and its
// finalisation when the calls balance again, so repeated calls are
// harmless. Loading the module runs the initialisations in the order of
// `initializeUnits`; unloading runs the finalisations.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"

extern "C" {
#define KEL_UNIT(name)                                                         \
  KEL_VISIBLE void name##_Initialize(void);                                    \
  KEL_VISIBLE void name##_Finalize(void);
KEL_UNIT(Transprg)
KEL_UNIT(Strroutine)
KEL_UNIT(Repositoryuser)
KEL_UNIT(Kel_var)
KEL_UNIT(Logger)
KEL_UNIT(Globalvars)
KEL_UNIT(Kel_functions)
KEL_UNIT(Userdefinednativefunctions)
#undef KEL_UNIT
}

namespace kel {
/// All unit initialisations, in start-up order.
void initializeUnits();
/// All unit finalisations.
void finalizeUnits();
} // namespace kel
