//===- repository_links.cpp - Ordered links between objects ---------------===//
//
// A link is kept at both of its ends and nowhere else. Whether a pair is
// linked is answered by the shorter of its two lists: with one single-valued
// end (nearly every association) that is one comparison. A list longer than
// kScan entries gets an index of positions the first time a lookup needs
// one, and keeps it while it lives.
//
//===----------------------------------------------------------------------===//

#include "repository.h"

#include <algorithm>

namespace zrep {

namespace {

/// Lists up to this long are searched; longer ones are indexed.
constexpr std::size_t kScan = 32;

} // namespace

bool Repository::endUsable(const EndInfo &e, TypeId cls) const {
  return e.owner == 0 || mm_.isKindOf(cls, e.owner);
}

//===----------------------------------------------------------------------===//
// Partner lists
//===----------------------------------------------------------------------===//

Repository::EndRef *Repository::endRef(Object &o, std::uint32_t slot) {
  if (!o.endCount)
    return nullptr;
  EndRef *refs = endBlocks_.at(o.ends);
  for (std::uint32_t k = 0; k < o.endCount; ++k)
    if (refs[k].slot == slot)
      return &refs[k];
  return nullptr;
}

const Repository::EndRef *Repository::endRef(const Object &o,
                                             std::uint32_t slot) const {
  return const_cast<Repository *>(this)->endRef(const_cast<Object &>(o), slot);
}

Repository::EndRef &Repository::addEnd(Object &o, std::uint32_t slot) {
  using Pool = BlockPool<EndRef>;
  if (!o.ends) {
    o.ends = endBlocks_.allocate(0);
    o.endClass = 0;
  } else if (o.endCount == Pool::capacity(o.endClass)) {
    unsigned cls = Pool::classFor(o.endCount + 1u);
    std::uint32_t block = endBlocks_.allocate(cls);
    std::copy_n(endBlocks_.at(o.ends), o.endCount, endBlocks_.at(block));
    endBlocks_.release(o.ends, o.endClass);
    o.ends = block;
    o.endClass = static_cast<std::uint8_t>(cls);
  }
  EndRef &r = endBlocks_.at(o.ends)[o.endCount++];
  r = {static_cast<std::uint16_t>(slot), 0, 0};
  return r;
}

void Repository::dropEnd(Object &o, std::uint32_t slot) {
  EndRef *refs = endBlocks_.at(o.ends);
  std::uint32_t k = 0;
  while (refs[k].slot != slot)
    ++k;
  std::copy(refs + k + 1, refs + o.endCount, refs + k);
  if (--o.endCount == 0) {
    endBlocks_.release(o.ends, o.endClass);
    o.ends = 0;
  }
}

std::uint32_t Repository::listSize(const EndRef &r) const {
  return r.spilled ? static_cast<std::uint32_t>(
                         spills_[static_cast<std::uint32_t>(r.v)].slots.size())
                   : 1;
}

std::uint32_t Repository::position(const EndRef &r, ObjectId partner) const {
  if (!r.spilled)
    return r.v == partner ? 0 : kNone;
  const Spill &s = spills_[static_cast<std::uint32_t>(r.v)];
  const std::vector<ObjectId> &slots = s.slots;
  if (slots.size() <= kScan) {
    for (std::size_t i = 0; i < slots.size(); ++i)
      if (slots[i] == partner)
        return static_cast<std::uint32_t>(i);
    return kNone;
  }
  if (s.index == kNone) {
    if (freeIndexes_.empty()) {
      s.index = static_cast<std::uint32_t>(indexes_.size());
      indexes_.emplace_back();
    } else {
      s.index = freeIndexes_.back();
      freeIndexes_.pop_back();
    }
    IdMap &index = indexes_[s.index];
    index.reserve(s.live);
    for (std::size_t i = 0; i < slots.size(); ++i)
      if (slots[i])
        index.set(static_cast<std::uint32_t>(slots[i]),
                  static_cast<std::uint32_t>(i));
  }
  const std::uint32_t *pos =
      indexes_[s.index].find(static_cast<std::uint32_t>(partner));
  return pos ? *pos : kNone;
}

ObjectId Repository::firstLive(const EndRef &r) const {
  if (!r.spilled)
    return r.v;
  for (ObjectId p : spills_[static_cast<std::uint32_t>(r.v)].slots)
    if (p)
      return p;
  return 0;
}

std::uint32_t Repository::newSpill() {
  if (!freeSpills_.empty()) {
    std::uint32_t s = freeSpills_.back();
    freeSpills_.pop_back();
    return s;
  }
  spills_.emplace_back();
  return static_cast<std::uint32_t>(spills_.size() - 1);
}

void Repository::freeSpill(std::uint32_t i) {
  Spill &s = spills_[i];
  if (s.index != kNone) {
    indexes_[s.index].clear();
    freeIndexes_.push_back(s.index);
    s.index = kNone;
  }
  if (s.slots.capacity() > 8)
    s.slots = {};
  else
    s.slots.clear();
  s.live = 0;
  freeSpills_.push_back(i);
}

void Repository::append(Object &o, EndRef *r, std::uint32_t slot,
                        ObjectId partner) {
  if (!r) {
    addEnd(o, slot).v = partner;
    return;
  }
  if (!r->spilled) {
    std::uint32_t s = newSpill();
    spills_[s].slots.assign({r->v, partner});
    spills_[s].live = 2;
    r->spilled = 1;
    r->v = static_cast<ObjectId>(s);
    return;
  }
  Spill &s = spills_[static_cast<std::uint32_t>(r->v)];
  s.slots.push_back(partner);
  ++s.live;
  if (s.index != kNone)
    indexes_[s.index].set(static_cast<std::uint32_t>(partner),
                          static_cast<std::uint32_t>(s.slots.size() - 1));
}

void Repository::removeAt(Object &o, std::uint32_t slot, std::uint32_t pos) {
  ++removals_;
  // Both sides of a link come here, so the counters of both ends move.
  ++linkRemovals_[static_cast<std::uint32_t>(classInfo(o).ends[slot]) %
                  kLinkCounters];
  EndRef *r = endRef(o, slot);
  if (!r->spilled) {
    dropEnd(o, slot);
    return;
  }
  auto si = static_cast<std::uint32_t>(r->v);
  Spill &s = spills_[si];
  if (s.index != kNone)
    indexes_[s.index].erase(static_cast<std::uint32_t>(s.slots[pos]));
  s.slots[pos] = 0;
  if (--s.live == 0) {
    freeSpill(si);
    dropEnd(o, slot);
    return;
  }
  // Keep at most as many holes as live entries; amortised O(1) per removal.
  if (s.slots.size() > 2 * static_cast<std::size_t>(s.live))
    compact(s);
  if (s.live == 1) {
    ObjectId only = firstLive(*r);
    freeSpill(si);
    r->spilled = 0;
    r->v = only;
  }
}

void Repository::compact(Spill &s) {
  std::size_t n = 0;
  for (ObjectId p : s.slots)
    if (p)
      s.slots[n++] = p;
  s.slots.resize(n);
  if (s.index == kNone)
    return;
  IdMap &index = indexes_[s.index];
  for (std::size_t i = 0; i < n; ++i)
    index.set(static_cast<std::uint32_t>(s.slots[i]),
              static_cast<std::uint32_t>(i));
}

//===----------------------------------------------------------------------===//
// Links
//===----------------------------------------------------------------------===//

bool Repository::linked(const Object &from, const EndInfo &e,
                        const Object &to) const {
  const EndRef *a = endRef(from, e.slot);
  if (!a)
    return false;
  const EndRef *b = endRef(to, mm_.endInfo(e.inverse)->slot);
  if (!b)
    return false;
  return listSize(*a) <= listSize(*b) ? position(*a, to.id) != kNone
                                      : position(*b, from.id) != kNone;
}

void Repository::removeLink(const EndInfo &e, Object &from, Object &to) {
  const EndRef *a = endRef(from, e.slot);
  if (!a)
    return;
  std::uint32_t fromPos = position(*a, to.id);
  if (fromPos == kNone)
    return;
  std::uint32_t invSlot = mm_.endInfo(e.inverse)->slot;
  std::uint32_t toPos = position(*endRef(to, invSlot), from.id);
  removeAt(from, e.slot, fromPos);
  removeAt(to, invSlot, toPos);
}

void Repository::unlinkAll(Object &o) {
  if (!o.endCount) {
    if (o.ends) // reserved while loading, never used
      endBlocks_.release(o.ends, o.endClass);
    o.ends = 0;
    return;
  }
  const ClassInfo &c = classInfo(o);
  // Partners lose their side of each link; this object's lists go whole.
  // Its own block is not touched meanwhile: links to itself are skipped.
  auto unlinkFrom = [&](ObjectId p, std::uint32_t invSlot) {
    if (p == o.id)
      return;
    Object &partner = *find(p);
    removeAt(partner, invSlot, position(*endRef(partner, invSlot), o.id));
  };
  const EndRef *refs = endBlocks_.at(o.ends);
  for (std::uint32_t k = 0; k < o.endCount; ++k) {
    const EndRef r = refs[k];
    std::uint32_t invSlot =
        mm_.endInfo(mm_.endInfo(c.ends[r.slot])->inverse)->slot;
    if (!r.spilled) {
      unlinkFrom(r.v, invSlot);
      continue;
    }
    for (ObjectId p : spills_[static_cast<std::uint32_t>(r.v)].slots)
      if (p)
        unlinkFrom(p, invSlot);
    freeSpill(static_cast<std::uint32_t>(r.v));
  }
  endBlocks_.release(o.ends, o.endClass);
  o.ends = 0;
  o.endCount = 0;
}

bool Repository::createLink(TypeId end, ObjectId from, ObjectId to,
                            bool *existed) {
  const EndInfo *e = mm_.endInfo(end);
  Object *f = find(from);
  Object *t = find(to);
  if (!e || !f || !t || !endUsable(*e, f->cls) || !mm_.fitsTarget(end, t->cls))
    return false;
  bool there = linked(*f, *e, *t);
  if (existed)
    *existed = there;
  if (there)
    return true;
  const EndInfo &inv = *mm_.endInfo(e->inverse);
  if (!e->many)
    if (const EndRef *r = endRef(*f, e->slot))
      removeLink(*e, *f, *find(firstLive(*r)));
  if (!inv.many)
    if (const EndRef *r = endRef(*t, inv.slot))
      removeLink(inv, *t, *find(firstLive(*r)));
  append(*f, e->slot, to);
  append(*t, inv.slot, from);
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
  const Object *f = find(from);
  const Object *t = find(to);
  // Slots name ends only within a class that has them.
  return e && f && t && endUsable(*e, f->cls) && mm_.fitsTarget(end, t->cls) &&
         linked(*f, *e, *t);
}

std::int64_t Repository::partnerCount(ObjectId obj, TypeId end) const {
  const EndInfo *e = mm_.endInfo(end);
  const Object *o = find(obj);
  if (!e || !o || !endUsable(*e, o->cls))
    return 0;
  const EndRef *r = endRef(*o, e->slot);
  if (!r)
    return 0;
  return r->spilled ? spills_[static_cast<std::uint32_t>(r->v)].live : 1;
}

ObjectId Repository::partnerAt(ObjectId obj, TypeId end, std::int64_t index) {
  const EndInfo *e = mm_.endInfo(end);
  Object *o = find(obj);
  if (!e || !o || !endUsable(*e, o->cls) || index < 0)
    return 0;
  EndRef *r = endRef(*o, e->slot);
  if (!r)
    return 0;
  if (!r->spilled)
    return index == 0 ? r->v : 0;
  Spill &s = spills_[static_cast<std::uint32_t>(r->v)];
  if (index >= s.live)
    return 0;
  if (s.slots.size() != s.live)
    compact(s);
  return s.slots[static_cast<std::size_t>(index)];
}

EndPartners Repository::partnersView(ObjectId obj, TypeId end) const {
  const EndInfo *e = mm_.endInfo(end);
  const Object *o = find(obj);
  if (!e || !o || !endUsable(*e, o->cls))
    return {end, nullptr, nullptr, 0};
  const EndRef *r = endRef(*o, e->slot);
  if (!r)
    return {end, nullptr, nullptr, 0};
  if (!r->spilled)
    return {end, &r->v, &r->v + 1, 1};
  const Spill &s = spills_[static_cast<std::uint32_t>(r->v)];
  return {end, s.slots.data(), s.slots.data() + s.slots.size(), s.live};
}

std::vector<ObjectId> Repository::partners(ObjectId obj, TypeId end) const {
  std::vector<ObjectId> out;
  const EndInfo *e = mm_.endInfo(end);
  const Object *o = find(obj);
  if (!e || !o)
    return out;
  if (const EndRef *r = endRef(*o, e->slot)) {
    if (!r->spilled)
      out.push_back(r->v);
    else
      for (ObjectId p : spills_[static_cast<std::uint32_t>(r->v)].slots)
        if (p)
          out.push_back(p);
  }
  return out;
}

//===----------------------------------------------------------------------===//
// Loading
//===----------------------------------------------------------------------===//

void Repository::loadReserveEnds(ObjectId obj, std::size_t ends) {
  Object &o = *find(obj);
  if (o.ends || ends == 0)
    return;
  unsigned cls = BlockPool<EndRef>::classFor(static_cast<std::uint32_t>(
      std::min<std::size_t>(ends, BlockPool<EndRef>::kMaxBlock)));
  o.ends = endBlocks_.allocate(cls);
  o.endClass = static_cast<std::uint8_t>(cls);
}

Repository::LoadLink Repository::loadListedLink(TypeId end, std::uint32_t from,
                                                ObjectId to,
                                                std::uint32_t &toIndex) {
  const EndInfo &e = *mm_.endInfo(end);
  Object &f = record(from);
  toIndex = ids_.find(to);
  if (toIndex == IdIndex::kNone)
    return LoadLink::NoPartner;
  if (!mm_.fitsTarget(end, record(toIndex).cls))
    return LoadLink::BadPartner;
  // Only this side's listings are in the list so far.
  EndRef *r = endRef(f, e.slot);
  if (r && position(*r, to) != kNone)
    return LoadLink::Duplicate;
  if (r && !e.many)
    overfull_.push_back(f.id);
  append(f, r, e.slot, to);
  return LoadLink::Linked;
}

void Repository::loadOtherEnd(TypeId end, std::uint32_t from,
                              std::uint32_t to) {
  const EndInfo &inv = *mm_.endInfo(mm_.endInfo(end)->inverse);
  Object &t = record(to);
  ObjectId partner = record(from).id;
  EndRef *r = endRef(t, inv.slot);
  if (r && position(*r, partner) != kNone)
    return;
  if (r && !inv.many)
    overfull_.push_back(t.id);
  append(t, r, inv.slot, partner);
}

std::vector<ObjectId> Repository::loadFinish() {
  for (Spill &s : spills_)
    s.index = kNone;
  indexes_ = {};
  freeIndexes_ = {};
  std::vector<ObjectId> overfull = std::move(overfull_);
  overfull_ = {};
  std::sort(overfull.begin(), overfull.end(), [&](ObjectId a, ObjectId b) {
    return ids_.find(a) < ids_.find(b);
  });
  overfull.erase(std::unique(overfull.begin(), overfull.end()), overfull.end());
  return overfull;
}

} // namespace zrep
