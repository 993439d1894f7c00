//===- renderer.cpp - Procedures drawn as SVG -----------------------------===//

#include "diagram.h"
#include "forked_batch.h"
#include "graphviz_render.h"
#include "procedure_graph.h"

namespace zdiagram {

struct Renderer::Impl {
  GraphvizRenderer graphviz;
};

Renderer::Renderer() : impl_(new Impl) {}

Renderer::~Renderer() { delete impl_; }

std::string Renderer::procedureSvg(const zrep::Repository &repo,
                                   ObjectId procedure,
                                   const DiagramOptions &options) {
  std::string file =
      impl_->graphviz.svg(describeProcedure(repo, procedure, options.nodeName));
  return options.standalone ? file : svgElement(file);
}

std::vector<std::string>
Renderer::procedureSvgs(const zrep::Repository &repo,
                        const std::vector<ObjectId> &procedures,
                        const DiagramOptions &options) {
  return makeInForkedCopy(procedures.size(), [&](std::size_t i) {
    return procedureSvg(repo, procedures[i], options);
  });
}

} // namespace zdiagram
