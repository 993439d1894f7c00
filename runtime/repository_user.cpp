//===- repository_user.cpp - Metamodel lookups and object caches ----------===//

#include "repository_user.h"

#include "dialogs.h"
#include "logger.h"
#include "qta_rep.h"

#include "flat_map.h"

#include <algorithm>
#include <deque>

namespace kel {

namespace {

std::int32_t gGeneration = 0;

std::unique_ptr<Kel_ObjectIDListS> gObjectLists;
std::unique_ptr<RepositoryChangeListener> gListener;
/// The partner lists, one per (link type, object), in a pool that keeps
/// their addresses (variables hold them) and frees them in one sweep.
struct PartnerListKey {
  TypeId type;
  ObjectId obj;
  bool operator==(const PartnerListKey &) const = default;
};
struct PartnerListKeyHash {
  std::size_t operator()(const PartnerListKey &k) const noexcept {
    std::uint64_t x =
        (std::uint64_t(std::uint32_t(k.type)) << 32) | std::uint32_t(k.obj);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return static_cast<std::size_t>(x);
  }
};
struct PartnerListCache {
  zrep::FlatMap<PartnerListKey, PartnerList *, PartnerListKeyHash> byKey;
  std::deque<PartnerList> pool;
  /// By object id (ids below kDenseIds): whether the object has a list.
  /// Most links are made between objects without one; a bit answers that
  /// without a miss in the large index.
  std::vector<bool> hasList;
  static constexpr ObjectId kDenseIds = 1 << 26;
  bool mayHave(ObjectId obj) const {
    return obj >= kDenseIds ||
           (obj > 0 && static_cast<std::size_t>(obj) < hasList.size() &&
            hasList[static_cast<std::size_t>(obj)]);
  }
  void noteList(ObjectId obj) {
    if (obj <= 0 || obj >= kDenseIds)
      return;
    auto i = static_cast<std::size_t>(obj);
    if (i >= hasList.size())
      hasList.resize(std::max(2 * hasList.size(), i + 1));
    hasList[i] = true;
  }
};
std::unique_ptr<PartnerListCache> gPartnerLists;

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
  if (!gPartnerLists || !gPartnerLists->mayHave(obj))
    return nullptr;
  PartnerList **list = gPartnerLists->byKey.find({type, obj});
  return list && (*list)->generation == gGeneration ? *list : nullptr;
}

} // namespace

void PartnerList::markDead(std::size_t i) {
  if (i < entries_.size())
    entries_[i].next = static_cast<std::uint32_t>(i + 1);
}

std::size_t PartnerList::firstLive(std::size_t i) {
  std::size_t n = entries_.size(), root = i;
  while (root < n && entries_[root].next != root)
    root = entries_[root].next;
  while (i < root) {
    std::size_t up = entries_[i].next;
    entries_[i].next = static_cast<std::uint32_t>(root);
    i = up;
  }
  return root;
}

void PartnerList::append(ObjectId partner) {
  auto entry = static_cast<std::uint32_t>(entries_.size());
  if (std::int64_t old = currentOf(partner); old >= 0) {
    entries_[static_cast<std::size_t>(old)].skipped = 1;
    markDead(static_cast<std::size_t>(old));
  }
  entries_.push_back({partner, entry, 0});
  if (entries_.size() > kIndexed) {
    if (index_.empty())
      for (std::uint32_t i = 0; i < entry; ++i)
        if (!entries_[i].skipped)
          index_[entries_[i].partner] = i;
    index_[partner] = entry;
  }
}

std::int64_t PartnerList::currentOf(ObjectId partner) const {
  if (entries_.size() > kIndexed) {
    auto it = index_.find(partner);
    if (it == index_.end() || entries_[it->second].skipped)
      return -1;
    return it->second;
  }
  for (std::size_t i = entries_.size(); i-- > 0;)
    if (entries_[i].partner == partner)
      return entries_[i].skipped ? -1 : static_cast<std::int64_t>(i);
  return -1;
}

void PartnerList::clear() {
  entries_.clear();
  index_.clear();
}

std::int64_t ObjectList::find(ObjectId id) {
  if (indexOf.size() != ids.size()) {
    for (std::size_t i = indexOf.size(); i < ids.size(); ++i)
      indexOf.emplace(ids[i], static_cast<std::uint32_t>(i));
  }
  auto it = indexOf.find(id);
  return it == indexOf.end() ? -1 : it->second;
}

//===----------------------------------------------------------------------===//
// Singletons
//===----------------------------------------------------------------------===//

Kel_ObjectIDListS &Kel_ObjectIDListS::instance() {
  if (!gObjectLists)
    gObjectLists.reset(new Kel_ObjectIDListS);
  return *gObjectLists;
}

void Kel_ObjectIDListS::destroy() { gObjectLists.reset(); }

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

void RepositoryChangeListener::touch(ObjectId id) {
  if (touched_.empty())
    return;
  auto it = touched_.find(_GetObjectTypeId(id));
  if (it != touched_.end())
    it->second.push_back(id);
}

void RepositoryChangeListener::objectCreated(ObjectId id, TypeId) { touch(id); }

void RepositoryChangeListener::objectDeleted(ObjectId id, TypeId cls) {
  deleted_.push_back(id);
  auto it = touched_.find(cls);
  if (it != touched_.end())
    it->second.push_back(id);
}

void RepositoryChangeListener::linkCreated(TypeId, ObjectId from, ObjectId to) {
  touch(from);
  touch(to);
}

void RepositoryChangeListener::linkDeleted(TypeId, ObjectId from, ObjectId to) {
  touch(from);
  touch(to);
}

void RepositoryChangeListener::valueWritten(ObjectId id, TypeId) { touch(id); }

//===----------------------------------------------------------------------===//
// RepositoryUser
//===----------------------------------------------------------------------===//

namespace RepositoryUser {

std::int32_t generation() { return gGeneration; }
void raiseGeneration() {
  ++gGeneration;
  // Lists of earlier runs are rebuilt on first use anyway; dropping them
  // keeps a process that runs many compilations from growing with each.
  if (gObjectLists)
    gObjectLists->clear();
  gPartnerLists.reset();
  if (gListener)
    gListener->clear();
}

std::size_t cachedListCount() {
  std::size_t n = gObjectLists ? gObjectLists->size() : 0;
  if (gPartnerLists)
    n += gPartnerLists->pool.size();
  return n + (gListener ? gListener->recorded() : 0);
}

TypeId classId(const std::string &name) {
  return _GetObjectTypeIdByName(name.c_str());
}

std::string typeName(TypeId id) { return _GetTypeName(id); }

TypeId attrId(TypeId cls, const std::string &name) {
  return _GetPropertyTypeIdByName(cls, name.c_str());
}

TypeId linkTypeId(TypeId cls, const std::string &role) {
  return _GetLinkTypeIdByName(cls, role.c_str());
}

TypeId classOf(ObjectId id) { return _GetObjectTypeId(id); }

bool objectExists(ObjectId id) { return _ObjectExists(id) != 0; }

bool linkExists(TypeId type, ObjectId from, ObjectId to) {
  return _AlreadyConnected(type, from, to) != 0;
}

std::vector<TypeId> subclassList(TypeId cls) {
  std::vector<TypeId> out;
  appendSubclasses(cls, out);
  return out;
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

PartnerList *partnerList(TypeId type, ObjectId obj) {
  if (!_ObjectExists(obj))
    return nullptr;
  // A list is only ever built for a usable link type, and an object keeps
  // its class: a list of this run needs no second check.
  if (PartnerList *current = cachedPartnerList(type, obj))
    return current;
  if (typeName(type).empty())
    return nullptr;
  OwnedIdList types(_GetLinkTypeIdList(_GetObjectTypeId(obj)));
  bool usable = false;
  for (std::int32_t i = 0; i < types.size() && !usable; ++i)
    usable = types[i] == type;
  if (!usable)
    return nullptr;
  if (!gPartnerLists)
    gPartnerLists = std::make_unique<PartnerListCache>();
  auto [slot, fresh] = gPartnerLists->byKey.tryEmplace({type, obj});
  if (fresh) {
    *slot = &gPartnerLists->pool.emplace_back();
    gPartnerLists->noteList(obj);
  }
  PartnerList &list = **slot;
  list.clear();
  std::int32_t n = _GetLinkedObjectNum(obj, type);
  for (std::int32_t i = 0; i < n; ++i)
    list.append(_GetLinkedObjectIdByIndex(obj, type, i));
  list.generation = gGeneration;
  return &list;
}

void createLink(TypeId type, ObjectId from, ObjectId to) {
  if (type == 0 || from == badObjID || to == badObjID)
    internalError("link operation with a zero id");
  if (!_CreateLink(type, from, to)) {
    showMessage("Can not create link.");
    throw InternalError("_CreateLink failed");
  }
  // A re-linked partner moves to the end of the cached lists.
  if (PartnerList *list = cachedPartnerList(type, from))
    list->append(to);
  TypeId inverse = _GetInverseLinkTypeId(type);
  if (inverse == 0)
    internalError("no inverse link type of " + std::to_string(type));
  if (PartnerList *list = cachedPartnerList(inverse, to))
    list->append(from);
  RepositoryChangeListener::instance().linkCreated(type, from, to);
}

void deleteLink(TypeId type, ObjectId from, ObjectId to) {
  if (type == 0 || from == badObjID || to == badObjID)
    internalError("link operation with a zero id");
  if (!_DeleteLink(type, from, to))
    internalError("_DeleteLink failed");
  // As with objects: iterations re-check the link, the index skips it.
  auto forget = [](PartnerList *list, ObjectId partner) {
    if (!list)
      return;
    if (std::int64_t i = list->currentOf(partner); i >= 0)
      list->markDead(static_cast<std::size_t>(i));
  };
  forget(cachedPartnerList(type, from), to);
  forget(cachedPartnerList(_GetInverseLinkTypeId(type), to), from);
  RepositoryChangeListener::instance().linkDeleted(type, from, to);
}

void writeValue(ObjectId id, TypeId attr, const std::string &text) {
  if (!_CheckPropertyValue(attr, text.c_str()))
    internalError("_CheckPropertyValue(" + std::to_string(attr) + ", \"" +
                  text + "\") failed");
  if (!_AddProperty(id, attr, text.c_str()))
    internalError("_AddProperty failed");
  RepositoryChangeListener::instance().valueWritten(id, attr);
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

void destroyPartnerLists() { gPartnerLists.reset(); }

} // namespace RepositoryUser

} // namespace kel
