//===- procedure_graph.h - A procedure's diagram as a graph -----*- C++ -*-===//
#pragma once

#include "diagram.h"
#include "graph_description.h"

namespace zdiagram {

/// The diagram of `procedure`: its flow ends (rules and loops as frames),
/// flows, and each rule's pattern. A faulty model is drawn as far as it
/// goes; an object that is not a ZEVAprocedure gives a graph with only a
/// header.
GraphDescription describeProcedure(const zrep::Repository &repo,
                                   ObjectId procedure,
                                   const NodeNamer &nodeName);

} // namespace zdiagram
