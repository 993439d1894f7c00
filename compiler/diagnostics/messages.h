//===- messages.h - Numbered compiler messages ------------------*- C++ -*-===//
//
// Every fault the compiler finds in the source model becomes one
// "Utility::CompilerMessages" object, made by printError from a fixed table
// of numbers, severities and texts.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "export.h"
#include "kel_var.h"

#include <string>
#include <string_view>

namespace zeva {

/// One row of the message table. A row with a name place reads
/// `text` + name + `tail`; a row without one has `hasName` false.
struct MessageRow {
  int number;
  bool isWarning;
  std::string_view text;
  bool hasName;
  std::string_view tail;
};

/// The row of `number`, or null for a number outside the table.
const MessageRow *findMessage(int number);

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
