//===- repository_user.h - Metamodel lookups and object caches --*- C++ -*-===//
//
// The layer between model variables and the repository library: name and id
// lookups, subclass lists, object and link creation and deletion, attribute
// values, the runtime's error report, and two caches that keep iteration
// cheap and stable while the model changes underneath: the per-class object
// lists (Kel_ObjectIDListS) and the per-object partner lists. Cached lists
// carry the run generation in which they were built; a list of an earlier
// run is rebuilt on first use. Nothing here caches names.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "id_map.h"
#include "live_index.h"
#include "partner_list.h"
#include "position_index.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace kel {

using ObjectId = std::int32_t;
using TypeId = std::int32_t;
inline constexpr ObjectId badObjID = 0;

/// A broken internal invariant (a failed repository write, a missing list).
/// It ends the run; the run frame's catch-all catches it.
class InternalError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

/// Objects whose exact class is one class, in repository order. Entries of
/// deleted objects stay in place.
struct ObjectList {
  std::vector<ObjectId> ids;
  std::int32_t generation = 0;
  /// The object removal count when the list was built: while it holds,
  /// every entry's object exists (entries are only appended for new
  /// objects).
  std::uint64_t builtAt = 0;
  LiveIndex live;
  /// Index of each object, built on first need.
  PositionIndex indexOf;
  std::int64_t find(ObjectId id);
};

/// The per-class object lists.
class Kel_ObjectIDListS {
public:
  static Kel_ObjectIDListS &instance();
  static void destroy();
  /// The list of `cls`, built or rebuilt as needed; null for a bad class.
  ObjectList *list(TypeId cls);
  /// The list of `cls` if one of this run is cached.
  ObjectList *cached(TypeId cls);
  void clear() {
    lists_.clear();
    count_ = 0;
  }
  std::size_t size() const { return count_; }

private:
  /// Indexed by class id: ids of valid types are small and dense.
  std::vector<std::unique_ptr<ObjectList>> lists_;
  std::size_t count_ = 0;
};

/// Receives a note of every change. It records deleted objects and, for
/// registered classes, the objects touched.
class RepositoryChangeListener {
public:
  static RepositoryChangeListener &instance();
  static void destroy();
  void objectCreated(ObjectId id, TypeId) { touch(id); }
  void objectDeleted(ObjectId id, TypeId cls);
  void linkCreated(TypeId, ObjectId from, ObjectId to) {
    touch(from);
    touch(to);
  }
  void linkDeleted(TypeId, ObjectId from, ObjectId to) {
    touch(from);
    touch(to);
  }
  void valueWritten(ObjectId id, TypeId) { touch(id); }
  void registerClass(TypeId cls) { touched_[cls]; }
  /// Forgets what earlier runs recorded; registrations stay.
  void clear();
  /// The number of recorded deletions and touches.
  std::size_t recorded() const;
  const std::vector<ObjectId> &deleted() const { return deleted_; }

private:
  /// Touches are recorded only for registered classes: with none, a note
  /// costs a test.
  void touch(ObjectId id) {
    if (!touched_.empty())
      record(id);
  }
  void record(ObjectId id);
  std::vector<ObjectId> deleted_;
  std::unordered_map<TypeId, std::vector<ObjectId>> touched_;
};

namespace RepositoryUser {

namespace detail {
extern std::int32_t runGeneration;
} // namespace detail
/// The run generation; raised by one when a run's transaction starts,
/// which also drops the lists and records of earlier runs.
inline std::int32_t generation() { return detail::runGeneration; }
void raiseGeneration();
/// Cached object and partner lists and recorded changes, for tests.
std::size_t cachedListCount();

TypeId classId(const std::string &name);
/// classId of an interned name (internClassName), remembered for the run:
/// the name's address stands for it.
TypeId classIdOfInterned(const std::string &name);
std::string typeName(TypeId id);
TypeId attrId(TypeId cls, const char *name);
TypeId linkTypeId(TypeId cls, const char *role);
TypeId classOf(ObjectId id);
bool objectExists(ObjectId id);
bool linkExists(TypeId type, ObjectId from, ObjectId to);
/// Whether `obj` has a partner along `type`. The cached partner lists hold
/// the same partners as the library, so the library answers.
bool hasPartner(TypeId type, ObjectId obj);
/// Unchanged while no object is removed.
std::uint64_t objectRemovalCount();
/// Unchanged while no object and no link of the association of `type` is
/// removed.
std::uint64_t linkRemovalCount(TypeId type);

/// The class and all its subclasses, depth-first post-order: each direct
/// subclass's list in order, then the class itself.
/// Valid until the next call for another class or the next run.
const std::vector<TypeId> &subclassList(TypeId cls);
bool isSubclass(TypeId declared, TypeId requested);

ObjectList *objectList(TypeId cls);
/// Raised whenever cached object lists may go away (a new run, or the
/// caches dropped): a list pointer kept under one value stays valid while
/// the value holds.
std::uint64_t objectListEpoch();
ObjectId objectIdAt(TypeId cls, std::int64_t index);
/// -1 for a bad class.
std::int64_t objectCount(TypeId cls);
/// Creates an object and appends it to its class's list; 0 on failure.
ObjectId createObject(TypeId cls);
/// Whether the repository has no id left for a new object.
bool objectIdsUsedUp();
void deleteObject(ObjectId id);

/// The partner list of `obj` (of class `cls`, as just read: 0 when the
/// object is missing) along `type`; null unless the object exists and the
/// link type is usable from its class. With `none` given, a list that would
/// be made empty is not made: it is null and *none is set, and the list is
/// made as it then stands when asked for again (a re-link counts as made).
PartnerList *partnerList(TypeId type, ObjectId obj, TypeId cls,
                         bool *none = nullptr);
/// A variable starts walking `list`, just handed out (`held` 0) or walked
/// by another that holds it under `held`; returns what to give back when
/// it stops, 0 for a list of a cache gone since. A list that no variable
/// walks may go from the cache.
std::uint64_t holdPartnerList(PartnerList *list, std::uint64_t held);
void releasePartnerList(PartnerList *list, std::uint64_t held);
void createLink(TypeId type, ObjectId from, ObjectId to);
void deleteLink(TypeId type, ObjectId from, ObjectId to);

void writeValue(ObjectId id, TypeId attr, const char *text);
inline void writeValue(ObjectId id, TypeId attr, const std::string &text) {
  writeValue(id, attr, text.c_str());
}
std::string readValue(ObjectId id, TypeId attr);
/// The stored text, valid until the value changes.
const char *readValueText(ObjectId id, TypeId attr);

/// Shows `text` in a modal dialog, then logs "!!! " + text.
void reportError(const std::string &text);
/// Reports the failed condition and throws InternalError.
[[noreturn]] void internalError(const std::string &condition);

/// Drops the partner-list cache (module unload).
void destroyPartnerLists();

} // namespace RepositoryUser

} // namespace kel
