//===- lint_context.h - What every lint check works with ----------*- C++
//-*-===//
#pragma once

#include "lint.h"
#include "named_access.h"

#include <string>
#include <vector>

namespace zlint {

/// The repository read by names, and the warnings found so far. Each check
/// is a function over it; checks must stay linear in the model's size.
class LintContext : public zrep::NamedAccess {
public:
  explicit LintContext(const zrep::Repository &repo) : NamedAccess(repo) {}

  const zrep::Repository &repo() const { return repo_; }
  const zrep::Metamodel &metamodel() const { return mm_; }

  void warn(int code, ObjectId element, std::string text) {
    warnings_.push_back({code, element, std::move(text)});
  }
  std::vector<Warning> &warnings() { return warnings_; }

private:
  std::vector<Warning> warnings_;
};

// The checks, one family a file; each file also holds its family's entries
// of the warning table.
const std::vector<WarningInfo> &linkEndWarnings();
const std::vector<WarningInfo> &structureWarnings();
const std::vector<WarningInfo> &expressionWarnings();
const std::vector<WarningInfo> &setupWarnings();
const std::vector<WarningInfo> &notTraceWarnings();

/// L1-L3: links whose ends do not fit the association between the classes
/// they join.
void checkLinkEnds(LintContext &cx);
/// L4-L8: structure the compiler silently ignores.
void checkStructure(LintContext &cx);
/// L9-L11: expressions that compile to something else than they say.
void checkExpressions(LintContext &cx);
/// L12-L16: project and unit set-up.
void checkSetup(LintContext &cx);
/// L17: NOT elements and links that the debug trace reports as matched.
void checkNotTrace(LintContext &cx);

} // namespace zlint
