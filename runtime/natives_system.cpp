//===- natives_system.cpp - Dialog, file and model natives ----------------===//

#include "natives.h"

#include "dialogs.h"
#include "file_replace.h"
#include "qta_rep.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kel {

namespace {

/// Writes all of `text`; false with errno set when a write fails.
bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

/// Opens `fileName` with `flags`, writes `text` and closes it; the reason
/// when any step fails, else the empty text.
std::string writeDirectly(const std::string &text, const std::string &fileName,
                          int flags) {
  int fd =
      ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
  if (fd < 0)
    return std::strerror(errno);
  bool written = writeAll(fd, text);
  int err = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    err = errno;
  }
  return written ? "" : std::strerror(err);
}

} // namespace

void showMsg(std::string text) { showMessage(text); }
void ext_showMsg(std::string text) { showMessage(text); }

void ext_showMsgYesNo(std::string text, bool &yes) {
  yes = askYesNo("Message", text);
}

void ext_showMsgInputBox(std::string prompt, std::string &answer,
                         bool &confirmed) {
  std::string typed;
  confirmed = askInput("Input Prompt", prompt, typed);
  answer = confirmed ? typed : "";
}

bool IsAttrValEmpty(Kel_Var_2 variable, std::string attr) {
  if (IsNull(variable))
    return true;
  ObjectId id = CurId(variable);
  TypeId attrId =
      RepositoryUser::attrId(RepositoryUser::classOf(id), attr.c_str());
  std::int32_t base = 0;
  if (attrId == 0 || !_GetPropertyTypeAttributes(attrId, &base, nullptr))
    return true;
  if (base != kRepString && base != kRepInteger && base != kRepBoolean &&
      base != kRepEnumeration)
    return true;
  return RepositoryUser::readValue(id, attrId).empty();
}

void writeToFile(std::string text, std::string fileName) {
  // A file is replaced through a temporary beside it: a failed write leaves
  // the old file, and a symbolic link in its place is replaced, not written
  // through. A device or pipe can only be written directly.
  struct stat st;
  std::string error;
  if (::stat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    error = writeDirectly(text, fileName, O_TRUNC);
  else
    zrep::replaceFile(
        fileName, [&](int fd) { return writeAll(fd, text); }, error);
  reportFileWritten(fileName, error);
}

void appendToFile(std::string text, std::string fileName) {
  reportFileWritten(fileName, writeDirectly(text, fileName, O_APPEND));
}

void STOP() { throw Kel_Var_2_Exception(""); }

} // namespace kel
