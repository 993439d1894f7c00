// What one family of lint checks finds in a repository.
#pragma once

#include "lint_context.h"

#include <vector>

namespace linttest {

/// The warnings of code `code` that `check` finds in `repo`.
inline std::vector<zlint::Warning> found(void (*check)(zlint::LintContext &),
                                         const zrep::Repository &repo,
                                         int code) {
  zlint::LintContext cx(repo);
  check(cx);
  std::vector<zlint::Warning> out;
  for (const zlint::Warning &w : cx.warnings())
    if (w.code == code)
      out.push_back(w);
  return out;
}

} // namespace linttest
