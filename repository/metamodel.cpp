//===- metamodel.cpp - Resolve metamodel specs into ids and lookups -------===//
//
// The built-in tables and run-time specs go through the same resolution, so
// both get ids, slots, extent orders and lookups by the same rules. A
// problem in the built-in tables is a programming error; in run-time specs,
// an input error reported at the item's origin.
//
//===----------------------------------------------------------------------===//

#include "metamodel.h"

#include "file_text.h"
#include "metamodel_tables.h"

#include <stdexcept>

namespace zrep {

namespace {

std::string quoted(std::string_view s) { return "\"" + printable(s) + "\""; }

using Problems = std::vector<MetamodelProblem>;

void add(Problems &problems, std::uint32_t origin, std::string message) {
  problems.push_back({origin, std::move(message)});
}

} // namespace

const Metamodel &Metamodel::builtin() {
  static const Metamodel instance = [] {
    Metamodel mm;
    Problems problems;
    mm.resolve(builtinClasses(), builtinEnums(), builtinAssociations(),
               problems);
    if (!problems.empty())
      throw std::logic_error("built-in metamodel: " + problems.front().message);
    return mm;
  }();
  return instance;
}

MetamodelBuild Metamodel::build(const MetamodelSpec &spec) {
  MetamodelBuild result;
  std::shared_ptr<Metamodel> mm(new Metamodel());
  mm->resolve(spec.classes, spec.enums, spec.assocs, result.problems);
  if (result.problems.empty())
    result.mm = std::move(mm);
  return result;
}

void Metamodel::resolve(const std::vector<ClassSpec> &classSpecs,
                        const std::vector<EnumSpec> &enumSpecs,
                        const std::vector<AssocSpec> &assocs,
                        Problems &problems) {
  NameMap enumByName;
  for (const EnumSpec &e : enumSpecs) {
    if (!enumByName.emplace(e.name, static_cast<TypeId>(enums_.size())))
      add(problems, e.origin, "duplicate enumeration " + quoted(e.name));
    EnumInfo info{std::string(e.name), {}};
    for (std::string_view lit : e.literals)
      info.literals.emplace_back(lit);
    enums_.push_back(std::move(info));
  }

  // Classes, with their direct subclasses in list order.
  constexpr std::size_t kMaxClasses = kFirstEndId - kFirstClassId;
  if (classSpecs.size() > kMaxClasses) {
    add(problems, classSpecs[kMaxClasses].origin,
        "too many classes: " + std::to_string(classSpecs.size()) +
            "; a metamodel holds at most " + std::to_string(kMaxClasses));
    return;
  }
  classes_.reserve(classSpecs.size());
  for (const ClassSpec &c : classSpecs) {
    ClassInfo info;
    info.id = kFirstClassId + static_cast<TypeId>(classes_.size());
    info.name = std::string(c.name);
    info.isAbstract = c.isAbstract;
    if (!classByName_.emplace(info.name, info.id))
      add(problems, c.origin, "duplicate class " + quoted(c.name));
    classes_.push_back(std::move(info));
  }
  for (std::size_t i = 0; i < classSpecs.size(); ++i) {
    const ClassSpec &c = classSpecs[i];
    if (c.superclass.empty())
      continue;
    TypeId super = classId(c.superclass);
    if (super == 0) {
      add(problems, c.superOrigin, "unknown class " + quoted(c.superclass));
      continue;
    }
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
  if (walk.size() != classes_.size()) {
    // The classes left out are on a cycle or below one: climb from each
    // until a class is met again; a class met in the same climb closes a
    // cycle, reported once at its generalization.
    std::vector<std::size_t> climb(classes_.size(), 0);
    for (TypeId id : walk)
      climb[id - kFirstClassId] = SIZE_MAX;
    for (std::size_t i = 0; i < classes_.size(); ++i) {
      std::size_t j = i;
      while (climb[j] == 0) {
        climb[j] = i + 1;
        j = static_cast<std::size_t>(classes_[j].superclass - kFirstClassId);
      }
      if (climb[j] != i + 1)
        continue;
      std::string path = printable(classes_[j].name);
      std::size_t k = j;
      do {
        k = static_cast<std::size_t>(classes_[k].superclass - kFirstClassId);
        path += " -> " + printable(classes_[k].name);
      } while (k != j);
      add(problems, classSpecs[j].superOrigin, "inheritance cycle: " + path);
    }
  }

  resolveAttrs(classSpecs, walk, enumByName, problems);
  resolveEnds(classSpecs, assocs, walk, problems);
  if (!problems.empty())
    return;

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

void Metamodel::resolveAttrs(const std::vector<ClassSpec> &classSpecs,
                             const std::vector<TypeId> &walk,
                             const NameMap &enumByName, Problems &problems) {
  for (TypeId id : walk) {
    ClassInfo &c = classes_[id - kFirstClassId];
    std::size_t inherited = 0;
    if (c.superclass != 0) {
      c.attrs = classes_[c.superclass - kFirstClassId].attrs;
      inherited = c.attrs.size();
      for (TypeId a : c.attrs)
        c.attrByName.emplace(attrInfo(a)->name, a);
    }
    for (const AttrSpec &a : classSpecs[id - kFirstClassId].attrs) {
      AttrInfo info;
      info.id = kFirstAttrId + static_cast<TypeId>(attrs_.size());
      info.name = std::string(a.name);
      info.owner = id;
      info.slot = static_cast<std::uint32_t>(c.attrs.size());
      if (a.type == "String") {
        info.kind = AttrKind::String;
      } else if (a.type == "Integer") {
        info.kind = AttrKind::Integer;
      } else if (a.type == "Boolean") {
        info.kind = AttrKind::Boolean;
      } else if ((info.enumIndex = enumByName.find(a.type, -1)) >= 0) {
        info.kind = AttrKind::Enum;
      } else {
        add(problems, a.origin,
            "unknown type " + quoted(a.type) + " of attribute " +
                quoted(a.name));
        continue;
      }
      if (!c.attrByName.emplace(info.name, info.id)) {
        TypeId from = attrInfo(c.attrByName.find(a.name))->owner;
        add(problems, a.origin,
            from == id ? "class " + quoted(c.name) + " has two attributes " +
                             quoted(a.name)
                       : "attribute " + quoted(a.name) + " of class " +
                             quoted(c.name) + " clashes with the one of " +
                             quoted(classes_[from - kFirstClassId].name));
        continue;
      }
      c.attrs.push_back(info.id);
      attrs_.push_back(std::move(info));
    }
    if (c.attrs.size() > kMaxClassAttrs && inherited <= kMaxClassAttrs)
      add(problems, classSpecs[id - kFirstClassId].origin,
          "class " + quoted(c.name) + " has " + std::to_string(c.attrs.size()) +
              " attributes, own and inherited; a class holds at most " +
              std::to_string(kMaxClassAttrs));
  }
}

void Metamodel::resolveEnds(const std::vector<ClassSpec> &classSpecs,
                            const std::vector<AssocSpec> &assocs,
                            const std::vector<TypeId> &walk,
                            Problems &problems) {
  constexpr std::size_t kMaxAssocs = (kFirstAttrId - kFirstEndId) / 2;
  if (assocs.size() > kMaxAssocs) {
    add(problems, assocs[kMaxAssocs].a.origin,
        "too many associations: " + std::to_string(assocs.size()) +
            "; a metamodel holds at most " + std::to_string(kMaxAssocs));
    return;
  }
  // Ends: two per association, each the other's inverse. An end whose owner
  // is unknown gets owner -1, which no class takes.
  std::vector<const EndSpec *> specs;
  auto ownerId = [&](const EndSpec &e) -> TypeId {
    if (e.owner == "*")
      return 0;
    TypeId id = classId(e.owner);
    if (id == 0) {
      add(problems, e.ownerOrigin, "unknown class " + quoted(e.owner));
      return -1;
    }
    return id;
  };
  auto push = [&](const EndSpec &e, TypeId owner, TypeId target,
                  TypeId inverseStep) {
    EndInfo info;
    info.id = kFirstEndId + static_cast<TypeId>(ends_.size());
    info.role = std::string(e.role);
    info.owner = owner;
    info.target = target;
    info.many = e.many;
    info.composite = e.composite;
    info.ordered = e.ordered;
    info.lower = e.lower;
    info.inverse = info.id + inverseStep;
    ends_.push_back(std::move(info));
    specs.push_back(&e);
  };
  for (const AssocSpec &as : assocs) {
    TypeId a = ownerId(as.a), b = ownerId(as.b);
    push(as.a, a, b, 1);
    push(as.b, b, a, -1);
  }

  std::vector<TypeId> universal;
  NameMap universalByName;
  std::vector<std::vector<TypeId>> own(classes_.size());
  for (EndInfo &e : ends_) {
    if (e.owner > 0) {
      own[e.owner - kFirstClassId].push_back(e.id);
    } else if (e.owner == 0) {
      if (!universalByName.emplace(e.role, e.id)) {
        add(problems, specs[e.id - kFirstEndId]->origin,
            "two ends of every class are named " + quoted(e.role));
        continue;
      }
      e.slot = static_cast<std::uint32_t>(universal.size());
      universal.push_back(e.id);
    }
  }
  for (TypeId id : walk) {
    ClassInfo &c = classes_[id - kFirstClassId];
    c.ends = c.superclass != 0 ? classes_[c.superclass - kFirstClassId].ends
                               : universal;
    std::size_t inherited = c.ends.size();
    for (TypeId e : c.ends)
      c.endByName.emplace(endInfo(e)->role, e);
    for (TypeId eid : own[id - kFirstClassId]) {
      EndInfo &e = ends_[eid - kFirstEndId];
      if (!c.endByName.emplace(e.role, e.id)) {
        TypeId from = endInfo(c.endByName.find(e.role))->owner;
        std::string other =
            from == 0
                ? "the end every class has"
                : "the one of " + quoted(classes_[from - kFirstClassId].name);
        add(problems, specs[e.id - kFirstEndId]->origin,
            from == c.id ? "class " + quoted(c.name) +
                               " has two association ends " + quoted(e.role)
                         : "association end " + quoted(e.role) + " of class " +
                               quoted(c.name) + " clashes with " + other);
        continue;
      }
      e.slot = static_cast<std::uint32_t>(c.ends.size());
      c.ends.push_back(e.id);
    }
    if (c.ends.size() > kMaxClassEnds && inherited <= kMaxClassEnds)
      add(problems, classSpecs[id - kFirstClassId].origin,
          "class " + quoted(c.name) + " has " + std::to_string(c.ends.size()) +
              " association ends, own and inherited; a class holds at most " +
              std::to_string(kMaxClassEnds));
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
