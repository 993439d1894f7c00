//===- module.cpp - Load and unload of the compiler module ----------------===//
//
// Loading the module runs the runtime units' initialisations; unloading runs
// their finalisations.
//
//===----------------------------------------------------------------------===//

#include "units.h"

namespace {

__attribute__((constructor)) void loadModule() { kel::initializeUnits(); }
__attribute__((destructor)) void unloadModule() { kel::finalizeUnits(); }

} // namespace
