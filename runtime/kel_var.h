//===- kel_var.h - Model variables ------------------------------*- C++ -*-===//
//
// Kel_Var_2 is a typed pointer over repository objects: null or on one
// object of its declared class (or a subclass), remembering the iteration
// that put it there so that Next can go on: over a class extent
// (DirectReferenceToRoot) or over the partners of one object along one
// association end (ReferenceByRelation). A variable positioned in an earlier
// run counts as null. Copies iterate on independently from the same place.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repository_user.h"

#include <string>
#include <string_view>
#include <vector>

namespace kel {

class Kel_Var_2;

/// What a role or attribute name last resolved to. A caller that uses one
/// name again and again (an interpreted program) keeps one beside the name,
/// so that the name is looked up once per class and run instead of at every
/// use; the id found is the one the lookup would give.
struct NameCache {
  TypeId cls = 0;                        ///< The class it was looked up in...
  const std::string *declared = nullptr; ///< ...or the declared class name.
  TypeId id = 0;
  std::int32_t generation = -1;
};

/// A role or attribute name as the operations take it, a literal or a
/// std::string, passed on as one NUL-terminated text without a copy, with
/// an optional cache of what it resolves to.
class NameRef {
public:
  NameRef(const char *text, NameCache *cache = nullptr)
      : text_(text), cache_(cache) {}
  NameRef(const std::string &text, NameCache *cache = nullptr)
      : text_(text.c_str()), cache_(cache) {}
  const char *c_str() const { return text_; }
  std::string str() const { return text_; }
  /// The attribute or link type of this name in `cls`.
  TypeId attrIn(TypeId cls) const;
  TypeId roleIn(TypeId cls) const;
  /// The attribute of this name in the declared class `className`.
  TypeId attrInDeclared(const std::string &className) const;

private:
  const char *text_;
  NameCache *cache_;
};

/// The one stored copy of a class name: variables keep a pointer to it
/// instead of copies of their own.
const std::string &internClassName(std::string_view name);

/// Thrown to abort the run; the run frame catches it and commits.
class Kel_Var_2_Exception {
public:
  explicit Kel_Var_2_Exception(std::string text) : text_(std::move(text)) {}
  const std::string &text() const { return text_; }

private:
  std::string text_;
};

enum VarKind {
  kUnInitialized = 0,
  kDirectReferenceToRoot = 1,
  kReferenceByRelation = 2
};

/// The entry a state last found present (its object existing, or its link
/// there) and the count of the removals that could take it away at that
/// moment (of objects, or of objects and links of its association): until
/// the count moves, the entry needs no new check.
class PresenceMark {
public:
  bool holds(std::int64_t index, std::uint64_t removals) const {
    return index >= 0 && index == index_ && at_ == removals;
  }
  void note(std::int64_t index, std::uint64_t removals) {
    index_ = index;
    at_ = removals;
  }
  void forget() { index_ = -1; }

private:
  std::int64_t index_ = -1;
  std::uint64_t at_ = 0;
};

/// A variable's state; the base gives the behaviour of an unpositioned one.
class Kel_Var_2_State {
public:
  /// `className` is an interned name (internClassName): it outlives the
  /// state and copies share it.
  explicit Kel_Var_2_State(const std::string &className)
      : className_(&className) {}
  virtual ~Kel_Var_2_State() = default;

  /// The current object; the variable must not be null.
  virtual ObjectId getCurrObjID();
  /// The positioning operations return whether an object was found.
  virtual bool setFirstToRoot(const std::string &className);
  virtual bool setFirstByRelation(const Kel_Var_2 &from, NameRef role);
  virtual bool setFirstByRelation(ObjectId from, NameRef role);
  virtual void setNull() {}
  virtual bool isNull() { return true; }
  virtual bool next() { return false; }
  virtual void assignFrom(const Kel_Var_2 &) {}
  virtual void setToNewObject(ObjectId id, TypeId cls);
  virtual bool hasPosition() { return true; }
  virtual ObjectId currObjIdUnchecked() { return badObjID; }
  /// For a variable taking another's declared class (assignment).
  void setClassName(const std::string &className) { className_ = &className; }

protected:
  [[noreturn]] void unsupported();
  /// The current object of a positioned state; an internal error if null.
  ObjectId checkedCurrObjID();
  /// Reports "Assignment Failed." and makes the state null.
  void assignFailed();
  const std::string *className_;
};

class UnInitialized : public Kel_Var_2_State {
public:
  using Kel_Var_2_State::Kel_Var_2_State;
};

/// Iteration over the extent of a class: the classes of its subclass list
/// in order, each through its cached object list.
class DirectReferenceToRoot final : public Kel_Var_2_State {
public:
  using Kel_Var_2_State::Kel_Var_2_State;
  ObjectId getCurrObjID() override;
  bool setFirstToRoot(const std::string &className) override;
  void setNull() override;
  bool isNull() override;
  bool next() override;
  void assignFrom(const Kel_Var_2 &source) override;
  void setToNewObject(ObjectId id, TypeId cls) override;
  bool hasPosition() override { return hasSubclasses_; }
  ObjectId currObjIdUnchecked() override;

  std::int64_t objectIndex() const { return objectIndex_; }
  /// The exact class of the current object, read from the list it stands
  /// in; the variable must not be null.
  TypeId currentClass() const {
    return subclasses_[static_cast<std::size_t>(classPos_)];
  }
  /// The current object; badObjID when null.
  ObjectId currentId();

private:
  PresenceMark present_; ///< of the object at (classPos_, objectIndex_)
  /// The id last read at a position, for the run it was read in.
  struct Seen {
    std::int64_t classPos = -1, objectIndex = -1;
    std::int32_t generation = -1;
    ObjectId id = 0;
  } seen_;
  /// Whether seen_ is of the current position and run.
  bool seenHere() const {
    return seen_.classPos == classPos_ && seen_.objectIndex == objectIndex_ &&
           seen_.generation == RepositoryUser::generation() && hasSubclasses_;
  }
  /// The object list of `cls`, looked up once for each list epoch.
  ObjectList *listOf(TypeId cls) {
    std::uint64_t epoch = RepositoryUser::objectListEpoch();
    if (cls != listCls_ || epoch != listEpoch_) {
      list_ = RepositoryUser::objectList(cls);
      listCls_ = cls;
      listEpoch_ = epoch;
    }
    return list_;
  }

  /// The interned names of the last search over a class that passed the
  /// checks, in the run it was made in.
  struct Checked {
    const std::string *requested = nullptr, *declared = nullptr;
    std::int32_t generation = -1;
  } checked_;
  ObjectList *list_ = nullptr;
  TypeId listCls_ = 0;
  std::uint64_t listEpoch_ = 0;
  std::vector<TypeId> subclasses_;
  bool hasSubclasses_ = false; ///< Whether the subclass list exists.
  std::int64_t classPos_ = -1;
  std::int64_t objectIndex_ = -1;
  bool atEnd_ = false;
};

/// Iteration over the partners of one object along one link type.
class ReferenceByRelation final : public Kel_Var_2_State {
public:
  using Kel_Var_2_State::Kel_Var_2_State;
  /// Copies walk the same list, which counts them.
  ReferenceByRelation(const ReferenceByRelation &other);
  ReferenceByRelation &operator=(const ReferenceByRelation &other);
  ~ReferenceByRelation() override { letGo(); }
  ObjectId getCurrObjID() override;
  bool setFirstByRelation(const Kel_Var_2 &from, NameRef role) override;
  bool setFirstByRelation(ObjectId from, NameRef role) override;
  /// For `from` of class `cls`.
  bool setFirstByRelation(ObjectId from, TypeId cls, NameRef role);
  void setNull() override;
  bool isNull() override;
  bool next() override;
  void assignFrom(const Kel_Var_2 &source) override;
  ObjectId currObjIdUnchecked() override;
  /// The current object; badObjID when null.
  ObjectId currentId();
  /// Whether it holds a list of the cache.
  bool walks() const { return held_ != 0; }

private:
  PresenceMark present_; ///< of the link of entry partnerIndex_
  std::int64_t partnerIndex_ = -1;
  /// Stops counting as a walker of list_.
  void letGo() {
    if (list_ && held_)
      RepositoryUser::releasePartnerList(list_, held_);
    held_ = 0;
  }
  /// Walks `list`, held by another under `heldBy` (0: just handed out).
  void walk(PartnerList *list, std::uint64_t heldBy);

  /// Makes the list of a walk begun with no partner, if there is one now;
  /// whether there is a list.
  bool make();

  PartnerList *list_ = nullptr; ///< Owned by the partner-list cache.
  std::uint64_t held_ = 0;      ///< What holding list_ gave; 0: not held.
  ObjectId source_ = badObjID;
  TypeId sourceClass_ = 0;
  TypeId linkType_ = 0;
  bool atEnd_ = false;
  bool unmade_ = false; ///< Begun with no partner, and no list made yet.
};

class Kel_Var_2 {
public:
  /// Reports an unknown class name but constructs all the same.
  explicit Kel_Var_2(std::string_view className);
  Kel_Var_2(const Kel_Var_2 &) = default;
  /// Copies the declared class, the kind and the state of that kind only:
  /// a variable that takes another kind later starts that state afresh.
  Kel_Var_2 &operator=(const Kel_Var_2 &other);
  /// Makes this variable unpositioned, of the declared class of `fresh`
  /// (itself unpositioned), as assigning `fresh` would; but a partner list
  /// it walked is let go only when it starts another walk. A procedure
  /// called again and again walks the same few lists, which so stay held
  /// instead of going to the cache's parking ring and back at every call.
  void restartAs(const Kel_Var_2 &fresh);

  const std::string &declaredClass() const { return *className_; }
  VarKind kind() const { return kind_; }
  /// Whether the stamp is of the current run.
  bool isCurrent() const { return generation_ >= RepositoryUser::generation(); }
  void stamp() { generation_ = RepositoryUser::generation(); }
  /// Switches kind; the new state keeps its own fields.
  void setKind(VarKind kind);
  /// The active state. States hold iteration positions, which even the
  /// const operations (IsNull) may move past known-dead entries.
  Kel_Var_2_State &state() const {
    switch (kind_) {
    case kDirectReferenceToRoot:
      return root_;
    case kReferenceByRelation:
      return relation_;
    case kUnInitialized:
      return uninit_;
    }
    RepositoryUser::internalError("Illegal VarKind");
  }
  const DirectReferenceToRoot &rootState() const { return root_; }
  /// The current object, badObjID for a null variable (CurId).
  ObjectId currentId() const;
  /// The class of `id`, the current object of this variable.
  TypeId classOfCurrent(ObjectId id) const {
    return kind_ == kDirectReferenceToRoot ? root_.currentClass()
                                           : RepositoryUser::classOf(id);
  }

private:
  const std::string *className_; ///< interned
  mutable UnInitialized uninit_;
  mutable DirectReferenceToRoot root_;
  mutable ReferenceByRelation relation_;
  VarKind kind_ = kUnInitialized;
  std::int32_t generation_;
};

// The operations through which all compiler code reaches the model.
bool First(Kel_Var_2 &v, std::string_view className);
/// First for a name already interned (internClassName).
bool FirstOfInterned(Kel_Var_2 &v, const std::string &className);
bool FirstByLink(Kel_Var_2 &v, const Kel_Var_2 &from, NameRef role);
bool Next(Kel_Var_2 &v);
bool IsNull(const Kel_Var_2 &v);
ObjectId CurId(const Kel_Var_2 &v);
void SetNull(Kel_Var_2 &v);
void SetPointer(Kel_Var_2 &target, const Kel_Var_2 &source);
void AddObj(Kel_Var_2 &v, std::string_view className);
bool DeleteObj(Kel_Var_2 &v);
void AddLink(const Kel_Var_2 &a, const Kel_Var_2 &b, NameRef role);
void DeleteLink(const Kel_Var_2 &a, const Kel_Var_2 &b, NameRef role);
bool LinkExists(const Kel_Var_2 &a, const Kel_Var_2 &b, NameRef role);
/// Whether FirstByLink from `from` along `role` would find a partner, with
/// the same report for a role the class lacks, but no variable positioned.
bool HasPartner(const Kel_Var_2 &from, NameRef role);
bool LinkNotExists(const Kel_Var_2 &a, const Kel_Var_2 &b, NameRef role);
bool IsTypeOf(const Kel_Var_2 &v, std::string_view className);
bool PtrEq(const Kel_Var_2 &a, const Kel_Var_2 &b);
bool PtrNe(const Kel_Var_2 &a, const Kel_Var_2 &b);
std::string GetAttrStr(const Kel_Var_2 &v, NameRef attr);
bool GetAttrBool(const Kel_Var_2 &v, NameRef attr);
int GetAttrInt(const Kel_Var_2 &v, NameRef attr);
std::string GetAttrEnum(const Kel_Var_2 &v, NameRef attr);
void SetAttrStr(const Kel_Var_2 &v, NameRef attr, const std::string &value);
void SetAttrBool(const Kel_Var_2 &v, NameRef attr, bool value);
void SetAttrInt(const Kel_Var_2 &v, NameRef attr, int value);
void SetAttrEnum(const Kel_Var_2 &v, NameRef attr, const std::string &value);

/// Reports `text` (which ends "\nProgramm will now exit !") and aborts the
/// run with an empty Kel_Var_2_Exception.
[[noreturn]] void abortRun(const std::string &text);

} // namespace kel
