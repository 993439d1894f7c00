//===- export.h - Symbols the compiler module exports -----------*- C++ -*-===//
//
// Every native function and compiler procedure is exported as
// "Kel_Func_" + its name: the asm label gives the C++ function that exact,
// unmangled symbol, and the module is built with hidden visibility so that
// only these symbols (and the entry points) are visible outside it.
//
//===----------------------------------------------------------------------===//
#pragma once

#define KEL_VISIBLE __attribute__((visibility("default")))
/// Put after a function's declarator: `int Pos(...) KEL_FUNC(Pos);`.
#define KEL_FUNC(name) asm("Kel_Func_" #name) KEL_VISIBLE
