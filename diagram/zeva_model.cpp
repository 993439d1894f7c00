//===- zeva_model.cpp - Reading ZEVA procedures for drawing ---------------===//

#include "zeva_model.h"

#include <utility>

namespace zdiagram {

ZevaModel::ZevaModel(const zrep::Repository &repo)
    : NamedAccess(repo), flowEnd_(mm_.classId("ZEVA::FlowEnd")),
      model_(mm_.classId("ZEVA::Model")) {
  const std::pair<const char *, Kind> classes[] = {
      {"ZEVA::ZEVAprocedure", Kind::Procedure},
      {"ZEVA::Start", Kind::Start},
      {"ZEVA::End", Kind::End},
      {"ZEVA::Rule", Kind::Rule},
      {"ZEVA::TextStatement", Kind::Text},
      {"ZEVA::CallStatement", Kind::Call},
      {"ZEVA::ForeachLoop", Kind::Foreach},
      {"ZEVA::WhileLoop", Kind::While},
      {"ZEVA::Flow", Kind::Flow},
      {"ZEVA::ClassElement", Kind::ClassElement},
      {"ZEVA::AssocLink", Kind::AssocLink},
      {"ZEVA::Link", Kind::Link},
      {"ZEVA::Parameter", Kind::Parameter},
      {"ZEVA::Variable", Kind::Variable},
  };
  kinds_.assign(mm_.classes().size() + zrep::Metamodel::kFirstClassId,
                Kind::Other);
  for (const auto &[name, kind] : classes) {
    zrep::TypeId id = mm_.classId(name);
    if (id > 0 && static_cast<std::size_t>(id) < kinds_.size())
      kinds_[static_cast<std::size_t>(id)] = kind;
  }
}

Kind ZevaModel::kind(ObjectId id) const {
  if (id <= 0 || !repo_.exists(id))
    return Kind::Other;
  auto cls = static_cast<std::size_t>(repo_.classOf(id));
  return cls < kinds_.size() ? kinds_[cls] : Kind::Other;
}

bool ZevaModel::isFlowEnd(ObjectId id) const {
  return id > 0 && repo_.exists(id) &&
         mm_.isKindOf(repo_.classOf(id), flowEnd_);
}

std::string ZevaModel::elementName(ObjectId element) const {
  for (const char *role : {"def", "referElem"})
    if (ObjectId other = one(element, role)) {
      std::string name = attr(other, "refName");
      if (!name.empty())
        return name;
    }
  return attr(element, "refName");
}

std::string ZevaModel::typeName(ObjectId typed) const {
  return attr(one(typed, "type"), "name");
}

std::string ZevaModel::elementClass(ObjectId element) const {
  std::string cls = typeName(one(element, "def"));
  if (cls.empty())
    cls = typeName(element);
  if (cls.empty())
    cls = typeName(one(element, "referElem"));
  return cls;
}

std::string ZevaModel::unitOf(ObjectId procedure) const {
  std::vector<std::string> names;
  ObjectId pkg = one(procedure, "owningPackage");
  // Containment cycles are refused on load; the bound only keeps a broken
  // repository made in memory from looping.
  for (std::size_t steps = 0; pkg && steps < 10000; ++steps) {
    if (!repo_.exists(pkg) || mm_.isKindOf(repo_.classOf(pkg), model_))
      break;
    names.push_back(attr(pkg, "name"));
    pkg = one(pkg, "owningPackage");
  }
  std::string unit;
  for (auto it = names.rbegin(); it != names.rend(); ++it)
    unit += (unit.empty() ? "" : "::") + *it;
  return unit;
}

} // namespace zdiagram
