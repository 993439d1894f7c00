//===- graph_description.h - A graph to lay out, before Graphviz -*- C++
//-*-===//
//
// What a diagram holds, independent of Graphviz: nodes and nested clusters
// with their attributes, and the edges between nodes. The model walk builds
// it; the renderer turns it into a Graphviz graph as it stands.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zdiagram {

/// Graphviz attributes, set in this order.
using Attrs = std::vector<std::pair<std::string, std::string>>;

struct GraphNode {
  std::string name;  ///< unique among the graph's nodes
  std::string label; ///< an HTML-like label (without the outer <>)
  Attrs attrs;
};

struct GraphCluster {
  std::string name;  ///< "cluster..." for a frame; the graph's own name
  std::string label; ///< an HTML-like label (without the outer <>)
  Attrs attrs;
  std::vector<GraphNode> nodes;
  std::vector<GraphCluster> clusters;
};

struct GraphEdge {
  std::string tail, head; ///< node names
  std::string label;      ///< an HTML-like label, or empty for none
  Attrs attrs;
};

/// A whole diagram: the root cluster is the graph itself.
struct GraphDescription {
  GraphCluster root;
  Attrs nodeDefaults, edgeDefaults;
  std::vector<GraphEdge> edges;
};

} // namespace zdiagram
