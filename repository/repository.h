//===- repository.h - In-memory object repository ---------------*- C++ -*-===//
//
// Objects of the built-in metamodel with text attribute values and ordered
// links. Orders are stable: objects of one exact class in creation order,
// partners of one end in linking order. Removal leaves a hole that is
// compacted lazily, so deletions never shift lists element by element.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "flat_map.h"
#include "metamodel.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zrep {

using ObjectId = std::int32_t;

/// Partners of one object at one end. Removed links leave a 0 entry until
/// the list is compacted.
struct PartnerList {
  std::vector<ObjectId> slots;
  std::uint32_t live = 0;
};

struct Object {
  ObjectId id = 0;
  TypeId cls = 0;
  std::uint32_t extentPos = 0;     ///< Slot in its exact class's extent.
  std::uint32_t orderPos = 0;      ///< Slot in the repository order.
  std::vector<std::string> values; ///< By attribute slot; may be short.
  /// Ends that have held links, by end slot; small in practice.
  std::vector<std::pair<std::uint32_t, PartnerList>> ends;
};

class Repository {
public:
  explicit Repository(const Metamodel &mm = Metamodel::builtin());
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
  /// Creates an object with a given id (loading); 0 when taken or invalid.
  ObjectId createObjectWithId(TypeId cls, ObjectId id);
  bool deleteObject(ObjectId id);
  bool exists(ObjectId id) const { return find(id) != nullptr; }
  const Object *find(ObjectId id) const;
  TypeId classOf(ObjectId id) const;
  std::size_t objectCount() const { return objects_.size(); }
  /// Makes room for `objects` objects and `links` links (loading).
  void reserve(std::size_t objects, std::size_t links);
  /// All live objects, in repository order (creation order).
  std::vector<const Object *> allObjects() const;

  /// Objects of `cls` and its subclasses: own objects first, then each
  /// direct subclass's listing in order.
  std::int64_t extentSize(TypeId cls) const;
  ObjectId extentAt(TypeId cls, std::int64_t index);

  // Links. `end` is the end seen from `from`.
  /// Links the pair; single-valued ends on either side drop their old link;
  /// an existing link is kept as it is. False on invalid ids or types.
  bool createLink(TypeId end, ObjectId from, ObjectId to);
  /// Removes the link if present. False on invalid ids or types.
  bool deleteLink(TypeId end, ObjectId from, ObjectId to);
  bool connected(TypeId end, ObjectId from, ObjectId to) const;
  std::int64_t partnerCount(ObjectId obj, TypeId end) const;
  ObjectId partnerAt(ObjectId obj, TypeId end, std::int64_t index);
  /// Live partners in order (for saving and listings).
  std::vector<ObjectId> partners(ObjectId obj, TypeId end) const;
  enum class LoadLink { Linked, NoPartner, BadPartner, Duplicate };
  /// Loading: lists `to` at `from`'s end `end`, after the partners listed
  /// there so far. Refuses a missing or unfit partner and a pair that this
  /// side lists already.
  LoadLink loadListedLink(TypeId end, ObjectId from, ObjectId to);
  /// Loading: appends each link listed from one end only to the other end's
  /// list, in the order in which the links were listed.
  void loadFinish();

  // Attribute values.
  /// Whether `value` may be stored in `attr` (decimal integer, literal).
  bool checkValue(TypeId attr, std::string_view value) const;
  /// Stores a checked value; enumeration values are stored bare.
  bool setValue(ObjectId obj, TypeId attr, std::string_view value);
  /// The stored text; empty when unset or invalid.
  const std::string &value(ObjectId obj, TypeId attr) const;

private:
  struct LinkKey {
    TypeId end; ///< The lower-numbered end of the association.
    ObjectId a, b;
    bool operator==(const LinkKey &) const = default;
  };
  struct LinkKeyHash {
    std::size_t operator()(const LinkKey &k) const noexcept;
  };
  struct IdHash {
    std::size_t operator()(ObjectId id) const noexcept;
  };
  struct LinkPos {
    std::uint32_t a = kNoPos, b = kNoPos; ///< Slots in a's and b's lists.
  };
  struct Pending {
    LinkPos *pos;
    const EndInfo *end;
    Object *from, *to;
  };
  struct Extent {
    std::vector<Object *> slots;
    std::uint32_t live = 0;
  };
  static constexpr std::uint32_t kNoPos = UINT32_MAX;

  Object *find(ObjectId id);
  PartnerList *list(Object &o, const EndInfo &e, bool create);
  const PartnerList *list(const Object &o, const EndInfo &e) const;
  LinkKey key(const EndInfo &e, ObjectId from, ObjectId to) const;
  bool endUsable(const EndInfo &e, TypeId cls) const;
  std::uint32_t append(Object &o, const EndInfo &e, ObjectId partner);
  void removeLink(const EndInfo &e, Object &from, Object &to);
  void compact(Object &o, const EndInfo &e, PartnerList &pl);
  void compactExtent(TypeId cls);
  void compactOrder();

  const Metamodel &mm_;
  bool inTransaction_ = false;
  ObjectId nextId_ = 1;
  FlatMap<ObjectId, Object *, IdHash> objects_;
  std::deque<Object> pool_;           ///< Storage of all objects.
  std::vector<Object *> freeObjects_; ///< Deleted objects to reuse.
  std::vector<Extent> extents_;       ///< By class index.
  std::vector<Object *> order_;       ///< Creation order with holes.
  std::size_t orderDead_ = 0;
  FlatMap<LinkKey, LinkPos, LinkKeyHash> links_;
  std::vector<Pending> pending_; ///< Links listed while loading.
};

} // namespace zrep
