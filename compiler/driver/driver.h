//===- driver.h - The compiler run ------------------------------*- C++ -*-===//
#pragma once

#include "export.h"

namespace zeva {

/// One compilation run: crash guard, start-up, metamodel script, units,
/// main function, crash guard removed.
void Main() KEL_FUNC(Main);

} // namespace zeva
