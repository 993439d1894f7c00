//===- file_replace.h - Replace a file atomically ---------------*- C++ -*-===//
//
// A file is replaced by writing a temporary file beside it and renaming that
// over it, so the target is always either the old or the complete new file.
// The temporary is named TARGET.tmpPID-XXXXXX. It is removed when the write
// fails, and when SIGINT, SIGTERM or SIGHUP ends the process meanwhile (if
// the process left that signal's default action in place); one left behind
// by a process that was killed outright is removed by the next replacement
// of the same target, once its process is gone or after a day (its process
// id may have been given to another process since).
//
//===----------------------------------------------------------------------===//
#pragma once

#include <functional>
#include <string>

namespace zrep {

/// Replaces `path` with what `fill` writes to the descriptor it is given.
/// The new file keeps the old one's permissions. False with a description
/// of the problem in `error` when `path` exists and is not a regular file
/// or when anything fails; the target is then unchanged.
bool replaceFile(const std::string &path, const std::function<bool(int)> &fill,
                 std::string &error);

} // namespace zrep
