//===- dialogs.h - Modal dialogs of the runtime -----------------*- C++ -*-===//
//
// The runtime shows messages, asks Yes/No questions, prompts for a line and
// reports the files that native functions write through hooks that the host
// installs. Without a host the message goes to stderr as "zevac: dialog:
// TEXT", questions are answered No, prompts are cancelled and a file that
// could not be written is shown as a message.
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
  /// A file that a native function wrote whole (`error` null) or could not
  /// write (`error` says why).
  void (*fileWritten)(const char *path, const char *error) = nullptr;
};

/// Installs hooks; null members keep the defaults.
void setDialogHooks(const DialogHooks &hooks);

void showMessage(const std::string &text);
bool askYesNo(const std::string &caption, const std::string &text);
bool askInput(const std::string &caption, const std::string &prompt,
              std::string &answer);
/// Reports a file written (`error` empty) or not written.
void reportFileWritten(const std::string &path, const std::string &error);

} // namespace kel
