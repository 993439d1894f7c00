//===- repository.cpp - Objects, extents and attribute values -------------===//

#include "repository.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>

namespace zrep {

namespace {

/// An enumeration value may be given bare or qualified by its enumeration's
/// name; this returns the bare literal.
std::string_view bareLiteral(std::string_view value, const EnumInfo &en) {
  if (value.size() > en.name.size() + 2 && value.starts_with(en.name) &&
      value.substr(en.name.size(), 2) == "::")
    return value.substr(en.name.size() + 2);
  return value;
}

} // namespace

Repository::Repository(std::shared_ptr<const Metamodel> mm)
    : keep_(std::move(mm)), mm_(keep_ ? *keep_ : Metamodel::builtin()),
      extents_(mm_.classes().size()) {
  checkRecords();
}

Repository::Repository(const Metamodel &mm)
    : mm_(mm), extents_(mm.classes().size()) {
  checkRecords();
}

void Repository::checkRecords() const {
  // Records keep a class in 16 bits and an end count in 8. A metamodel
  // keeps within these limits (Metamodel::kMaxClassEnds and the id ranges).
  static_assert(
      Metamodel::kMaxClassEnds < BlockPool<EndRef>::kMaxBlock &&
      Metamodel::kMaxClassAttrs <= BlockPool<std::uint32_t>::kMaxBlock &&
      Metamodel::kFirstEndId <= std::numeric_limits<std::uint16_t>::max());
  for (const ClassInfo &c : mm_.classes())
    if (c.id > std::numeric_limits<std::uint16_t>::max() ||
        c.ends.size() >= BlockPool<EndRef>::kMaxBlock ||
        c.attrs.size() > BlockPool<std::uint32_t>::kMaxBlock)
      throw std::logic_error("repository: class " + c.name +
                             " does not fit the object records");
}

Repository::~Repository() = default;

bool Repository::startTransaction() {
  if (inTransaction_)
    return false;
  inTransaction_ = true;
  return true;
}

bool Repository::commitTransaction() {
  if (!inTransaction_)
    return false;
  inTransaction_ = false;
  return true;
}

//===----------------------------------------------------------------------===//
// Objects
//===----------------------------------------------------------------------===//

ObjectId Repository::createObject(TypeId cls) {
  if (!hasFreeId()) {
    idsRanOut_ = true;
    return 0;
  }
  return createObjectWithId(cls, static_cast<ObjectId>(nextId_));
}

ObjectId Repository::createObjectWithId(TypeId cls, ObjectId id) {
  const ClassInfo *c = mm_.classInfo(cls);
  if (!c || c->isAbstract || id <= 0 || exists(id))
    return 0;
  if ((recordCount_ >> kRecordBits) >= records_.size())
    records_.push_back(
        std::make_unique_for_overwrite<Object[]>(kRecordMask + 1));
  std::uint32_t slot = recordCount_++;
  Extent &ext = extents_[cls - Metamodel::kFirstClassId];
  record(slot) = Object{id,
                        static_cast<std::uint16_t>(cls),
                        0,
                        0,
                        static_cast<std::uint32_t>(ext.slots.size()),
                        0,
                        0};
  ext.slots.push_back(id);
  ++ext.live;
  ids_.insert(id, slot);
  if (id >= nextId_)
    nextId_ = static_cast<std::int64_t>(id) + 1;
  return id;
}

bool Repository::deleteObject(ObjectId id) {
  Object *o = find(id);
  if (!o)
    return false;
  ++removals_;
  ++objectRemovals_;
  unlinkAll(*o);
  releaseValues(*o);
  Extent &ext = extents_[o->cls - Metamodel::kFirstClassId];
  ext.slots[o->extentPos] = 0;
  --ext.live;
  ids_.erase(id);
  o->id = 0;
  ++dead_;
  if (ext.slots.size() > 2 * static_cast<std::size_t>(ext.live) + 16)
    compactExtent(o->cls);
  if (dead_ > recordCount_ / 2 + 16)
    compactOrder();
  return true;
}

Object *Repository::find(ObjectId id) {
  std::uint32_t slot = ids_.find(id);
  return slot == IdIndex::kNone ? nullptr : &record(slot);
}

const Object *Repository::find(ObjectId id) const {
  std::uint32_t slot = ids_.find(id);
  return slot == IdIndex::kNone ? nullptr : &record(slot);
}

TypeId Repository::classOf(ObjectId id) const {
  const Object *o = find(id);
  return o ? o->cls : 0;
}

void Repository::prefetchBlocks(const Object &o) const {
  if (o.ends)
    __builtin_prefetch(endBlocks_.at(o.ends));
  if (o.values)
    __builtin_prefetch(valueBlocks_.at(o.values));
}

void Repository::prefetchTexts(const Object &o) const {
  if (o.values) {
    const std::uint32_t *slots = valueBlocks_.at(o.values);
    for (std::size_t i = 0, n = classInfo(o).attrs.size(); i < n; ++i)
      if (slots[i])
        strings_.prefetch(slots[i]);
  }
  const EndRef *refs = o.endCount ? endBlocks_.at(o.ends) : nullptr;
  for (std::uint32_t k = 0; k < o.endCount; ++k)
    if (refs[k].spilled)
      __builtin_prefetch(
          spills_[static_cast<std::uint32_t>(refs[k].v)].slots.data());
}

std::vector<const Object *> Repository::allObjects() const {
  std::vector<const Object *> out;
  out.reserve(objectCount());
  forEachObject([&](const Object &o) { out.push_back(&o); });
  return out;
}

void Repository::compactExtent(TypeId cls) {
  Extent &ext = extents_[cls - Metamodel::kFirstClassId];
  std::size_t n = 0;
  for (ObjectId id : ext.slots)
    if (id) {
      record(ids_.find(id)).extentPos = static_cast<std::uint32_t>(n);
      ext.slots[n++] = id;
    }
  ext.slots.resize(n);
}

void Repository::compactOrder() {
  std::uint32_t n = 0;
  for (std::uint32_t i = 0; i < recordCount_; ++i) {
    Object &o = record(i);
    if (!o.id)
      continue;
    if (i != n) {
      record(n) = o;
      ids_.update(o.id, n);
    }
    ++n;
  }
  recordCount_ = n;
  dead_ = 0;
  records_.resize((n + kRecordMask) >> kRecordBits);
}

std::int64_t Repository::extentSize(TypeId cls) const {
  const ClassInfo *c = mm_.classInfo(cls);
  if (!c)
    return 0;
  std::int64_t n = 0;
  for (TypeId sub : c->preorder)
    n += extents_[sub - Metamodel::kFirstClassId].live;
  return n;
}

ObjectId Repository::extentAt(TypeId cls, std::int64_t index) {
  const ClassInfo *c = mm_.classInfo(cls);
  if (!c || index < 0)
    return 0;
  for (TypeId sub : c->preorder) {
    Extent &ext = extents_[sub - Metamodel::kFirstClassId];
    if (index < ext.live) {
      if (ext.slots.size() != ext.live)
        compactExtent(sub);
      return ext.slots[static_cast<std::size_t>(index)];
    }
    index -= ext.live;
  }
  return 0;
}

//===----------------------------------------------------------------------===//
// Attribute values
//===----------------------------------------------------------------------===//

bool Repository::checkValue(TypeId attr, std::string_view value) const {
  const AttrInfo *a = mm_.attrInfo(attr);
  if (!a)
    return false;
  if (value.empty())
    return true;
  switch (a->kind) {
  case AttrKind::String:
  case AttrKind::Boolean:
    return true;
  case AttrKind::Integer: {
    std::int32_t n;
    auto [end, ec] =
        std::from_chars(value.data(), value.data() + value.size(), n);
    return ec == std::errc() && end == value.data() + value.size();
  }
  case AttrKind::Enum: {
    const EnumInfo &en = mm_.enums()[a->enumIndex];
    std::string_view bare = bareLiteral(value, en);
    for (const std::string &lit : en.literals)
      if (lit == bare)
        return true;
    return false;
  }
  }
  return false;
}

bool Repository::setValue(ObjectId obj, TypeId attr, std::string_view value) {
  Object *o = find(obj);
  const AttrInfo *a = mm_.attrInfo(attr);
  if (!o || !a || !mm_.isKindOf(o->cls, a->owner) || !checkValue(attr, value))
    return false;
  if (a->kind == AttrKind::Enum)
    value = bareLiteral(value, mm_.enums()[a->enumIndex]);
  if (!o->values) {
    if (value.empty())
      return true;
    auto n = static_cast<std::uint32_t>(classInfo(*o).attrs.size());
    o->values = valueBlocks_.allocate(BlockPool<std::uint32_t>::classFor(n));
    std::fill_n(valueBlocks_.at(o->values), n, 0u);
  }
  std::uint32_t &slot = valueBlocks_.at(o->values)[a->slot];
  std::uint32_t text = strings_.acquire(value);
  strings_.release(slot);
  slot = text;
  return true;
}

void Repository::releaseValues(Object &o) {
  if (!o.values)
    return;
  auto n = static_cast<std::uint32_t>(classInfo(o).attrs.size());
  const std::uint32_t *slots = valueBlocks_.at(o.values);
  for (std::uint32_t i = 0; i < n; ++i)
    strings_.release(slots[i]);
  valueBlocks_.release(o.values, BlockPool<std::uint32_t>::classFor(n));
  o.values = 0;
}

std::string_view Repository::valueView(ObjectId obj, TypeId attr) const {
  const Object *o = find(obj);
  const AttrInfo *a = mm_.attrInfo(attr);
  if (!o || !a || !o->values || !mm_.isKindOf(o->cls, a->owner))
    return {"", 0};
  return strings_.view(valueBlocks_.at(o->values)[a->slot]);
}

std::string Repository::value(ObjectId obj, TypeId attr) const {
  return std::string(valueView(obj, attr));
}

} // namespace zrep
