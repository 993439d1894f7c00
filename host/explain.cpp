//===- explain.cpp - zevac explain ----------------------------------------===//

#include "explain.h"

#include "commands.h"
#include "lint.h"
#include "message_table.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <iostream>

namespace zevac {

namespace {

constexpr std::string_view kCrashTopic = "crash";
constexpr std::size_t kWidth = 80;

/// A row's text as the user sees it, with NAME in its name place.
std::string displayText(const zeva::MessageRow &row) {
  std::string text(row.text);
  if (row.hasName)
    text += "NAME" + std::string(row.tail);
  return text;
}

const char *severity(const zeva::MessageRow &row) {
  return row.isWarning ? "warning" : "error";
}

bool allDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(),
                                   [](char c) { return c >= '0' && c <= '9'; });
}

/// The row numbered `s`, or null when `s` is not the number of one.
const zeva::MessageRow *rowOf(std::string_view s) {
  int number = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), number);
  if (ec != std::errc() || end != s.data() + s.size())
    return nullptr;
  return zeva::findMessage(number);
}

void printList() {
  for (const zeva::MessageRow &row : zeva::allMessages())
    std::cout << fmt::format("{:>5}  {:<7}  {}\n", row.number, severity(row),
                             displayText(row));
  std::cout << fmt::format("{:>5}  {:<7}  {}\n", kCrashTopic, "error",
                           zeva::kCrashGuardText);
  for (const zlint::WarningInfo &w : zlint::warningTable())
    std::cout << fmt::format("{:>5}  {:<7}  {}\n", "L" + std::to_string(w.code),
                             "lint", w.title);
}

/// The warning of a topic "L<code>", or null.
const zlint::WarningInfo *warningOf(std::string_view topic) {
  if (topic.size() < 2 || topic[0] != 'L' || !allDigits(topic.substr(1)))
    return nullptr;
  int code = 0;
  auto [end, ec] =
      std::from_chars(topic.data() + 1, topic.data() + topic.size(), code);
  return ec == std::errc() && end == topic.data() + topic.size()
             ? zlint::warningInfo(code)
             : nullptr;
}

/// `text` broken into lines of at most `width` columns at blanks; a word
/// longer than `width` stands on a line of its own.
std::string wrapText(std::string_view text, std::size_t width) {
  std::string out, line;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = std::min(text.find(' ', pos), text.size());
    std::string_view word = text.substr(pos, end - pos);
    pos = end + 1;
    if (word.empty())
      continue;
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      out += line + '\n';
      line.clear();
    }
    line += (line.empty() ? "" : " ") + std::string(word);
  }
  if (!line.empty())
    out += line + '\n';
  return out;
}

void printExplanation(const std::string &title, std::string_view text) {
  std::cout << title << "\n\n" << wrapText(text, kWidth);
}

} // namespace

std::string explainTopic(std::string_view storedText) {
  if (storedText == zeva::kCrashGuardText)
    return std::string(kCrashTopic);
  std::size_t dash = storedText.find(" - ");
  if (dash == std::string_view::npos)
    return "";
  std::string_view number = storedText.substr(0, dash);
  return allDigits(number) && rowOf(number) ? std::string(number) : "";
}

std::string explainHint(const std::string &topic) {
  if (topic.empty())
    return "zevac: note: run 'zevac explain' to list the compiler messages";
  if (topic == kCrashTopic)
    return "zevac: note: run 'zevac explain crash' to learn more about the "
           "crash message";
  return fmt::format(
      "zevac: note: run 'zevac explain {0}' to learn more about message {0}",
      topic);
}

int runExplain(const std::optional<std::string> &topic) {
  if (!topic) {
    printList();
    return finishStandardOutput(kExitOk);
  }
  if (*topic == kCrashTopic) {
    printExplanation(
        fmt::format("Crash message (error): {}", zeva::kCrashGuardText),
        zeva::crashExplanation());
    return finishStandardOutput(kExitOk);
  }
  const char *usage = " (run 'zevac explain' for the list)\n";
  if (topic->starts_with('L') && topic->size() > 1 &&
      allDigits(topic->substr(1))) {
    const zlint::WarningInfo *w = warningOf(*topic);
    if (!w) {
      std::cerr << "zevac: error: there is no warning " << *topic << usage;
      return kExitFailure;
    }
    printExplanation(fmt::format("Warning L{} (lint): {}", w->code, w->title),
                     w->explain);
    return finishStandardOutput(kExitOk);
  }
  if (!allDigits(*topic)) {
    std::cerr << "zevac: error: '" << *topic << "' is not a message number"
              << usage;
    return kExitFailure;
  }
  const zeva::MessageRow *row = rowOf(*topic);
  if (!row) {
    std::cerr << "zevac: error: there is no compiler message " << *topic
              << usage;
    return kExitFailure;
  }
  printExplanation(fmt::format("Message {} ({}): {}", row->number,
                               severity(*row), displayText(*row)),
                   zeva::findExplanation(row->number));
  return finishStandardOutput(kExitOk);
}

} // namespace zevac
