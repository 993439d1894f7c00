//===- standard_output.h - Writes to standard output that can fail --*- C++
//-*-===//
//
// Standard output may be a full disk or a pipe whose reader has gone. Its
// writes go through a buffer of its own that remembers why the first one
// failed and drops everything after it, so that a command can tell the two
// apart once it is done.
//
//===----------------------------------------------------------------------===//
#pragma once

namespace zevac {

/// Routes std::cout through that buffer; called once, before any output.
void captureStandardOutput();

/// Flushes std::cout: 0 when all of its output was written, otherwise the
/// errno of the first write that failed.
int flushStandardOutput();

} // namespace zevac
