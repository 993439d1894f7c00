//===- repo_file_names.cpp - Names and places in loader problems ----------===//

#include "repo_file_loader.h"

#include "file_text.h"

#include <cstring>

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

std::string quote(std::string_view s) { return "\"" + printable(s) + "\""; }

std::string where(std::size_t index, ObjectId id) {
  std::string at = "objects[" + std::to_string(index) + "]";
  return id > 0 ? "object " + std::to_string(id) + " (" + at + ")" : at;
}

std::uint64_t Names::hash(std::string_view s) {
  // Names differ in length or in their first or last eight bytes.
  std::uint64_t a = 0, b = 0;
  std::size_t n = s.size();
  if (n >= 8) {
    std::memcpy(&a, s.data(), 8);
    std::memcpy(&b, s.data() + n - 8, 8);
  } else {
    std::memcpy(&a, s.data(), n);
  }
  std::uint64_t h = a * 0x9e3779b97f4a7c15ULL ^ (b + n) * 0xc2b2ae3d27d4eb4fULL;
  return h ^ (h >> 29);
}

std::uint32_t Names::lookup(std::string_view name) const {
  std::size_t mask = table_.size() - 1;
  for (std::size_t i = hash(name) & mask;; i = (i + 1) & mask) {
    std::uint32_t v = table_[i];
    if (v == 0)
      return UINT32_MAX;
    if (names_[v - 1] == name)
      return v - 1;
  }
}

std::uint32_t Names::intern(std::string_view name) {
  if (std::uint32_t i = lookup(name); i != UINT32_MAX)
    return i;
  std::size_t mask = table_.size() - 1;
  std::size_t i = hash(name) & mask;
  while (table_[i])
    i = (i + 1) & mask;
  names_.push_back(name);
  table_[i] = static_cast<std::uint32_t>(names_.size());
  return static_cast<std::uint32_t>(names_.size() - 1);
}

Names::Names(const Metamodel &mm) : mm_(mm) {
  std::size_t size = 16;
  while (size <
         4 * (mm.classes().size() + mm.attrs().size() + mm.ends().size()))
    size *= 2;
  table_.assign(size, 0);
  for (const ClassInfo &c : mm.classes())
    intern(c.name);
  for (const AttrInfo &a : mm.attrs())
    intern(a.name);
  for (const EndInfo &e : mm.ends())
    intern(e.role);
  std::size_t n = names_.size();
  classes_.assign(n, 0);
  for (const ClassInfo &c : mm.classes())
    classes_[lookup(c.name)] = c.id;
  if (mm.classes().size() * n > kMaxRows) {
    rows_ = false;
    return;
  }
  attrs_.assign(mm.classes().size() * n, 0);
  ends_.assign(mm.classes().size() * n, 0);
  for (const ClassInfo &c : mm.classes()) {
    std::size_t row = (c.id - Metamodel::kFirstClassId) * n;
    for (TypeId a : c.attrs)
      attrs_[row + lookup(mm.attrInfo(a)->name)] = a;
    for (TypeId e : c.ends)
      ends_[row + lookup(mm.endInfo(e)->role)] = e;
  }
}

TypeId Names::classId(std::string_view name) const {
  std::uint32_t i = lookup(name);
  return i == UINT32_MAX ? 0 : classes_[i];
}

TypeId Names::attrId(TypeId cls, std::string_view name) const {
  if (!rows_)
    return mm_.attrId(cls, name);
  std::uint32_t i = lookup(name);
  return i == UINT32_MAX
             ? 0
             : attrs_[(cls - Metamodel::kFirstClassId) * names_.size() + i];
}

TypeId Names::endId(TypeId cls, std::string_view role) const {
  if (!rows_)
    return mm_.endId(cls, role);
  std::uint32_t i = lookup(role);
  return i == UINT32_MAX
             ? 0
             : ends_[(cls - Metamodel::kFirstClassId) * names_.size() + i];
}

} // namespace zrep::load
