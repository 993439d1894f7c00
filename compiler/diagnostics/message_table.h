//===- message_table.h - The table of compiler messages ---------*- C++ -*-===//
//
// Numbers, severities and texts of the compiler messages, and what each one
// means to a user. The compiler module reports messages from this table; the
// zevac command shows the explanations.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <span>
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

/// Every row, in increasing number.
std::span<const MessageRow> allMessages();

/// The row of `number`, or null for a number outside the table.
const MessageRow *findMessage(int number);

/// The text of the message that the compiler leaves when a run stops
/// abnormally. It has no number and is an error.
inline constexpr std::string_view kCrashGuardText =
    "ZEVA compiler has crashed!";

/// What causes a message and how to fix it, written for a user.
struct Explanation {
  int number;
  std::string_view text;
};

/// Every explanation of a numbered message, in increasing number.
std::span<const Explanation> allExplanations();

/// The explanation of message `number`; empty when there is none.
std::string_view findExplanation(int number);

/// The explanation of the crash guard message.
std::string_view crashExplanation();

} // namespace zeva
