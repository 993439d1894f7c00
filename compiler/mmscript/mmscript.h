//===- mmscript.h - The class model as a script -----------------*- C++ -*-===//
#pragma once

#include "export.h"

#include <string>

namespace zeva {

/// The class model as "MMDefStart;" ... "MMDefEnd;": classes, associations
/// and compositions, enumerations, attributes, then generalizations.
std::string printZEVA_MMscript() KEL_FUNC(printZEVA_MMscript);

} // namespace zeva
