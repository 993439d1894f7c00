//===- cycle_check.cpp - Cycles in walks over the model -------------------===//

#include "cycle_check.h"

#include "kel_var.h"

#include <string>

namespace kel {

void abortCycle(const char *walk, ObjectId id, const char *role) {
  abortRun("The model is cyclic in " + std::string(walk) + ": following \"" +
           role + "\" from " +
           RepositoryUser::typeName(RepositoryUser::classOf(id)) + " #" +
           std::to_string(id) + " leads back to it.\nProgramm will now exit !");
}

} // namespace kel
