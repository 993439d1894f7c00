//===- messages.h - Numbered compiler messages ------------------*- C++ -*-===//
//
// Every fault the compiler finds in the source model becomes one
// "Utility::CompilerMessages" object, made by printError from the message
// table (message_table.h).
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"
#include "message_table.h"

#include <string>

namespace zeva {

/// Creates the message `number` on `element`, splicing `name` into rows that
/// have a place for it. Returns normally; the caller decides what follows.
void printError(int errorNumber, kel::Kel_Var_2 element, std::string name)
    KEL_FUNC(printError);

/// Creates the message object: "element" link, "text" = number + " - " +
/// text, "CompilerMessageType" = `messageType` (a qualified literal).
void createCompilerMessage(std::string text, std::string messageType,
                           kel::Kel_Var_2 element, int number)
    KEL_FUNC(createCompilerMessage);

} // namespace zeva
