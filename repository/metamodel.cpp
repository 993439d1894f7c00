//===- metamodel.cpp - Resolve the built-in metamodel tables --------------===//

#include "metamodel.h"

#include "metamodel_tables.h"

#include <stdexcept>

namespace zrep {

namespace {

[[noreturn]] void badTable(const std::string &what) {
  throw std::logic_error("built-in metamodel: " + what);
}

} // namespace

const Metamodel &Metamodel::builtin() {
  static const Metamodel instance;
  return instance;
}

Metamodel::Metamodel() {
  for (const EnumSpec &e : builtinEnums()) {
    EnumInfo info{std::string(e.name), {}};
    for (std::string_view lit : e.literals)
      info.literals.emplace_back(lit);
    enums_.push_back(std::move(info));
  }

  // Classes, with their direct subclasses in table order.
  const auto &classSpecs = builtinClasses();
  for (const ClassSpec &c : classSpecs) {
    ClassInfo info;
    info.id = kFirstClassId + static_cast<TypeId>(classes_.size());
    info.name = std::string(c.name);
    info.isAbstract = c.isAbstract;
    if (!classByName_.emplace(info.name, info.id))
      badTable("duplicate class " + info.name);
    classes_.push_back(std::move(info));
  }
  for (std::size_t i = 0; i < classSpecs.size(); ++i) {
    if (classSpecs[i].superclass.empty())
      continue;
    TypeId super = classId(classSpecs[i].superclass);
    if (super == 0)
      badTable("unknown superclass of " + classes_[i].name);
    classes_[i].superclass = super;
    classes_[super - kFirstClassId].subclasses.push_back(classes_[i].id);
  }

  // Attributes and ends are listed per class in inheritance order, so that a
  // member keeps one slot in its owner and every subclass. Supertypes come
  // before subtypes in this walk because it follows the preorder from roots.
  std::vector<TypeId> walk;
  for (const ClassInfo &c : classes_)
    if (c.superclass == 0)
      walk.push_back(c.id);
  for (std::size_t i = 0; i < walk.size(); ++i)
    for (TypeId sub : classes_[walk[i] - kFirstClassId].subclasses)
      walk.push_back(sub);
  if (walk.size() != classes_.size())
    badTable("inheritance cycle");

  auto enumIndex = [&](std::string_view type) {
    for (std::size_t i = 0; i < enums_.size(); ++i)
      if (enums_[i].name == type)
        return static_cast<int>(i);
    return -1;
  };
  for (TypeId id : walk) {
    ClassInfo &c = classes_[id - kFirstClassId];
    if (c.superclass != 0)
      c.attrs = classes_[c.superclass - kFirstClassId].attrs;
    for (const AttrSpec &a : classSpecs[id - kFirstClassId].attrs) {
      AttrInfo info;
      info.id = kFirstAttrId + static_cast<TypeId>(attrs_.size());
      info.name = std::string(a.name);
      info.owner = id;
      info.slot = static_cast<std::uint32_t>(c.attrs.size());
      if (a.type == "String")
        info.kind = AttrKind::String;
      else if (a.type == "Integer")
        info.kind = AttrKind::Integer;
      else if (a.type == "Boolean")
        info.kind = AttrKind::Boolean;
      else if ((info.enumIndex = enumIndex(a.type)) >= 0)
        info.kind = AttrKind::Enum;
      else
        badTable("unknown type of " + c.name + "." + info.name);
      c.attrs.push_back(info.id);
      attrs_.push_back(std::move(info));
    }
    for (TypeId a : c.attrs)
      if (!c.attrByName.emplace(attrInfo(a)->name, a))
        badTable("duplicate attribute " + c.name + "." + attrInfo(a)->name);
  }

  // Ends: two per association, each the other's inverse.
  const auto &assocs = builtinAssociations();
  auto ownerId = [&](std::string_view owner) -> TypeId {
    if (owner == "*")
      return 0;
    TypeId id = classId(owner);
    if (id == 0)
      badTable("unknown association owner " + std::string(owner));
    return id;
  };
  for (const AssocSpec &as : assocs) {
    TypeId a = ownerId(as.a.owner), b = ownerId(as.b.owner);
    TypeId ea = kFirstEndId + static_cast<TypeId>(ends_.size());
    ends_.push_back({ea, std::string(as.a.role), a, b, as.a.many, ea + 1, 0});
    ends_.push_back({ea + 1, std::string(as.b.role), b, a, as.b.many, ea, 0});
  }
  std::vector<TypeId> universal;
  for (EndInfo &e : ends_)
    if (e.owner == 0) {
      e.slot = static_cast<std::uint32_t>(universal.size());
      universal.push_back(e.id);
    }
  for (TypeId id : walk) {
    ClassInfo &c = classes_[id - kFirstClassId];
    c.ends = c.superclass != 0 ? classes_[c.superclass - kFirstClassId].ends
                               : universal;
    for (EndInfo &e : ends_)
      if (e.owner == id) {
        e.slot = static_cast<std::uint32_t>(c.ends.size());
        c.ends.push_back(e.id);
      }
    for (TypeId e : c.ends)
      if (!c.endByName.emplace(endInfo(e)->role, e))
        badTable("duplicate role " + c.name + "." + endInfo(e)->role);
  }

  std::size_t n = classes_.size();
  kindOf_.assign(n * n, false);
  for (const ClassInfo &c : classes_)
    for (TypeId a = c.id; a != 0; a = classes_[a - kFirstClassId].superclass)
      kindOf_[(c.id - kFirstClassId) * n + (a - kFirstClassId)] = true;

  // Preorder listings, children after parents: fill bottom-up.
  for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
    ClassInfo &c = classes_[*it - kFirstClassId];
    c.preorder.push_back(c.id);
    for (TypeId sub : c.subclasses) {
      const auto &p = classes_[sub - kFirstClassId].preorder;
      c.preorder.insert(c.preorder.end(), p.begin(), p.end());
    }
  }
}

TypeId Metamodel::classId(std::string_view name) const {
  return classByName_.find(name);
}

TypeId Metamodel::attrId(TypeId cls, std::string_view name) const {
  const ClassInfo *c = classInfo(cls);
  if (!c)
    return 0;
  return c->attrByName.find(name);
}

TypeId Metamodel::endId(TypeId cls, std::string_view role) const {
  const ClassInfo *c = classInfo(cls);
  if (!c)
    return 0;
  return c->endByName.find(role);
}

} // namespace zrep
