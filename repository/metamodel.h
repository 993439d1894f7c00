//===- metamodel.h - Resolved metamodel with ids and lookups ----*- C++ -*-===//
//
// Classes, attributes and association ends of a metamodel, each with a
// repository id: the built-in metamodel, or one built at run time from specs
// (metamodel_description.h). Class, end and attribute ids share one id space,
// so a type id names exactly one thing; 0 is the bad id of every kind.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "name_table.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zrep {

struct ClassSpec;
struct EnumSpec;
struct AssocSpec;
struct MetamodelSpec;
struct MetamodelProblem;
struct MetamodelBuild;

using TypeId = std::int32_t;

enum class AttrKind { String, Integer, Boolean, Enum };

struct EnumInfo {
  std::string name;
  std::vector<std::string> literals;
};

struct AttrInfo {
  TypeId id = 0;
  std::string name;
  TypeId owner = 0;
  AttrKind kind = AttrKind::String;
  int enumIndex = -1;     ///< Index into `Metamodel::enums()` for Enum.
  std::uint32_t slot = 0; ///< Same in the owner and all its subclasses.
};

struct EndInfo {
  TypeId id = 0;
  std::string role;
  TypeId owner = 0;  ///< 0: the end is usable from every class.
  TypeId target = 0; ///< 0: any class may be the partner.
  bool many = false;
  bool composite = false; ///< The owner owns its partners at this end.
  bool ordered = false;   ///< As declared; every end keeps linking order.
  int lower = 0;          ///< As declared; not checked.
  TypeId inverse = 0;
  std::uint32_t slot = 0; ///< Same in the owner and all its subclasses.
};

using NameMap = NameTable;

struct ClassInfo {
  TypeId id = 0;
  std::string name;
  TypeId superclass = 0;
  bool isAbstract = false;
  std::vector<TypeId> subclasses; ///< Direct subclasses, in reported order.
  std::vector<TypeId> preorder;   ///< Itself, then each subclass's preorder.
  std::vector<TypeId> attrs;      ///< Inherited first, then own.
  std::vector<TypeId> ends;       ///< Universal, inherited, then own.
  NameMap attrByName;
  NameMap endByName;
};

class Metamodel {
public:
  /// The built-in metamodel; built on first use.
  static const Metamodel &builtin();
  /// A metamodel made at run time. Nothing is made when the specs have a
  /// problem: an unknown or duplicate name, an inheritance cycle, an
  /// attribute or role that clashes within a class, or more classes, ends
  /// or members per class than the id ranges and object records allow.
  static MetamodelBuild build(const MetamodelSpec &spec);

  TypeId classId(std::string_view name) const;
  const ClassInfo *classInfo(TypeId id) const {
    auto i = static_cast<std::size_t>(id - kFirstClassId);
    return id >= kFirstClassId && i < classes_.size() ? &classes_[i] : nullptr;
  }
  const EndInfo *endInfo(TypeId id) const {
    auto i = static_cast<std::size_t>(id - kFirstEndId);
    return id >= kFirstEndId && i < ends_.size() ? &ends_[i] : nullptr;
  }
  const AttrInfo *attrInfo(TypeId id) const {
    auto i = static_cast<std::size_t>(id - kFirstAttrId);
    return id >= kFirstAttrId && i < attrs_.size() ? &attrs_[i] : nullptr;
  }
  /// Attribute of `cls` (own or inherited) by name; 0 when none.
  TypeId attrId(TypeId cls, std::string_view name) const;
  /// End usable from `cls` by role; 0 when none.
  TypeId endId(TypeId cls, std::string_view role) const;
  /// True when `cls` is `ancestor` or one of its subclasses.
  bool isKindOf(TypeId cls, TypeId ancestor) const {
    auto c = static_cast<std::size_t>(cls - kFirstClassId);
    auto a = static_cast<std::size_t>(ancestor - kFirstClassId);
    std::size_t n = classes_.size();
    return cls >= kFirstClassId && ancestor >= kFirstClassId && c < n &&
           a < n && kindOf_[c * n + a];
  }
  /// True when an object of class `cls` may be the partner at end `end`.
  bool fitsTarget(TypeId end, TypeId cls) const {
    const EndInfo *e = endInfo(end);
    return e && classInfo(cls) && (e->target == 0 || isKindOf(cls, e->target));
  }

  const std::vector<ClassInfo> &classes() const { return classes_; }
  const std::vector<EndInfo> &ends() const { return ends_; }
  const std::vector<AttrInfo> &attrs() const { return attrs_; }
  const std::vector<EnumInfo> &enums() const { return enums_; }

  /// Id ranges: classes, then ends, then attributes.
  static constexpr TypeId kFirstClassId = 1;
  static constexpr TypeId kFirstEndId = 10000;
  static constexpr TypeId kFirstAttrId = 20000;
  /// What one class may hold, for the object records: attributes, and ends
  /// (own, inherited and universal).
  static constexpr std::size_t kMaxClassAttrs = 256;
  static constexpr std::size_t kMaxClassEnds = 255;

private:
  Metamodel() = default;
  /// Turns specs into ids, slots and lookups; adds what is wrong to
  /// `problems`, after which the metamodel is incomplete.
  void resolve(const std::vector<ClassSpec> &classes,
               const std::vector<EnumSpec> &enums,
               const std::vector<AssocSpec> &assocs,
               std::vector<MetamodelProblem> &problems);
  void resolveAttrs(const std::vector<ClassSpec> &classes,
                    const std::vector<TypeId> &walk, const NameMap &enums,
                    std::vector<MetamodelProblem> &problems);
  void resolveEnds(const std::vector<ClassSpec> &classes,
                   const std::vector<AssocSpec> &assocs,
                   const std::vector<TypeId> &walk,
                   std::vector<MetamodelProblem> &problems);
  std::vector<ClassInfo> classes_;
  std::vector<EndInfo> ends_;
  std::vector<AttrInfo> attrs_;
  std::vector<EnumInfo> enums_;
  NameMap classByName_;
  /// kindOf_[c * classes + a]: class c is class a or one of its subclasses.
  std::vector<bool> kindOf_;
};

} // namespace zrep
