//===- diagram.h - Pictures of procedures and their rules -------*- C++ -*-===//
//
// Draws a procedure's control flow, and inside each rule its pattern, as SVG.
// Every ZEVA element that is drawn carries the SVG id "z<object id>" and the
// class "zeva" beside a class of its kind ("zeva-rule", "zeva-flow", ...), so
// that a page can find, highlight and count them: one SVG group per flow end
// (a node, or a frame for rules and loops) and per class element (a node);
// flows and pattern links are edges with ids of their own.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repository.h"

#include <functional>
#include <string>
#include <vector>

namespace zdiagram {

using zrep::ObjectId;

/// A procedure that can be drawn: a ZEVAprocedure, with the names of the
/// packages that hold it, outer first ("lib::admin").
struct ProcedureRef {
  ObjectId id = 0;
  std::string name;
  std::string unit;
};

/// Every ZEVAprocedure of the repository, in repository order.
std::vector<ProcedureRef> listProcedures(const zrep::Repository &repo);

/// The name a node is known by in its source text ("refill" for
/// `rule refill`); empty when it has none, and the diagram makes one up.
using NodeNamer = std::function<std::string(ObjectId)>;

struct DiagramOptions {
  NodeNamer nodeName;
  /// A whole SVG file (XML prolog and doctype) rather than an <svg>
  /// element to embed in a page.
  bool standalone = true;
};

/// Lays out and draws procedures. Graphviz keeps global state: a Renderer is
/// used from one thread at a time, and only one exists at a time.
class Renderer {
public:
  Renderer();
  ~Renderer();
  Renderer(const Renderer &) = delete;
  Renderer &operator=(const Renderer &) = delete;

  /// The SVG text of one procedure. Never fails on a faulty model: what
  /// cannot be drawn is left out. The same model gives the same bytes.
  std::string procedureSvg(const zrep::Repository &repo, ObjectId procedure,
                           const DiagramOptions &options = {});

  /// The SVG texts of `procedures`, in order, as procedureSvg gives them.
  /// Graphviz's dot layout keeps memory of every graph with frames that it
  /// never frees (tens of KB a procedure), so the batch is drawn in a forked
  /// copy of the process that ends when it is done; a procedure whose
  /// drawing crashed Graphviz comes back empty. No other thread may run.
  std::vector<std::string>
  procedureSvgs(const zrep::Repository &repo,
                const std::vector<ObjectId> &procedures,
                const DiagramOptions &options = {});

private:
  struct Impl;
  Impl *impl_;
};

} // namespace zdiagram
