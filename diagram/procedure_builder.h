//===- procedure_builder.h - The model walk behind a diagram ----*- C++ -*-===//
//
// Builds the graph of one procedure in three steps: which flow ends it
// draws and in which loop frame each sits, the nodes and frames (rules with
// their patterns), then the edges (flows, pattern links).
//
//===----------------------------------------------------------------------===//
#pragma once

#include "diagram.h"
#include "graph_description.h"
#include "zeva_model.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zdiagram {

class ProcedureBuilder {
public:
  ProcedureBuilder(const zrep::Repository &repo, ObjectId procedure,
                   const NodeNamer &nodeName);
  GraphDescription build();

private:
  /// Where flows attach to a drawn flow end: a node, or for a frame the
  /// anchors inside it and the frame's name (for lhead and ltail).
  struct Place {
    std::string in, out, cluster;
  };

  // procedure_graph.cpp
  void collectFlowEnds();
  void placeFlowEnds();
  void addFlowEnd(GraphCluster &into, ObjectId flowEnd);
  void addLoop(GraphCluster &into, ObjectId loop);
  void addFlows();
  std::string flowEndpoint(ObjectId flowEnd, bool tail, std::string &cluster);
  std::string header() const;
  /// The node's name in its source, else "<word> N" (its ordinal among
  /// the procedure's nodes of its kind).
  std::string title(ObjectId flowEnd, const char *word) const;
  std::string assignmentText(ObjectId assignment, bool withTarget) const;

  // rule_pattern.cpp
  void addRule(GraphCluster &into, ObjectId rule);
  GraphNode elementNode(ObjectId element,
                        const std::vector<ObjectId> &assignments) const;
  void addLinks();

  // Both.
  /// An invisible point that edges of a frame attach to.
  static GraphNode anchor(const std::string &name);
  void invisibleEdge(const std::string &tail, const std::string &head);
  /// A node with no ZEVA class for an edge end that is not drawn.
  std::string helperNode(const std::string &label);

  ZevaModel m_;
  ObjectId procedure_;
  const NodeNamer &nodeName_;
  GraphDescription g_;

  std::vector<ObjectId> flowEnds_; ///< drawn, in the procedure's order
  std::unordered_set<ObjectId> drawn_;
  std::unordered_map<ObjectId, std::size_t> ordinal_;
  std::unordered_map<ObjectId, ObjectId> parent_; ///< loop or 0
  std::unordered_map<ObjectId, std::vector<ObjectId>> children_;
  std::unordered_map<ObjectId, Place> places_;
  std::unordered_map<ObjectId, std::string> elementNodes_;
  std::vector<ObjectId> rules_; ///< drawn, in order
  std::size_t helpers_ = 0;
};

} // namespace zdiagram
