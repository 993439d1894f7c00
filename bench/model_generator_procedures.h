//===- model_generator_procedures.h - Generated procedures ------*- C++ -*-===//
#pragma once

#include "model_generator.h"

namespace gen {

/// What callers need to know of a procedure before it is written.
struct Signature {
  Id id = 0;
  Id package = 0;
  std::string name;
  int anchor = -1; // the class of parameter 1; none for the main procedure
  bool label = false, limit = false, total = false; // parameters 2 to 4
  bool debug = false, isMain = false;
};

struct Procedures {
  std::vector<Signature> signatures;
  /// Procedure indices by the class of their first parameter.
  std::vector<std::vector<int>> byAnchor;
  /// The external procedure report(message: String).
  Id report = 0;
};

/// Writes procedure `index` with all its elements; ids come from `nextId`.
void writeProcedure(const ClassModel &model, const Procedures &procedures,
                    int index, Rng &rng, Id &nextId, Writer &out);

} // namespace gen
