//===- transprg.cpp - The run frame of the compiler module ----------------===//

#include "transprg.h"

#include "qta_rep.h"
#include "repository_user.h"

extern "C" void Kel_LibMain(void) {
  kel::RepositoryUser::raiseGeneration();
  if (!_StartSaveTransaction1(0, 0, "")) {
    kel::showMessage("transaction was NOT started \n");
    return; // the run stops here: nothing was read or written
  }
  try {
    zeva::Main();
  } catch (...) {
    // Aborts end Main; what was written before stays and is committed.
  }
  if (!_CommitSaveTransaction())
    kel::showMessage("transaction was NOT Ended \n");
}

extern "C" void Kel_SetDialogHooks(const kel::DialogHooks *hooks) {
  kel::setDialogHooks(hooks ? *hooks : kel::DialogHooks{});
}
