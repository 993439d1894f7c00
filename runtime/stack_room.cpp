//===- stack_room.cpp - Deep recursion beyond one thread's stack ----------===//

#include "stack_room.h"

#include "kel_var.h"
#include "stack_segments.h"

#include <string>

namespace kel {

bool hasStackRoom() { return zsupport::hasStackRoom(); }

void runOnFreshStack(void (*call)(void *), void *arg) {
  if (!zsupport::runOnFreshStack(call, arg))
    abortRun("The model nests too deep for the memory left: no stack of "
             "64 MB could be had for its next levels.\nProgramm will now "
             "exit !");
}

} // namespace kel
