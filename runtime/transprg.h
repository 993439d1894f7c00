//===- transprg.h - The run frame of the compiler module --------*- C++ -*-===//
//
// Kel_LibMain is the module's entry: one call is one compilation run inside
// one repository save transaction. The compiler itself is `Main`, which the
// module provides.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "dialogs.h"
#include "export.h"

namespace zeva {
/// The compiler run; provided by the compiler module.
void Main() KEL_FUNC(Main);
} // namespace zeva

extern "C" {

/// Raises the run generation, starts the transaction, calls Main under a
/// catch-all and commits, also after an exception. Nothing is rolled back.
KEL_VISIBLE void Kel_LibMain(void);

/// Installs the host's dialogs (null members keep the defaults).
KEL_VISIBLE void Kel_SetDialogHooks(const kel::DialogHooks *hooks);

} // extern "C"
