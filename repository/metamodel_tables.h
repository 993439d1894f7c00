//===- metamodel_tables.h - Built-in metamodel as plain data ----*- C++ -*-===//
//
// The repository's built-in metamodel, written as tables. `Metamodel` turns
// these into ids and lookup maps; nothing else reads them.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "metamodel_description.h"

namespace zrep {

const std::vector<ClassSpec> &builtinClasses();
const std::vector<EnumSpec> &builtinEnums();
const std::vector<AssocSpec> &builtinAssociations();

} // namespace zrep
