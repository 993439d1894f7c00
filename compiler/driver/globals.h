//===- globals.h - The compiler's global variables --------------*- C++ -*-===//
#pragma once

#include "export.h"

/// The compiler's only global, `_TARGET_`: set to 1 at start-up and read by
/// the name queries and the expression compiler. Exported as a data symbol.
extern "C" KEL_VISIBLE int _elemVar__TARGET_;

namespace zeva {
inline int &_TARGET_ = _elemVar__TARGET_;
} // namespace zeva
