//===- extreme_models.h - Valid models of extreme shape ---------*- C++ -*-===//
//
// Models that are small in most respects and extreme in one: nesting depth,
// pattern size, expression length, flow ends, parameters, main procedures.
// Each compiles without messages but message 50 (mains). The benchmarks
// time them at two sizes; the tests compile them at moderate sizes.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <span>
#include <string_view>

namespace zrep {
class Repository;
}

namespace extreme {

enum class Shape {
  Packages,   ///< ZEVA and Kernel packages nested n deep
  Classes,    ///< a generalization chain of n classes
  Pattern,    ///< one rule whose pattern is a chain of n elements
  Expression, ///< a constraint and an assignment of n bytes each
  Brackets,   ///< an expression in n/2 nested pairs of brackets
  FlowEnds,   ///< a debugged procedure of n flow ends in a row
  Parameters, ///< a procedure of n parameters, and a call passing them all
  Mains,      ///< n units, each with a main procedure
};

struct ShapeInfo {
  Shape shape;
  const char *name;
  const char *counts; ///< what n counts
  int small, large;   ///< the benchmark's sizes
};

std::span<const ShapeInfo> shapes();
const ShapeInfo *findShape(std::string_view name);

/// Adds the model of `shape` and size `n` to an empty repository.
void build(zrep::Repository &repo, Shape shape, int n);

} // namespace extreme
