//===- recursion_guard.cpp - Bound the depth of model walks ---------------===//

#include "recursion_guard.h"

#include "kel_var.h"

#include <string>

namespace kel {

RecursionGuard::RecursionGuard(const char *walk) {
  if (++depth_ > kMaxDepth) {
    --depth_; // this guard never lives; the others unwind with the abort
    abortRun("The model is nested more than " + std::to_string(kMaxDepth) +
             " levels deep, or cyclic, in " + walk +
             ".\nProgramm will now exit !");
  }
}

} // namespace kel
