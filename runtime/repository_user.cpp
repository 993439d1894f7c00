//===- repository_user.cpp - Metamodel lookups and object caches ----------===//

#include "repository_user.h"

#include "dialogs.h"
#include "logger.h"
#include "qta_rep.h"

#include "id_bits.h"
#include "id_map.h"
#include "partner_list_cache.h"

#include <algorithm>
#include <bit>

namespace kel {

namespace {

std::int32_t &gGeneration = RepositoryUser::detail::runGeneration;
/// The library's removal counts, read where they are kept: presence checks
/// ask for them at almost every step.
const RemovalCounters gRemovals = _GetRemovalCounters();
/// The library keeps a power of two of link counters (256): a type's
/// counter is then picked with a mask, as presence checks want it at
/// almost every step, rather than with a division.
const std::uint32_t gLinkMask =
    std::has_single_bit(static_cast<std::uint32_t>(gRemovals.linkCounters))
        ? static_cast<std::uint32_t>(gRemovals.linkCounters) - 1
        : 0;
std::uint64_t removalCount() { return *gRemovals.all; }
/// Removals made by deleteLink, which marks them in the cached lists.
std::uint64_t gMarkedRemovals = 0;
/// The removals that no cached list was told of (objects deleted, links
/// replaced by a link into a single-valued end, changes made around the
/// runtime): while this stays the same, the cached lists are exact.
std::uint64_t unmarkedRemovals() { return removalCount() - gMarkedRemovals; }
std::uint64_t gListEpoch = 1;

std::unique_ptr<Kel_ObjectIDListS> gObjectLists;
std::unique_ptr<RepositoryChangeListener> gListener;
std::unique_ptr<PartnerListCache> gPartnerLists;
/// Raised whenever the partner-list cache goes: a count a variable took
/// under an older value is not given back.
std::uint64_t gPartnerListSerial = 1;
void dropPartnerLists() {
  gPartnerLists.reset();
  ++gPartnerListSerial;
}

/// What a run has learnt of a class from the library: its subclass list and
/// the link types usable from it. The metamodel does not change under a
/// run, and these are asked for at almost every positioning.
struct ClassFacts {
  bool hasSubclasses = false, hasLinkTypes = false;
  std::vector<TypeId> subclasses;
  std::vector<TypeId> linkTypes; ///< sorted
};
std::vector<ClassFacts> gClassFacts;

/// The facts of `cls`; for an id out of the range kept, empty ones that
/// the next call forgets.
ClassFacts &classFacts(TypeId cls) {
  constexpr TypeId kKept = 1 << 16;
  if (cls <= 0 || cls >= kKept) {
    static ClassFacts uncached;
    uncached = ClassFacts{};
    return uncached;
  }
  auto i = static_cast<std::size_t>(cls);
  if (i >= gClassFacts.size())
    gClassFacts.resize(i + 1);
  return gClassFacts[i];
}

/// The inverse of each link type asked for in this run, by id; 0: not
/// asked yet.
std::vector<TypeId> gInverses;

/// inverseOf for a type not asked for yet, out of line: every link made or
/// removed asks for an inverse the run already knows.
[[gnu::noinline]] TypeId learnInverseOf(TypeId type) {
  constexpr TypeId kKept = 1 << 16;
  auto t = static_cast<std::size_t>(type);
  TypeId inverse = _GetInverseLinkTypeId(type);
  if (type > 0 && type < kKept && inverse) {
    if (t >= gInverses.size())
      gInverses.resize(t + 1);
    gInverses[t] = inverse;
  }
  return inverse;
}

inline TypeId inverseOf(TypeId type) {
  auto t = static_cast<std::size_t>(type);
  if (type > 0 && t < gInverses.size() && gInverses[t])
    return gInverses[t];
  return learnInverseOf(type);
}

/// Whether the library's entries of an end (0: a hole) hold a partner.
bool anyPartnerIn(const ObjectId *entries, std::int32_t n) {
  return std::any_of(entries, entries + n, [](ObjectId e) { return e != 0; });
}

/// Owns a list from the repository library.
struct OwnedIdList {
  IdList *list;
  explicit OwnedIdList(IdList *l) : list(l) {}
  ~OwnedIdList() { _FreeIdList(list); }
  OwnedIdList(const OwnedIdList &) = delete;
  OwnedIdList &operator=(const OwnedIdList &) = delete;
  std::int32_t size() const { return list ? list->count : 0; }
  std::int32_t operator[](std::int32_t i) const { return list->items[i]; }
};

void appendSubclasses(TypeId cls, std::vector<TypeId> &out) {
  OwnedIdList subs(_GetExtensionIdList(cls));
  for (std::int32_t i = 0; i < subs.size(); ++i)
    appendSubclasses(subs[i], out);
  out.push_back(cls);
}

/// The current-generation partner list of (type, obj) if one is cached.
PartnerList *cachedPartnerList(TypeId type, ObjectId obj) {
  // Most link types are only ever followed one way: their inverse has no
  // list, which one test here tells before the lookup is called.
  if (!gPartnerLists || !gPartnerLists->anyListed(type))
    return nullptr;
  PartnerList *list = gPartnerLists->find(type, obj);
  return list && list->generation == gGeneration ? list : nullptr;
}

} // namespace

std::int64_t ObjectList::find(ObjectId id) {
  for (std::size_t i = indexOf.size(); i < ids.size(); ++i)
    indexOf.set(ids[i], static_cast<std::uint32_t>(i));
  const std::uint32_t *at = indexOf.find(id);
  return at ? *at : -1;
}

//===----------------------------------------------------------------------===//
// Singletons
//===----------------------------------------------------------------------===//

Kel_ObjectIDListS &Kel_ObjectIDListS::instance() {
  if (!gObjectLists)
    gObjectLists.reset(new Kel_ObjectIDListS);
  return *gObjectLists;
}

void Kel_ObjectIDListS::destroy() {
  ++gListEpoch;
  gObjectLists.reset();
}

ObjectList *Kel_ObjectIDListS::cached(TypeId cls) {
  auto i = static_cast<std::size_t>(cls);
  return cls > 0 && i < lists_.size() && lists_[i] &&
                 lists_[i]->generation == gGeneration
             ? lists_[i].get()
             : nullptr;
}

ObjectList *Kel_ObjectIDListS::list(TypeId cls) {
  if (ObjectList *current = cached(cls))
    return current; // only valid classes ever get a list
  if (_GetTypeName(cls)[0] == '\0')
    return nullptr;
  auto i = static_cast<std::size_t>(cls);
  if (i >= lists_.size())
    lists_.resize(i + 1);
  auto &slot = lists_[i];
  if (!slot) {
    slot = std::make_unique<ObjectList>();
    ++count_;
  }
  ObjectList &list = *slot;
  list.ids.clear();
  list.live.clear();
  list.indexOf.clear();
  std::int32_t n = _GetObjectNum(cls);
  for (std::int32_t i = 0; i < n; ++i) {
    ObjectId id = _GetObjectIdByIndex(cls, i);
    if (id == badObjID)
      RepositoryUser::internalError("object id 0 in the extent of class " +
                                    RepositoryUser::typeName(cls));
    if (_GetObjectTypeId(id) != cls)
      break;
    list.ids.push_back(id);
    list.live.append();
  }
  list.generation = gGeneration;
  list.builtAt = RepositoryUser::objectRemovalCount();
  return &list;
}

RepositoryChangeListener &RepositoryChangeListener::instance() {
  if (!gListener)
    gListener.reset(new RepositoryChangeListener);
  return *gListener;
}

void RepositoryChangeListener::destroy() { gListener.reset(); }

void RepositoryChangeListener::clear() {
  deleted_.clear();
  for (auto &entry : touched_)
    entry.second.clear();
}

std::size_t RepositoryChangeListener::recorded() const {
  std::size_t n = deleted_.size();
  for (const auto &entry : touched_)
    n += entry.second.size();
  return n;
}

void RepositoryChangeListener::record(ObjectId id) {
  auto it = touched_.find(_GetObjectTypeId(id));
  if (it != touched_.end())
    it->second.push_back(id);
}

void RepositoryChangeListener::objectDeleted(ObjectId id, TypeId cls) {
  deleted_.push_back(id);
  auto it = touched_.find(cls);
  if (it != touched_.end())
    it->second.push_back(id);
}

//===----------------------------------------------------------------------===//
// RepositoryUser
//===----------------------------------------------------------------------===//

namespace RepositoryUser {

std::int32_t detail::runGeneration = 0;
void raiseGeneration() {
  ++gGeneration;
  ++gListEpoch;
  // Lists of earlier runs are rebuilt on first use anyway; dropping them
  // keeps a process that runs many compilations from growing with each.
  if (gObjectLists)
    gObjectLists->clear();
  dropPartnerLists();
  gClassFacts.clear();
  gInverses.clear();
  if (gListener)
    gListener->clear();
}

std::size_t cachedListCount() {
  std::size_t n = gObjectLists ? gObjectLists->size() : 0;
  if (gPartnerLists)
    n += gPartnerLists->size();
  return n + (gListener ? gListener->recorded() : 0);
}

TypeId classId(const std::string &name) {
  return _GetObjectTypeIdByName(name.c_str());
}

TypeId classIdOfInterned(const std::string &name) {
  struct Slot {
    const std::string *name = nullptr;
    std::int32_t generation = -1;
    TypeId id = 0;
  };
  static Slot slots[64];
  Slot &slot = slots[(reinterpret_cast<std::uintptr_t>(&name) >> 5) & 63];
  if (slot.name != &name || slot.generation != gGeneration)
    slot = {&name, gGeneration, classId(name)};
  return slot.id;
}

std::string typeName(TypeId id) { return _GetTypeName(id); }

TypeId attrId(TypeId cls, const char *name) {
  return _GetPropertyTypeIdByName(cls, name);
}

TypeId linkTypeId(TypeId cls, const char *role) {
  return _GetLinkTypeIdByName(cls, role);
}

TypeId classOf(ObjectId id) { return _GetObjectTypeId(id); }

bool objectExists(ObjectId id) { return _ObjectExists(id) != 0; }

bool linkExists(TypeId type, ObjectId from, ObjectId to) {
  return _AlreadyConnected(type, from, to) != 0;
}

bool hasPartner(TypeId type, ObjectId obj) {
  const ObjectId *entries = nullptr;
  std::int32_t n = _GetLinkedObjectEntries(obj, type, &entries);
  return anyPartnerIn(entries, n);
}

std::uint64_t objectRemovalCount() { return *gRemovals.objects; }

std::uint64_t linkRemovalCount(TypeId type) {
  auto t = static_cast<std::uint32_t>(type);
  return *gRemovals.objects +
         gRemovals.links[gLinkMask != 0 ? t & gLinkMask
                                        : t % static_cast<std::uint32_t>(
                                                  gRemovals.linkCounters)];
}

const std::vector<TypeId> &subclassList(TypeId cls) {
  ClassFacts &facts = classFacts(cls);
  if (!facts.hasSubclasses) {
    appendSubclasses(cls, facts.subclasses);
    facts.hasSubclasses = true;
  }
  return facts.subclasses;
}

bool isSubclass(TypeId declared, TypeId requested) {
  for (TypeId c : subclassList(declared))
    if (c == requested)
      return true;
  return false;
}

ObjectList *objectList(TypeId cls) {
  return Kel_ObjectIDListS::instance().list(cls);
}

std::uint64_t objectListEpoch() { return gListEpoch; }

ObjectId objectIdAt(TypeId cls, std::int64_t index) {
  ObjectList *list = objectList(cls);
  if (!list || index < 0 ||
      index >= static_cast<std::int64_t>(list->ids.size()))
    return badObjID;
  return list->ids[static_cast<std::size_t>(index)];
}

std::int64_t objectCount(TypeId cls) {
  ObjectList *list = objectList(cls);
  return list ? static_cast<std::int64_t>(list->ids.size()) : -1;
}

ObjectId createObject(TypeId cls) {
  ObjectList *list = objectList(cls);
  if (!list)
    internalError("no object list for class " + std::to_string(cls));
  ObjectId id = _CreateObject(cls);
  if (id != badObjID) {
    list->ids.push_back(id);
    list->live.append();
    RepositoryChangeListener::instance().objectCreated(id, cls);
  }
  return id;
}

bool objectIdsUsedUp() { return _ObjectIdsUsedUp(); }

void deleteObject(ObjectId id) {
  TypeId cls = _GetObjectTypeId(id);
  if (!_DeleteObjectHard(id))
    internalError("_DeleteObjectHard(" + std::to_string(id) + ") failed");
  // Iterations re-check existence; the index only lets them skip the entry
  // without looking at it again.
  if (gObjectLists)
    if (ObjectList *list = gObjectLists->cached(cls))
      if (std::int64_t i = list->find(id); i >= 0)
        list->live.markDead(static_cast<std::size_t>(i));
  RepositoryChangeListener::instance().objectDeleted(id, cls);
}

namespace {

/// Whether `type` occurs in the link-type list of `cls`.
bool usableFrom(TypeId cls, TypeId type) {
  ClassFacts &facts = classFacts(cls);
  if (!facts.hasLinkTypes) {
    OwnedIdList types(_GetLinkTypeIdList(cls));
    for (std::int32_t i = 0; i < types.size(); ++i)
      facts.linkTypes.push_back(types[i]);
    std::sort(facts.linkTypes.begin(), facts.linkTypes.end());
    facts.hasLinkTypes = true;
  }
  return std::binary_search(facts.linkTypes.begin(), facts.linkTypes.end(),
                            type);
}

/// Brings a short list built before the latest removals up to date: the
/// entries whose link is gone are marked dead (as a search would on meeting
/// them), so that searches over the list need not ask the library about
/// each partner again. Long lists are left to those searches.
void recheck(PartnerList &list, TypeId type, ObjectId obj) {
  constexpr std::size_t kRechecked = 24;
  if (list.stored() > kRechecked)
    return;
  const ObjectId *entries = nullptr;
  auto n =
      static_cast<std::size_t>(_GetLinkedObjectEntries(obj, type, &entries));
  if (n > 4 * kRechecked)
    return;
  for (std::size_t i = list.firstLive(0); i < list.size();
       i = list.firstLive(i + 1))
    if (!list.skipped(i) &&
        std::find(entries, entries + n, list.partner(i)) == entries + n)
      list.markDead(i);
  list.builtAt = linkRemovalCount(type);
  list.unmarkedAt = unmarkedRemovals();
}

} // namespace

PartnerList *partnerList(TypeId type, ObjectId obj, TypeId cls, bool *none) {
  if (cls == 0)
    return nullptr;
  // A list is only ever built for a usable link type, and an object keeps
  // its class: a list of this run needs no second check.
  PartnerList *cached =
      gPartnerLists ? gPartnerLists->find(type, obj) : nullptr;
  if (cached && cached->generation == gGeneration) {
    if (cached->builtAt != linkRemovalCount(type)) {
      if (cached->unmarkedAt == unmarkedRemovals())
        cached->builtAt = linkRemovalCount(type); // every removal is marked
      else
        recheck(*cached, type, obj);
    }
    return cached;
  }
  // Only link types are usable from a class.
  if (!usableFrom(cls, type))
    return nullptr;
  if (!gPartnerLists)
    gPartnerLists = std::make_unique<PartnerListCache>();
  const ObjectId *entries = nullptr;
  std::int32_t n = _GetLinkedObjectEntries(obj, type, &entries);
  if (none && !cached && !anyPartnerIn(entries, n)) {
    gPartnerLists->noteListed(type, obj);
    *none = true;
    return nullptr;
  }
  PartnerList &list = cached ? *cached : gPartnerLists->add(type, obj);
  list.fill(entries, static_cast<std::size_t>(n));
  list.generation = gGeneration;
  list.builtAt = linkRemovalCount(type);
  list.unmarkedAt = unmarkedRemovals();
  return &list;
}

void createLink(TypeId type, ObjectId from, ObjectId to) {
  if (type == 0 || from == badObjID || to == badObjID)
    internalError("link operation with a zero id");
  int made = _CreateLinkReporting(type, from, to);
  if (!made) {
    showMessage("Can not create link.");
    throw InternalError("_CreateLink failed");
  }
  // A re-linked partner moves to the end of the cached lists, and of those
  // dropped since they were made, which are made again for it.
  auto moveToEnd = [made](TypeId type, ObjectId obj, ObjectId partner) {
    PartnerList *list = cachedPartnerList(type, obj);
    if (!list && made == 2 && gPartnerLists &&
        gPartnerLists->hadList(type, obj))
      list = partnerList(type, obj, classOf(obj));
    if (list)
      list->append(partner);
  };
  moveToEnd(type, from, to);
  TypeId inverse = inverseOf(type);
  if (inverse == 0)
    internalError("no inverse link type of " + std::to_string(type));
  moveToEnd(inverse, to, from);
  RepositoryChangeListener::instance().linkCreated(type, from, to);
}

void deleteLink(TypeId type, ObjectId from, ObjectId to) {
  if (type == 0 || from == badObjID || to == badObjID)
    internalError("link operation with a zero id");
  std::uint64_t before = removalCount();
  if (!_DeleteLink(type, from, to))
    internalError("_DeleteLink failed");
  gMarkedRemovals += removalCount() - before;
  // As with objects: iterations re-check the link, the index skips it.
  auto forget = [](PartnerList *list, ObjectId partner) {
    if (!list)
      return;
    if (std::int64_t i = list->currentOf(partner); i >= 0)
      list->markDead(static_cast<std::size_t>(i));
  };
  forget(cachedPartnerList(type, from), to);
  forget(cachedPartnerList(inverseOf(type), to), from);
  RepositoryChangeListener::instance().linkDeleted(type, from, to);
}

void writeValue(ObjectId id, TypeId attr, const char *text) {
  // _AddProperty checks the value too and changes nothing when it refuses
  // it: the separate check only tells which of the two failed.
  if (!_AddProperty(id, attr, text)) {
    if (!_CheckPropertyValue(attr, text))
      internalError("_CheckPropertyValue(" + std::to_string(attr) + ", \"" +
                    text + "\") failed");
    internalError("_AddProperty failed");
  }
  RepositoryChangeListener::instance().valueWritten(id, attr);
}

const char *readValueText(ObjectId id, TypeId attr) {
  return _GetPropertyValue(id, attr);
}

std::string readValue(ObjectId id, TypeId attr) {
  return _GetPropertyValue(id, attr);
}

void reportError(const std::string &text) {
  showMessage(text);
  logger::endLine();
  logger::write("!!! " + text);
  logger::endLine();
}

void internalError(const std::string &condition) {
  reportError("Internal error: " + condition);
  throw InternalError(condition);
}

void destroyPartnerLists() { dropPartnerLists(); }

std::uint64_t holdPartnerList(PartnerList *list, std::uint64_t held) {
  if (held != 0 && held != gPartnerListSerial)
    return 0;
  ++list->refs;
  return gPartnerListSerial;
}

void releasePartnerList(PartnerList *list, std::uint64_t serial) {
  if (serial != gPartnerListSerial || --list->refs != 0)
    return;
  // Dropping lists keeps the cache from holding one for every object ever
  // searched.
  if (PartnerListCache::mayGo(*list))
    gPartnerLists->park(*list);
}

} // namespace RepositoryUser

} // namespace kel
