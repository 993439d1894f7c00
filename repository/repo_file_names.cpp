//===- repo_file_names.cpp - Names and places in loader problems ----------===//

#include "repo_file_loader.h"

namespace zrep::load {

const char *kindName(Kind k) {
  switch (k) {
  case Kind::Null:
    return "null";
  case Kind::Boolean:
    return "a boolean";
  case Kind::Object:
    return "an object";
  case Kind::Array:
    return "an array";
  case Kind::String:
    return "a string";
  case Kind::Number:
    return "a number";
  }
  return "a value";
}

std::string quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string where(std::size_t index, ObjectId id) {
  std::string at = "objects[" + std::to_string(index) + "]";
  return id > 0 ? "object " + std::to_string(id) + " (" + at + ")" : at;
}

std::size_t Names::Hash::operator()(std::string_view s) const noexcept {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (unsigned char c : s)
    h = (h ^ c) * 0x100000001b3ULL;
  return static_cast<std::size_t>(h ^ (h >> 29));
}

Names::Names(const Metamodel &mm) : mm_(mm) {
  auto intern = [&](const std::string &name) {
    return index_.emplace(name, static_cast<std::uint32_t>(index_.size()))
        .first->second;
  };
  for (const ClassInfo &c : mm.classes())
    intern(c.name);
  for (const AttrInfo &a : mm.attrs())
    intern(a.name);
  for (const EndInfo &e : mm.ends())
    intern(e.role);
  classes_.assign(index_.size(), 0);
  attrs_.assign(mm.classes().size(), std::vector<TypeId>(index_.size(), 0));
  ends_.assign(mm.classes().size(), std::vector<TypeId>(index_.size(), 0));
  for (const ClassInfo &c : mm.classes()) {
    classes_[index_.at(c.name)] = c.id;
    auto &attrs = attrs_[c.id - Metamodel::kFirstClassId];
    for (TypeId a : c.attrs)
      attrs[index_.at(mm.attrInfo(a)->name)] = a;
    auto &ends = ends_[c.id - Metamodel::kFirstClassId];
    for (TypeId e : c.ends)
      ends[index_.at(mm.endInfo(e)->role)] = e;
  }
}

std::uint32_t Names::lookup(std::string_view name) const {
  auto it = index_.find(name);
  return it == index_.end() ? UINT32_MAX : it->second;
}

TypeId Names::classId(std::string_view name) const {
  std::uint32_t i = lookup(name);
  return i == UINT32_MAX ? 0 : classes_[i];
}

TypeId Names::attrId(TypeId cls, std::string_view name) const {
  std::uint32_t i = lookup(name);
  return i == UINT32_MAX ? 0 : attrs_[cls - Metamodel::kFirstClassId][i];
}

TypeId Names::endId(TypeId cls, std::string_view role) const {
  std::uint32_t i = lookup(role);
  return i == UINT32_MAX ? 0 : ends_[cls - Metamodel::kFirstClassId][i];
}

} // namespace zrep::load
