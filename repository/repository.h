//===- repository.h - In-memory object repository ---------------*- C++ -*-===//
//
// Objects of a metamodel (the built-in one unless given) with text attribute
// values and ordered links. Orders are stable: objects of one exact class in
// creation order, partners of one end in linking order. Removal leaves a hole
// that is compacted lazily, so deletions never shift lists element by element.
//
// Storage is sized for millions of objects: a 20-byte record per object in
// creation order, ids mapped to records through pages of a dense table,
// attribute values as handles of shared texts, and each object's links in
// one small block of (end, partner) entries. An end with one partner keeps
// it in its entry; longer lists have a vector of their own, and very long
// ones an index of positions, built when a lookup first needs it.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "block_pool.h"
#include "id_index.h"
#include "id_map.h"
#include "metamodel.h"
#include "string_store.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zrep {

using ObjectId = std::int32_t;

/// An object's record. Records are kept in creation order (the repository
/// order) and move when the holes of deleted objects are squeezed out.
/// Trivial, so that storage for records is not written before its use.
struct Object {
  ObjectId id; ///< 0 once deleted.
  std::uint16_t cls;
  std::uint8_t endCount; ///< Entries in the end block.
  std::uint8_t endClass; ///< Size class of the end block.
  std::uint32_t extentPos;
  std::uint32_t values; ///< Text handles by attribute slot; 0: none.
  std::uint32_t ends;   ///< End block; 0: none.
};
static_assert(sizeof(Object) == 20);

/// The partners of an object at one end, in order. Entries of 0 are holes
/// left by removed links; `live` counts the others.
struct EndPartners {
  TypeId end;
  const ObjectId *begin, *finish;
  std::uint32_t live;
};

class Repository {
public:
  /// A repository of `mm`, which must outlive it.
  explicit Repository(const Metamodel &mm = Metamodel::builtin());
  /// A repository of a metamodel made at run time, which it keeps alive
  /// (of the built-in one when `mm` is null).
  explicit Repository(std::shared_ptr<const Metamodel> mm);
  Repository(const Repository &) = delete;
  Repository &operator=(const Repository &) = delete;
  ~Repository();

  const Metamodel &metamodel() const { return mm_; }

  // Transactions. Only one may be open at a time.
  bool startTransaction();
  bool commitTransaction();
  bool inTransaction() const { return inTransaction_; }

  // Objects.
  /// Creates an object of a concrete class with the next free id; 0 when the
  /// class is unknown or abstract or the ids are used up.
  ObjectId createObject(TypeId cls);
  /// Whether an id is left for createObject: new ids go above every id
  /// ever used, up to the largest 32-bit one.
  bool hasFreeId() const {
    return nextId_ <= std::numeric_limits<ObjectId>::max();
  }
  /// Whether createObject has refused an object for want of an id.
  bool idsRanOut() const { return idsRanOut_; }
  /// Creates an object with a given id (loading); 0 when taken or invalid.
  ObjectId createObjectWithId(TypeId cls, ObjectId id);
  bool deleteObject(ObjectId id);
  /// Counts removals of links and objects in every repository of the
  /// process (and connections): while it stays the same, whatever existed
  /// still does, so a caller may skip re-checking it.
  static std::uint64_t removals() { return removals_; }
  /// The same for objects alone: while it stays the same, every object
  /// that existed still does.
  static std::uint64_t objectRemovals() { return objectRemovals_; }
  /// The same for objects and the links of one association, named by
  /// either end: while it stays the same, every object and every such link
  /// that existed still does. Ends share counters, so the count may also
  /// move for links of other associations.
  static std::uint64_t linkRemovals(TypeId end) {
    return objectRemovals_ +
           linkRemovals_[static_cast<std::uint32_t>(end) % kLinkCounters];
  }
  /// Where the counts above are kept (for the C interface).
  struct Counters {
    const std::uint64_t *all, *objects, *links;
    std::int32_t linkCounters;
  };
  static Counters removalCounters() {
    return {&removals_, &objectRemovals_, linkRemovals_,
            static_cast<std::int32_t>(kLinkCounters)};
  }
  static void noteRemoval() {
    ++removals_;
    ++objectRemovals_;
  }
  bool exists(ObjectId id) const { return ids_.find(id) != IdIndex::kNone; }
  const Object *find(ObjectId id) const;
  TypeId classOf(ObjectId id) const;
  std::size_t objectCount() const { return recordCount_ - dead_; }
  /// All live objects, in repository order (creation order).
  std::vector<const Object *> allObjects() const;
  /// Calls `f(const Object &)` for each live object in repository order.
  template <class F> void forEachObject(F &&f) const {
    for (std::uint32_t i = 0; i < recordCount_; ++i)
      if (const Object &o = record(i); o.id)
        f(o);
  }
  /// As forEachObject, for walks that read every object's values and links
  /// (saving): the blocks and texts of the objects ahead are fetched into
  /// the cache meanwhile, since they lie scattered after a long run.
  template <class F> void scanObjects(F &&f) const {
    constexpr std::uint32_t kBlocksAhead = 16, kTextsAhead = 8;
    for (std::uint32_t i = 0; i < recordCount_; ++i) {
      if (i + kBlocksAhead < recordCount_)
        prefetchBlocks(record(i + kBlocksAhead));
      if (i + kTextsAhead < recordCount_)
        prefetchTexts(record(i + kTextsAhead));
      if (const Object &o = record(i); o.id)
        f(o);
    }
  }

  /// Objects of `cls` and its subclasses: own objects first, then each
  /// direct subclass's listing in order.
  std::int64_t extentSize(TypeId cls) const;
  ObjectId extentAt(TypeId cls, std::int64_t index);

  // Links. `end` is the end seen from `from`.
  /// Links the pair; single-valued ends on either side drop their old link;
  /// an existing link is kept as it is (and `*existed`, if given, is set).
  /// False on invalid ids or types.
  bool createLink(TypeId end, ObjectId from, ObjectId to,
                  bool *existed = nullptr);
  /// Removes the link if present. False on invalid ids or types.
  bool deleteLink(TypeId end, ObjectId from, ObjectId to);
  bool connected(TypeId end, ObjectId from, ObjectId to) const;
  std::int64_t partnerCount(ObjectId obj, TypeId end) const;
  ObjectId partnerAt(ObjectId obj, TypeId end, std::int64_t index);
  /// The partners of `obj` at `end` as they are stored, holes (0 entries)
  /// included; empty for a missing object or an end its class lacks. Valid
  /// until the object's links change.
  EndPartners partnersView(ObjectId obj, TypeId end) const;
  /// Live partners in order (for saving and listings).
  std::vector<ObjectId> partners(ObjectId obj, TypeId end) const;
  /// The `k`th end of `o` that holds links (k < o.endCount), counting in
  /// the order in which the ends got their first partner.
  EndPartners endPartners(const Object &o, std::uint32_t k) const {
    const EndRef &r = endBlocks_.at(o.ends)[k];
    TypeId end = classInfo(o).ends[r.slot];
    if (!r.spilled)
      return {end, &r.v, &r.v + 1, 1};
    const Spill &s = spills_[static_cast<std::uint32_t>(r.v)];
    return {end, s.slots.data(), s.slots.data() + s.slots.size(), s.live};
  }
  /// Position of the object's record in the repository order, counting the
  /// holes of deleted objects; IdIndex::kNone for a missing object.
  std::uint32_t indexOf(ObjectId id) const { return ids_.find(id); }

  enum class LoadLink { Linked, NoPartner, BadPartner, Duplicate };
  /// Loading: makes room for `ends` ends of `obj` holding links.
  void loadReserveEnds(ObjectId obj, std::size_t ends);
  /// Loading: lists `to` at the end `end` of the object in record `from`
  /// (see indexOf), after the partners listed there so far, and tells the
  /// partner's record. Refuses a missing or unfit partner and a pair that
  /// this side lists already.
  LoadLink loadListedLink(TypeId end, std::uint32_t from, ObjectId to,
                          std::uint32_t &toIndex);
  /// Loading, once every side has listed its partners: a link that the
  /// object in record `to` does not list joins the end of its list. Call
  /// for each linked pair in the order in which they were listed.
  void loadOtherEnd(TypeId end, std::uint32_t from, std::uint32_t to);
  /// Loading is over: drops the position indexes that loading built and
  /// returns the objects with a single-valued end that got more than one
  /// partner, in repository order.
  std::vector<ObjectId> loadFinish();

  // Attribute values.
  /// Whether `value` may be stored in `attr` (decimal integer, literal).
  bool checkValue(TypeId attr, std::string_view value) const;
  /// Stores a checked value; enumeration values are stored bare.
  bool setValue(ObjectId obj, TypeId attr, std::string_view value);
  /// The stored text; empty when unset or invalid.
  std::string value(ObjectId obj, TypeId attr) const;
  /// The stored text without a copy; its data() is NUL-terminated and stays
  /// valid until this value changes.
  std::string_view valueView(ObjectId obj, TypeId attr) const;
  /// Whether any stored value is not UTF-8 (which a file cannot hold).
  bool holdsNonUtf8() const { return strings_.notUtf8() != 0; }
  /// The text in attribute slot `slot` of `o` (saving).
  std::string_view slotValue(const Object &o, std::uint32_t slot) const {
    return o.values ? strings_.view(valueBlocks_.at(o.values)[slot])
                    : std::string_view("", 0);
  }

private:
  /// One end of an object that holds links: `v` is the only partner, or,
  /// when `spilled`, the index of the end's Spill.
  struct EndRef {
    std::uint16_t slot;
    std::uint16_t spilled;
    ObjectId v;
  };
  /// A partner list of two or more entries; 0 entries are holes.
  struct Spill {
    std::vector<ObjectId> slots;
    std::uint32_t live = 0;
    /// Position index in indexes_, if a lookup has needed one.
    mutable std::uint32_t index = kNone;
  };
  struct Extent {
    std::vector<ObjectId> slots;
    std::uint32_t live = 0;
  };
  static constexpr std::uint32_t kNone = UINT32_MAX;
  static constexpr std::uint32_t kRecordBits = 16;
  static constexpr std::uint32_t kRecordMask = (1u << kRecordBits) - 1;

  Object &record(std::uint32_t i) {
    return records_[i >> kRecordBits][i & kRecordMask];
  }
  const Object &record(std::uint32_t i) const {
    return records_[i >> kRecordBits][i & kRecordMask];
  }
  /// Throws std::logic_error when a class does not fit the records.
  void checkRecords() const;
  Object *find(ObjectId id);
  const ClassInfo &classInfo(const Object &o) const {
    return mm_.classes()[o.cls - Metamodel::kFirstClassId];
  }
  bool endUsable(const EndInfo &e, TypeId cls) const;
  void prefetchBlocks(const Object &o) const;
  void prefetchTexts(const Object &o) const;

  // Partner lists (repository_links.cpp).
  EndRef *endRef(Object &o, std::uint32_t slot);
  const EndRef *endRef(const Object &o, std::uint32_t slot) const;
  EndRef &addEnd(Object &o, std::uint32_t slot);
  void dropEnd(Object &o, std::uint32_t slot);
  std::uint32_t listSize(const EndRef &r) const;
  /// Where `partner` is in the list, or kNone. Long lists get an index.
  std::uint32_t position(const EndRef &r, ObjectId partner) const;
  ObjectId firstLive(const EndRef &r) const;
  /// Appends `partner` to the list of `r` (an entry of `o`, or null for an
  /// end that holds no links yet).
  void append(Object &o, EndRef *r, std::uint32_t slot, ObjectId partner);
  void append(Object &o, std::uint32_t slot, ObjectId partner) {
    append(o, endRef(o, slot), slot, partner);
  }
  void removeAt(Object &o, std::uint32_t slot, std::uint32_t pos);
  static inline std::uint64_t removals_ = 0;
  static inline std::uint64_t objectRemovals_ = 0;
  static constexpr std::uint32_t kLinkCounters = 256;
  static inline std::uint64_t linkRemovals_[kLinkCounters] = {};
  void compact(Spill &s);
  std::uint32_t newSpill();
  void freeSpill(std::uint32_t s);
  bool linked(const Object &from, const EndInfo &e, const Object &to) const;
  void removeLink(const EndInfo &e, Object &from, Object &to);
  void unlinkAll(Object &o);

  void releaseValues(Object &o);
  void compactExtent(TypeId cls);
  void compactOrder();

  std::shared_ptr<const Metamodel> keep_; ///< Null for a borrowed one.
  const Metamodel &mm_;
  bool inTransaction_ = false;
  std::int64_t nextId_ = 1;
  bool idsRanOut_ = false;

  std::vector<std::unique_ptr<Object[]>> records_; ///< Chunks of records.
  std::uint32_t recordCount_ = 0;                  ///< Including holes.
  std::uint32_t dead_ = 0;                         ///< Holes.
  IdIndex ids_;
  std::vector<Extent> extents_; ///< By class index.

  StringStore strings_;
  BlockPool<std::uint32_t> valueBlocks_;
  BlockPool<EndRef> endBlocks_;
  std::vector<Spill> spills_;
  std::vector<std::uint32_t> freeSpills_;
  /// Loading: objects whose single-valued end got a second partner.
  std::vector<ObjectId> overfull_;
  // Built by lookups, const ones included.
  mutable std::vector<IdMap> indexes_;
  mutable std::vector<std::uint32_t> freeIndexes_;
};

} // namespace zrep
