//===- dialogs.cpp - Modal dialogs of the runtime -------------------------===//

#include "dialogs.h"

#include <cstdio>

namespace kel {

namespace {

void defaultMessage(const char *text) {
  std::fprintf(stderr, "zevac: dialog: %s\n", text);
  std::fflush(stderr);
}

int defaultYesNo(const char *, const char *text) {
  defaultMessage(text);
  return 0;
}

int defaultInput(const char *, const char *prompt, const char **) {
  defaultMessage(prompt);
  return 0;
}

DialogHooks gHooks{defaultMessage, defaultYesNo, defaultInput, nullptr};

} // namespace

void setDialogHooks(const DialogHooks &hooks) {
  gHooks.message = hooks.message ? hooks.message : defaultMessage;
  gHooks.yesNo = hooks.yesNo ? hooks.yesNo : defaultYesNo;
  gHooks.input = hooks.input ? hooks.input : defaultInput;
  gHooks.fileWritten = hooks.fileWritten;
}

void showMessage(const std::string &text) { gHooks.message(text.c_str()); }

bool askYesNo(const std::string &caption, const std::string &text) {
  return gHooks.yesNo(caption.c_str(), text.c_str()) != 0;
}

bool askInput(const std::string &caption, const std::string &prompt,
              std::string &answer) {
  const char *text = nullptr;
  if (!gHooks.input(caption.c_str(), prompt.c_str(), &text))
    return false;
  answer = text ? text : "";
  return true;
}

void reportFileWritten(const std::string &path, const std::string &error) {
  if (gHooks.fileWritten)
    gHooks.fileWritten(path.c_str(), error.empty() ? nullptr : error.c_str());
  else if (!error.empty())
    showMessage("Can not write file \"" + path + "\": " + error + ".");
}

} // namespace kel
