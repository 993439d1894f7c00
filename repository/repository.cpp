//===- repository.cpp - In-memory object repository -----------------------===//

#include "repository.h"

#include <charconv>
#include <limits>

namespace zrep {

namespace {

const std::string kEmpty;

std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

/// An enumeration value may be given bare or qualified by its enumeration's
/// name; this returns the bare literal.
std::string_view bareLiteral(std::string_view value, const EnumInfo &en) {
  if (value.size() > en.name.size() + 2 && value.starts_with(en.name) &&
      value.substr(en.name.size(), 2) == "::")
    return value.substr(en.name.size() + 2);
  return value;
}

} // namespace

std::size_t
Repository::LinkKeyHash::operator()(const LinkKey &k) const noexcept {
  std::uint64_t ab =
      (static_cast<std::uint64_t>(static_cast<std::uint32_t>(k.a)) << 32) |
      static_cast<std::uint32_t>(k.b);
  return mix(ab ^ mix(static_cast<std::uint32_t>(k.end)));
}

std::size_t Repository::IdHash::operator()(ObjectId id) const noexcept {
  return mix(static_cast<std::uint32_t>(id));
}

Repository::Repository(const Metamodel &mm)
    : mm_(mm), extents_(mm.classes().size()) {}

Repository::~Repository() = default;

void Repository::reserve(std::size_t objects, std::size_t links) {
  objects_.reserve(objects);
  links_.reserve(links);
}

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
  if (nextId_ > std::numeric_limits<ObjectId>::max())
    return 0;
  return createObjectWithId(cls, static_cast<ObjectId>(nextId_));
}

ObjectId Repository::createObjectWithId(TypeId cls, ObjectId id) {
  const ClassInfo *c = mm_.classInfo(cls);
  if (!c || c->isAbstract || id <= 0 || objects_.find(id))
    return 0;
  Object *obj;
  if (freeObjects_.empty()) {
    obj = &pool_.emplace_back();
  } else {
    obj = freeObjects_.back();
    freeObjects_.pop_back();
  }
  obj->id = id;
  obj->cls = cls;
  Extent &ext = extents_[cls - Metamodel::kFirstClassId];
  obj->extentPos = static_cast<std::uint32_t>(ext.slots.size());
  ext.slots.push_back(obj);
  ++ext.live;
  obj->orderPos = static_cast<std::uint32_t>(order_.size());
  order_.push_back(obj);
  *objects_.tryEmplace(id).first = obj;
  if (id >= nextId_)
    nextId_ = static_cast<std::int64_t>(id) + 1;
  return id;
}

bool Repository::deleteObject(ObjectId id) {
  Object *o = find(id);
  if (!o)
    return false;
  // Unlink from every partner first; each removal leaves a hole on both
  // sides, so an object with many partners costs one step per link.
  const ClassInfo &c = *mm_.classInfo(o->cls);
  for (std::size_t i = 0; i < o->ends.size(); ++i) {
    const EndInfo &e = *mm_.endInfo(c.ends[o->ends[i].first]);
    // Removal may compact this list, so walk a copy.
    std::vector<ObjectId> partners = o->ends[i].second.slots;
    for (ObjectId p : partners)
      if (p)
        removeLink(e, *o, *find(p));
  }
  Extent &ext = extents_[o->cls - Metamodel::kFirstClassId];
  ext.slots[o->extentPos] = nullptr;
  --ext.live;
  if (ext.slots.size() > 2 * static_cast<std::size_t>(ext.live) + 16)
    compactExtent(o->cls);
  order_[o->orderPos] = nullptr;
  ++orderDead_;
  if (orderDead_ > order_.size() / 2 + 16)
    compactOrder();
  objects_.erase(id);
  *o = Object{};
  freeObjects_.push_back(o);
  return true;
}

Object *Repository::find(ObjectId id) {
  Object *const *o = objects_.find(id);
  return o ? *o : nullptr;
}

const Object *Repository::find(ObjectId id) const {
  const Object *const *o = objects_.find(id);
  return o ? *o : nullptr;
}

TypeId Repository::classOf(ObjectId id) const {
  const Object *o = find(id);
  return o ? o->cls : 0;
}

std::vector<const Object *> Repository::allObjects() const {
  std::vector<const Object *> out;
  out.reserve(objects_.size());
  for (const Object *o : order_)
    if (o)
      out.push_back(o);
  return out;
}

void Repository::compactExtent(TypeId cls) {
  Extent &ext = extents_[cls - Metamodel::kFirstClassId];
  std::size_t n = 0;
  for (Object *o : ext.slots)
    if (o) {
      o->extentPos = static_cast<std::uint32_t>(n);
      ext.slots[n++] = o;
    }
  ext.slots.resize(n);
}

void Repository::compactOrder() {
  std::size_t n = 0;
  for (Object *o : order_)
    if (o) {
      o->orderPos = static_cast<std::uint32_t>(n);
      order_[n++] = o;
    }
  order_.resize(n);
  orderDead_ = 0;
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
      return ext.slots[static_cast<std::size_t>(index)]->id;
    }
    index -= ext.live;
  }
  return 0;
}

//===----------------------------------------------------------------------===//
// Links
//===----------------------------------------------------------------------===//

bool Repository::endUsable(const EndInfo &e, TypeId cls) const {
  return e.owner == 0 || mm_.isKindOf(cls, e.owner);
}

Repository::LinkKey Repository::key(const EndInfo &e, ObjectId from,
                                    ObjectId to) const {
  return e.id < e.inverse ? LinkKey{e.id, from, to}
                          : LinkKey{e.inverse, to, from};
}

PartnerList *Repository::list(Object &o, const EndInfo &e, bool create) {
  for (auto &[slot, pl] : o.ends)
    if (slot == e.slot)
      return &pl;
  if (!create)
    return nullptr;
  o.ends.emplace_back(e.slot, PartnerList{});
  return &o.ends.back().second;
}

const PartnerList *Repository::list(const Object &o, const EndInfo &e) const {
  for (const auto &[slot, pl] : o.ends)
    if (slot == e.slot)
      return &pl;
  return nullptr;
}

std::uint32_t Repository::append(Object &o, const EndInfo &e,
                                 ObjectId partner) {
  PartnerList *pl = list(o, e, true);
  pl->slots.push_back(partner);
  ++pl->live;
  return static_cast<std::uint32_t>(pl->slots.size() - 1);
}

void Repository::removeLink(const EndInfo &e, Object &from, Object &to) {
  LinkKey k = key(e, from.id, to.id);
  const LinkPos *pos = links_.find(k);
  if (!pos)
    return;
  bool fromIsA = e.id < e.inverse;
  std::uint32_t fromPos = fromIsA ? pos->a : pos->b;
  std::uint32_t toPos = fromIsA ? pos->b : pos->a;
  links_.erase(k);
  const EndInfo &inv = *mm_.endInfo(e.inverse);
  PartnerList *fl = list(from, e, false);
  PartnerList *tl = list(to, inv, false);
  fl->slots[fromPos] = 0;
  --fl->live;
  tl->slots[toPos] = 0;
  --tl->live;
  // Keep at most as many holes as live entries; amortised O(1) per removal
  // and single-valued ends never hold more than two slots.
  if (fl->slots.size() > 2 * static_cast<std::size_t>(fl->live))
    compact(from, e, *fl);
  if (tl != fl && tl->slots.size() > 2 * static_cast<std::size_t>(tl->live))
    compact(to, inv, *tl);
}

void Repository::compact(Object &o, const EndInfo &e, PartnerList &pl) {
  bool isA = e.id < e.inverse;
  std::size_t n = 0;
  for (ObjectId p : pl.slots) {
    if (!p)
      continue;
    LinkPos &pos = *links_.find(key(e, o.id, p));
    (isA ? pos.a : pos.b) = static_cast<std::uint32_t>(n);
    pl.slots[n++] = p;
  }
  pl.slots.resize(n);
}

bool Repository::createLink(TypeId end, ObjectId from, ObjectId to) {
  const EndInfo *e = mm_.endInfo(end);
  Object *f = find(from);
  Object *t = find(to);
  if (!e || !f || !t || !endUsable(*e, f->cls) || !mm_.fitsTarget(end, t->cls))
    return false;
  if (links_.find(key(*e, from, to)))
    return true;
  const EndInfo &inv = *mm_.endInfo(e->inverse);
  if (!e->many)
    if (PartnerList *pl = list(*f, *e, false); pl && pl->live)
      for (ObjectId p : pl->slots)
        if (p) {
          removeLink(*e, *f, *find(p));
          break;
        }
  if (!inv.many)
    if (PartnerList *pl = list(*t, inv, false); pl && pl->live)
      for (ObjectId p : pl->slots)
        if (p) {
          removeLink(inv, *t, *find(p));
          break;
        }
  LinkPos pos;
  std::uint32_t fp = append(*f, *e, to);
  std::uint32_t tp = append(*t, inv, from);
  if (e->id < e->inverse)
    pos = {fp, tp};
  else
    pos = {tp, fp};
  *links_.tryEmplace(key(*e, from, to)).first = pos;
  return true;
}

bool Repository::deleteLink(TypeId end, ObjectId from, ObjectId to) {
  const EndInfo *e = mm_.endInfo(end);
  Object *f = find(from);
  Object *t = find(to);
  if (!e || !f || !t || !endUsable(*e, f->cls))
    return false;
  removeLink(*e, *f, *t);
  return true;
}

bool Repository::connected(TypeId end, ObjectId from, ObjectId to) const {
  const EndInfo *e = mm_.endInfo(end);
  return e && links_.find(key(*e, from, to));
}

std::int64_t Repository::partnerCount(ObjectId obj, TypeId end) const {
  const EndInfo *e = mm_.endInfo(end);
  const Object *o = find(obj);
  if (!e || !o || !endUsable(*e, o->cls))
    return 0;
  const PartnerList *pl = list(*o, *e);
  return pl ? pl->live : 0;
}

ObjectId Repository::partnerAt(ObjectId obj, TypeId end, std::int64_t index) {
  const EndInfo *e = mm_.endInfo(end);
  Object *o = find(obj);
  if (!e || !o || !endUsable(*e, o->cls) || index < 0)
    return 0;
  PartnerList *pl = list(*o, *e, false);
  if (!pl || index >= pl->live)
    return 0;
  if (pl->slots.size() != pl->live)
    compact(*o, *e, *pl);
  return pl->slots[static_cast<std::size_t>(index)];
}

std::vector<ObjectId> Repository::partners(ObjectId obj, TypeId end) const {
  std::vector<ObjectId> out;
  const EndInfo *e = mm_.endInfo(end);
  const Object *o = find(obj);
  if (!e || !o)
    return out;
  if (const PartnerList *pl = list(*o, *e))
    for (ObjectId p : pl->slots)
      if (p)
        out.push_back(p);
  return out;
}

Repository::LoadLink Repository::loadListedLink(TypeId end, ObjectId from,
                                                ObjectId to) {
  const EndInfo &e = *mm_.endInfo(end);
  Object &f = *find(from);
  Object *t = find(to);
  if (!t)
    return LoadLink::NoPartner;
  if (!mm_.fitsTarget(end, t->cls))
    return LoadLink::BadPartner;
  std::size_t capacity = links_.capacity();
  auto [pos, fresh] = links_.tryEmplace(key(e, from, to));
  if (links_.capacity() != capacity) // entries moved: find them again
    for (Pending &p : pending_)
      p.pos = links_.find(key(*p.end, p.from->id, p.to->id));
  std::uint32_t &mine = e.id < e.inverse ? pos->a : pos->b;
  if (!fresh && mine != kNoPos)
    return LoadLink::Duplicate;
  mine = append(f, e, to);
  pending_.push_back({pos, &e, &f, t});
  return LoadLink::Linked;
}

void Repository::loadFinish() {
  for (const Pending &p : pending_) {
    std::uint32_t &theirs = p.end->id < p.end->inverse ? p.pos->b : p.pos->a;
    if (theirs == kNoPos)
      theirs = append(*p.to, *mm_.endInfo(p.end->inverse), p.from->id);
  }
  pending_ = {};
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
  if (o->values.size() <= a->slot) {
    if (value.empty())
      return true;
    o->values.resize(mm_.classInfo(o->cls)->attrs.size());
  }
  o->values[a->slot] = value;
  return true;
}

const std::string &Repository::value(ObjectId obj, TypeId attr) const {
  const Object *o = find(obj);
  const AttrInfo *a = mm_.attrInfo(attr);
  if (!o || !a || a->slot >= o->values.size() ||
      !mm_.isKindOf(o->cls, a->owner))
    return kEmpty;
  return o->values[a->slot];
}

} // namespace zrep
