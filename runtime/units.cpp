//===- units.cpp - Start-up and unload steps of the runtime units ---------===//

#include "units.h"

#include "logger.h"
#include "natives.h"
#include "repository_user.h"

namespace {

/// Runs `body` on the first of balanced calls.
struct UseCounter {
  int uses = 0;
  template <class F> void initialize(F body) {
    if (uses++ == 0)
      body();
  }
  template <class F> void finalize(F body) {
    if (uses > 0 && --uses == 0)
      body();
  }
};

void nothing() {}

UseCounter gTransprg, gStrroutine, gRepositoryuser, gKel_var, gLogger,
    gGlobalvars, gKel_functions, gUserdefinednativefunctions;

void destroyModelCaches() {
  kel::RepositoryChangeListener::destroy();
  kel::RepositoryUser::destroyPartnerLists();
  kel::Kel_ObjectIDListS::destroy();
}

} // namespace

extern "C" {

void Transprg_Initialize(void) { gTransprg.initialize(nothing); }
void Transprg_Finalize(void) { gTransprg.finalize(nothing); }
void Strroutine_Initialize(void) { gStrroutine.initialize(nothing); }
void Strroutine_Finalize(void) { gStrroutine.finalize(nothing); }
void Repositoryuser_Initialize(void) { gRepositoryuser.initialize(nothing); }
void Repositoryuser_Finalize(void) { gRepositoryuser.finalize(nothing); }
void Kel_var_Initialize(void) { gKel_var.initialize(nothing); }
void Kel_var_Finalize(void) { gKel_var.finalize(destroyModelCaches); }
void Logger_Initialize(void) { gLogger.initialize(nothing); }
void Logger_Finalize(void) { gLogger.finalize(kel::logger::close); }
void Globalvars_Initialize(void) { gGlobalvars.initialize(nothing); }
void Globalvars_Finalize(void) { gGlobalvars.finalize(nothing); }
void Kel_functions_Initialize(void) { gKel_functions.initialize(nothing); }
void Kel_functions_Finalize(void) { gKel_functions.finalize(nothing); }
void Userdefinednativefunctions_Initialize(void) {
  gUserdefinednativefunctions.initialize(kel::timers::resetUnnamed);
}
void Userdefinednativefunctions_Finalize(void) {
  gUserdefinednativefunctions.finalize(kel::timers::destroyNumbered);
}

} // extern "C"

namespace kel {

void initializeUnits() {
  Strroutine_Initialize();
  Repositoryuser_Initialize();
  Logger_Initialize();
  Kel_var_Initialize();
  Globalvars_Initialize();
  Userdefinednativefunctions_Initialize();
  Transprg_Initialize();
  Kel_functions_Initialize();
}

void finalizeUnits() {
  Kel_functions_Finalize();
  Transprg_Finalize();
  Userdefinednativefunctions_Finalize();
  Globalvars_Finalize();
  Kel_var_Finalize();
  Logger_Finalize();
  Repositoryuser_Finalize();
  Strroutine_Finalize();
}

} // namespace kel
