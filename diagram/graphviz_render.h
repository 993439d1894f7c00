//===- graphviz_render.h - Graph descriptions drawn by Graphviz -*- C++ -*-===//
//
// Graphviz in process, with only its dot layout and core renderers linked
// in: no plugin or font found on the machine takes part, so the same graph
// gives the same SVG bytes everywhere.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "graph_description.h"

#include <string>
#include <vector>

namespace zdiagram {

class GraphvizRenderer {
public:
  GraphvizRenderer();
  ~GraphvizRenderer();
  GraphvizRenderer(const GraphvizRenderer &) = delete;
  GraphvizRenderer &operator=(const GraphvizRenderer &) = delete;

  /// The whole SVG file of `graph`; empty when Graphviz could not lay it
  /// out.
  std::string svg(const GraphDescription &graph);

  /// What Graphviz reported (errors and warnings) while drawing the last
  /// graph, one entry per report.
  const std::vector<std::string> &messages() const;

private:
  struct Context;
  Context *context_;
};

/// The <svg> element of a whole SVG file, without the XML prolog, doctype
/// and comments before it.
std::string svgElement(const std::string &file);

} // namespace zdiagram
