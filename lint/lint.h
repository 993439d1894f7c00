//===- lint.h - Warnings for mistakes the compiler's messages miss -*- C++
//-*-===//
//
// A second layer of diagnostics beside the compiler's numbered messages:
// coded warnings (L1, L2, ...) for models that compile without a message
// into a program that does something else than the diagram says. Linting
// reads the repository and changes nothing in it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repository.h"

#include <string>
#include <vector>

namespace zlint {

using zrep::ObjectId;

/// One warning: its code (L<code>), the element it is about (0 for none)
/// and its one-line text, which says what to fix.
struct Warning {
  int code = 0;
  ObjectId element = 0;
  std::string text;
};

/// What every code means, for `zevac explain L<code>` and docs/lint.md.
struct WarningInfo {
  int code;
  const char *title;   ///< What is wrong, in a few words.
  const char *explain; ///< The cause, what the compiler makes of it, the fix.
};

/// Every warning code, in order of code.
const std::vector<WarningInfo> &warningTable();
/// The entry of `code`, or null.
const WarningInfo *warningInfo(int code);

/// Every warning of `repo`, ordered by element (repository order) and then
/// by code. The same repository gives the same warnings.
std::vector<Warning> lint(const zrep::Repository &repo);

} // namespace zlint
