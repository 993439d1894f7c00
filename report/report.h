//===- report.h - One HTML page of a model ----------------------*- C++ -*-===//
//
// The report of a model: for each procedure its diagram, its Kel listing and
// its compiler messages, in one page that needs nothing beside it (styles
// and scripts inline, no network). A message leads to its element in the
// diagram; a flow end in the diagram leads to the listing lines of the
// commands compiled from it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "diagram.h"
#include "page_out.h"
#include "repository.h"

#include <functional>
#include <string>

namespace zreport {

/// Where an element was written in a source text ("FILE:LINE:COL") and what
/// it is there; false for an element without such a place.
using ElementPlace =
    std::function<bool(int id, std::string &where, std::string &label)>;

struct PageOptions {
  std::string source;           ///< The model's file, as the page names it.
  ElementPlace place;           ///< Optional: messages then name source places.
  zdiagram::NodeNamer nodeName; ///< Optional: the diagrams' node names.
};

struct PageSummary {
  int procedures = 0;
  int errors = 0;
  int warnings = 0;
  bool compiled = false; ///< The repository holds a Kel program.
  bool written = false;  ///< Every piece reached the sink.
};

/// Writes the page of `repo` to `sink`. The same repository gives the same
/// bytes. Never fails on a faulty model: what cannot be drawn or listed is
/// left out or shown as such.
PageSummary writeReport(const zrep::Repository &repo,
                        const PageOptions &options, const PageSink &sink);

} // namespace zreport
