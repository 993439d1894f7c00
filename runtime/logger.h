//===- logger.h - The runtime's trace log -----------------------*- C++ -*-===//
//
// "Kel_trace.txt" in the process's current directory: opened (emptied) on the
// first write of the process and kept open until the module is unloaded, so
// that all runs of one process share it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <string>

namespace kel::logger {

/// Writes the indentation (three blanks per level), then `text`.
void write(const std::string &text);
/// Ends the line: a line feed, then a flush.
void endLine();
void indent();
void outdent();
/// Closes the log; the next write of the process opens it afresh.
void close();

} // namespace kel::logger
