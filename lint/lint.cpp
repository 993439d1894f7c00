//===- lint.cpp - The warning table and the run of all checks -------------===//

#include "lint_context.h"

#include <algorithm>
#include <limits>

namespace zlint {

const std::vector<WarningInfo> &warningTable() {
  static const std::vector<WarningInfo> table = [] {
    std::vector<WarningInfo> all;
    for (const auto *family :
         {&linkEndWarnings(), &structureWarnings(), &expressionWarnings(),
          &setupWarnings(), &notTraceWarnings()})
      all.insert(all.end(), family->begin(), family->end());
    std::stable_sort(all.begin(), all.end(),
                     [](const WarningInfo &a, const WarningInfo &b) {
                       return a.code < b.code;
                     });
    return all;
  }();
  return table;
}

const WarningInfo *warningInfo(int code) {
  for (const WarningInfo &w : warningTable())
    if (w.code == code)
      return &w;
  return nullptr;
}

std::vector<Warning> lint(const zrep::Repository &repo) {
  LintContext cx(repo);
  checkLinkEnds(cx);
  checkStructure(cx);
  checkExpressions(cx);
  checkSetup(cx);
  checkNotTrace(cx);
  std::vector<Warning> &found = cx.warnings();
  // Warnings without an element come first, then in the order of the
  // elements in the repository; each family's own order breaks ties.
  auto rank = [&](ObjectId id) -> std::uint64_t {
    if (id == 0)
      return 0;
    std::uint32_t index = repo.indexOf(id);
    return index == std::numeric_limits<std::uint32_t>::max()
               ? std::numeric_limits<std::uint64_t>::max()
               : std::uint64_t(index) + 1;
  };
  std::stable_sort(found.begin(), found.end(),
                   [&](const Warning &a, const Warning &b) {
                     std::uint64_t ra = rank(a.element), rb = rank(b.element);
                     return ra != rb ? ra < rb : a.code < b.code;
                   });
  return std::move(found);
}

} // namespace zlint
