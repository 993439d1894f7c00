//===- metamodel_description.h - A metamodel as plain data ----*- C++ -*-===//
//
// What a `Metamodel` is made from: the built-in tables, or specs put together
// at run time (from a metamodel script). Names are views that need to live
// only while the metamodel is built; they must be UTF-8 without NUL, as a
// repository file holds them. Each item may carry an origin of the caller's
// choosing (the script reader passes text offsets); a problem names the
// origin of the item it concerns.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zrep {

class Metamodel;

/// An attribute: its name and type. The type is "String", "Integer",
/// "Boolean" or the name of one of the enumerations.
struct AttrSpec {
  std::string_view name;
  std::string_view type;
  std::uint32_t origin = 0;
};

/// A class. Direct subclasses of a class are reported in the order in which
/// they appear in the class list, which fixes every extent order.
struct ClassSpec {
  std::string_view name;       ///< "Package::Class" or a plain name.
  std::string_view superclass; ///< Empty for a root class.
  bool isAbstract;
  std::vector<AttrSpec> attrs; ///< Own attributes only.
  std::uint32_t origin = 0;
  std::uint32_t superOrigin = 0; ///< Where the superclass is named.
};

struct EnumSpec {
  std::string_view name;
  std::vector<std::string_view> literals;
  std::uint32_t origin = 0;
};

/// One end of an association: `role` is the end's name as seen from `owner`;
/// it leads to the partner end's owner. `many` is false for a single-valued
/// end. The owner "*" stands for every class of the metamodel. A composite
/// end owns its partners: no object may own itself through composite ends.
/// `lower` and `ordered` are kept for the metamodel's users; the repository
/// keeps every end in linking order and checks no lower bound.
struct EndSpec {
  std::string_view owner;
  std::string_view role;
  bool many;
  bool composite = false;
  int lower = 0;
  bool ordered = false;
  std::uint32_t origin = 0;      ///< Where the role is named.
  std::uint32_t ownerOrigin = 0; ///< Where the owner is named.
};

/// An association: two ends that name each other as inverses.
struct AssocSpec {
  EndSpec a;
  EndSpec b;
};

struct MetamodelSpec {
  std::vector<ClassSpec> classes;
  std::vector<EnumSpec> enums;
  std::vector<AssocSpec> assocs;
};

struct MetamodelProblem {
  std::uint32_t origin;
  std::string message;
};

struct MetamodelBuild {
  std::shared_ptr<const Metamodel> mm; ///< Null when there were problems.
  /// In the order found; every problem of the specs is reported.
  std::vector<MetamodelProblem> problems;
};

} // namespace zrep
