//===- dialogs.h - Modal dialogs of the runtime -----------------*- C++ -*-===//
//
// The runtime shows messages, asks Yes/No questions and prompts for a line
// through hooks that the host installs. Without a host the message goes to
// stderr as "zevac: dialog: TEXT", questions are answered No and prompts are
// cancelled.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <string>

namespace kel {

struct DialogHooks {
  /// A modal message dialog showing `text`.
  void (*message)(const char *text) = nullptr;
  /// A Yes/No question box; returns non-zero for Yes.
  int (*yesNo)(const char *caption, const char *text) = nullptr;
  /// A one-line input dialog with an empty initial value; returns non-zero
  /// when confirmed and then sets `*answer` to a text that stays valid until
  /// the next call.
  int (*input)(const char *caption, const char *prompt,
               const char **answer) = nullptr;
};

/// Installs hooks; null members keep the defaults.
void setDialogHooks(const DialogHooks &hooks);

void showMessage(const std::string &text);
bool askYesNo(const std::string &caption, const std::string &text);
bool askInput(const std::string &caption, const std::string &prompt,
              std::string &answer);

} // namespace kel
