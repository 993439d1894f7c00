//===- metamodel_tables.h - Built-in metamodel as plain data ----*- C++ -*-===//
//
// The repository's one metamodel, written as tables. `Metamodel` turns these
// into ids and lookup maps; nothing else reads them.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <string_view>
#include <vector>

namespace zrep {

/// An attribute: its name and type. The type is "String", "Integer",
/// "Boolean" or the name of one of the enumerations.
struct AttrSpec {
  std::string_view name;
  std::string_view type;
};

/// A class. Direct subclasses of a class are reported in the order in which
/// they appear in the class table, which fixes every extent order.
struct ClassSpec {
  std::string_view name;       ///< "Package::Class" or a plain name.
  std::string_view superclass; ///< Empty for a root class.
  bool isAbstract;
  std::vector<AttrSpec> attrs; ///< Own attributes only.
};

struct EnumSpec {
  std::string_view name;
  std::vector<std::string_view> literals;
};

/// One end of an association: `role` is the end's name as seen from `owner`;
/// it leads to the partner end's owner. `many` is false for a single-valued
/// end. The owner "*" stands for every class of the metamodel.
struct EndSpec {
  std::string_view owner;
  std::string_view role;
  bool many;
};

/// An association: two ends that name each other as inverses.
struct AssocSpec {
  EndSpec a;
  EndSpec b;
};

const std::vector<ClassSpec> &builtinClasses();
const std::vector<EnumSpec> &builtinEnums();
const std::vector<AssocSpec> &builtinAssociations();

} // namespace zrep
