//===- qta_rep.cpp - C interface over the connected repository ------------===//

#include "qta_rep.h"

#include "connection.h"
#include "repository.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

using zrep::Metamodel;
using zrep::Repository;

namespace {

Repository *gRepo = nullptr;
/// Counts connections: ids found by name hold for one connection only,
/// since the next repository may have another metamodel.
std::uint64_t gConnection = 0;
bool gFailStart = false;
bool gFailCommit = false;

const Metamodel *meta() { return gRepo ? &gRepo->metamodel() : nullptr; }

IdList *makeList(const std::vector<int32_t> &ids) {
  auto *list = static_cast<IdList *>(std::malloc(sizeof(IdList)));
  if (!list)
    return nullptr;
  list->count = static_cast<int32_t>(ids.size());
  list->items = static_cast<int32_t *>(
      std::malloc(sizeof(int32_t) * (ids.empty() ? 1 : ids.size())));
  if (!list->items) {
    std::free(list);
    return nullptr;
  }
  for (std::size_t i = 0; i < ids.size(); ++i)
    list->items[i] = ids[i];
  return list;
}

int32_t clampCount(std::int64_t n) {
  return n > std::numeric_limits<int32_t>::max()
             ? std::numeric_limits<int32_t>::max()
             : static_cast<int32_t>(n);
}

/// Lookups by name come again and again for the same few names, mostly from
/// texts that stay put. A slot keeps the answer for one (scope, address)
/// while one repository stays connected; a hit is confirmed by comparing
/// the text, so a reused address only costs the full lookup. Unknown names
/// are not kept.
class NameSlots {
public:
  template <class Lookup>
  int32_t find(int32_t scope, const char *name, Lookup lookup) {
    auto key = reinterpret_cast<std::uintptr_t>(name) ^
               (static_cast<std::uintptr_t>(scope) * 0x9E3779B1u);
    Slot &slot = slots_[(key >> 3) & (kSlots - 1)];
    if (slot.at == name && slot.scope == scope &&
        slot.connection == gConnection &&
        std::strcmp(slot.text.c_str(), name) == 0)
      return slot.id;
    int32_t id = lookup();
    if (id != 0)
      slot = {name, scope, id, gConnection, name};
    return id;
  }

private:
  static constexpr std::size_t kSlots = 1024;
  struct Slot {
    const char *at = nullptr;
    int32_t scope = 0, id = 0;
    std::uint64_t connection = 0;
    std::string text;
  };
  Slot slots_[kSlots];
};

} // namespace

namespace zrep {

Repository *connect(Repository *repo) {
  Repository *old = gRepo;
  gRepo = repo;
  ++gConnection;
  Repository::noteRemoval();
  return old;
}

Repository *connected() { return gRepo; }

void failNextTransactionStep(bool start, bool commit) {
  gFailStart = start;
  gFailCommit = commit;
}

} // namespace zrep

extern "C" {

void _FreeIdList(IdList *list) {
  if (!list)
    return;
  std::free(list->items);
  std::free(list);
}

int _StartSaveTransaction1(int32_t, int32_t, const char *) {
  if (gFailStart) {
    gFailStart = false;
    return 0;
  }
  return gRepo && gRepo->startTransaction();
}

int _CommitSaveTransaction(void) {
  if (gFailCommit) {
    gFailCommit = false;
    return 0;
  }
  return gRepo && gRepo->commitTransaction();
}

int32_t _GetObjectTypeIdByName(const char *className) {
  static NameSlots slots;
  return meta() && className
             ? slots.find(0, className,
                          [&] { return meta()->classId(className); })
             : 0;
}
const char *_GetTypeName(int32_t typeId) {
  if (!meta())
    return "";
  if (const auto *c = meta()->classInfo(typeId))
    return c->name.c_str();
  if (const auto *e = meta()->endInfo(typeId))
    return e->role.c_str();
  return "";
}

IdList *_GetObjectTypeIdList(void) {
  std::vector<int32_t> ids;
  if (meta())
    for (const auto &c : meta()->classes())
      ids.push_back(c.id);
  return makeList(ids);
}

IdList *_GetExtensionIdList(int32_t classId) {
  const auto *c = meta() ? meta()->classInfo(classId) : nullptr;
  return makeList(c ? c->subclasses : std::vector<int32_t>{});
}

int32_t _GetPropertyTypeIdByName(int32_t classId, const char *attrName) {
  static NameSlots slots;
  return meta() && attrName
             ? slots.find(classId, attrName,
                          [&] { return meta()->attrId(classId, attrName); })
             : 0;
}

int32_t _GetLinkTypeIdByName(int32_t classId, const char *role) {
  static NameSlots slots;
  return meta() && role
             ? slots.find(classId, role,
                          [&] { return meta()->endId(classId, role); })
             : 0;
}

IdList *_GetLinkTypeIdList(int32_t classId) {
  const auto *c = meta() ? meta()->classInfo(classId) : nullptr;
  return makeList(c ? c->ends : std::vector<int32_t>{});
}

int32_t _GetInverseLinkTypeId(int32_t linkTypeId) {
  const auto *e = meta() ? meta()->endInfo(linkTypeId) : nullptr;
  return e ? e->inverse : 0;
}

int _GetPropertyTypeAttributes(int32_t attrId, int32_t *baseType,
                               const char **enumName) {
  const auto *a = meta() ? meta()->attrInfo(attrId) : nullptr;
  if (!a)
    return 0;
  int32_t code = kRepString;
  const char *en = "";
  switch (a->kind) {
  case zrep::AttrKind::String:
    code = kRepString;
    break;
  case zrep::AttrKind::Integer:
    code = kRepInteger;
    break;
  case zrep::AttrKind::Boolean:
    code = kRepBoolean;
    break;
  case zrep::AttrKind::Enum:
    code = kRepEnumeration;
    en = meta()->enums()[a->enumIndex].name.c_str();
    break;
  }
  if (baseType)
    *baseType = code;
  if (enumName)
    *enumName = en;
  return 1;
}

int32_t _GetObjectNum(int32_t classId) {
  return gRepo ? clampCount(gRepo->extentSize(classId)) : 0;
}

int32_t _GetObjectIdByIndex(int32_t classId, int32_t index) {
  return gRepo ? gRepo->extentAt(classId, index) : 0;
}

int32_t _GetObjectTypeId(int32_t objectId) {
  return gRepo ? gRepo->classOf(objectId) : 0;
}

int _ObjectExists(int32_t objectId) { return gRepo && gRepo->exists(objectId); }

int32_t _CreateObject(int32_t classId) {
  return gRepo ? gRepo->createObject(classId) : 0;
}

int _ObjectIdsUsedUp(void) { return gRepo && !gRepo->hasFreeId(); }

int _DeleteObjectHard(int32_t objectId) {
  return gRepo && gRepo->deleteObject(objectId);
}

int32_t _GetLinkedObjectNum(int32_t objectId, int32_t linkTypeId) {
  return gRepo ? clampCount(gRepo->partnerCount(objectId, linkTypeId)) : 0;
}

int32_t _GetLinkedObjectIdByIndex(int32_t objectId, int32_t linkTypeId,
                                  int32_t index) {
  return gRepo ? gRepo->partnerAt(objectId, linkTypeId, index) : 0;
}

int32_t _GetLinkedObjectEntries(int32_t objectId, int32_t linkTypeId,
                                const int32_t **items) {
  zrep::EndPartners view =
      gRepo ? gRepo->partnersView(objectId, linkTypeId)
            : zrep::EndPartners{linkTypeId, nullptr, nullptr, 0};
  *items = view.begin;
  return clampCount(view.finish - view.begin);
}

int _AlreadyConnected(int32_t linkTypeId, int32_t from, int32_t to) {
  return gRepo && gRepo->connected(linkTypeId, from, to);
}

uint64_t _GetRemovalCount(void) { return Repository::removals(); }

uint64_t _GetObjectRemovalCount(void) { return Repository::objectRemovals(); }

uint64_t _GetLinkRemovalCount(int32_t linkTypeId) {
  return Repository::linkRemovals(linkTypeId);
}

RemovalCounters _GetRemovalCounters(void) {
  Repository::Counters c = Repository::removalCounters();
  return {c.all, c.objects, c.links, c.linkCounters};
}

int _CreateLink(int32_t linkTypeId, int32_t from, int32_t to) {
  return gRepo && gRepo->createLink(linkTypeId, from, to);
}

int _CreateLinkReporting(int32_t linkTypeId, int32_t from, int32_t to) {
  bool existed = false;
  if (!gRepo || !gRepo->createLink(linkTypeId, from, to, &existed))
    return 0;
  return existed ? 2 : 1;
}

int _DeleteLink(int32_t linkTypeId, int32_t from, int32_t to) {
  return gRepo && gRepo->deleteLink(linkTypeId, from, to);
}

int _CheckPropertyValue(int32_t attrId, const char *value) {
  return gRepo && value && gRepo->checkValue(attrId, value);
}

int _AddProperty(int32_t objectId, int32_t attrId, const char *value) {
  return gRepo && value && gRepo->setValue(objectId, attrId, value);
}

const char *_GetPropertyValue(int32_t objectId, int32_t attrId) {
  return gRepo ? gRepo->valueView(objectId, attrId).data() : "";
}

} // extern "C"
