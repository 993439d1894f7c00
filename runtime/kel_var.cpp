//===- kel_var.cpp - Model variable states --------------------------------===//

#include "kel_var.h"

#include "name_table.h"

namespace kel {

namespace RU = RepositoryUser;

//===----------------------------------------------------------------------===//
// Kel_Var_2_State: the behaviour of a variable that was never positioned
//===----------------------------------------------------------------------===//

void Kel_Var_2_State::unsupported() {
  RU::internalError("UnsupportedOperation");
}

ObjectId Kel_Var_2_State::getCurrObjID() { unsupported(); }

bool Kel_Var_2_State::setFirstToRoot(const std::string &) { unsupported(); }

bool Kel_Var_2_State::setFirstByRelation(const Kel_Var_2 &, NameRef) {
  unsupported();
}

bool Kel_Var_2_State::setFirstByRelation(ObjectId, NameRef) { unsupported(); }

void Kel_Var_2_State::setToNewObject(ObjectId, TypeId) { unsupported(); }

ObjectId Kel_Var_2_State::checkedCurrObjID() {
  if (isNull())
    RU::internalError("current object of a null variable");
  return currObjIdUnchecked();
}

void Kel_Var_2_State::assignFailed() {
  RU::reportError("Assignment Failed.");
  setNull();
}

//===----------------------------------------------------------------------===//
// DirectReferenceToRoot
//===----------------------------------------------------------------------===//

bool DirectReferenceToRoot::setFirstToRoot(const std::string &className) {
  // The same search again in the same run needs no new checks, and keeps
  // its subclass list (the metamodel does not change under a run).
  if (!hasSubclasses_ || &className != checked_.requested ||
      className_ != checked_.declared ||
      checked_.generation != RU::generation()) {
    TypeId requested = RU::classIdOfInterned(className);
    if (requested == 0) {
      RU::reportError("Class \"" + className + "\" does not exist.");
      setNull();
      return false;
    }
    TypeId declared = RU::classIdOfInterned(*className_);
    if (requested != declared && !RU::isSubclass(declared, requested)) {
      setNull();
      throw Kel_Var_2_Exception(
          "Incompatible types in setFirstToRoot\ndeclared type : \"" +
          *className_ + "\"\nclass requested in setFirstToRoot : \"" +
          className + "\".");
    }
    // The subclass list is only copied when it differs.
    const std::vector<TypeId> &subclasses = RU::subclassList(requested);
    if (subclasses_ != subclasses)
      subclasses_ = subclasses;
    checked_ = {&className, className_, RU::generation()};
    hasSubclasses_ = true;
  }
  present_.forget();
  seen_ = {};
  classPos_ = objectIndex_ = -1;
  atEnd_ = false;
  return next();
}

bool DirectReferenceToRoot::next() {
  std::int64_t cls = classPos_, start = objectIndex_ + 1;
  if (classPos_ == -1 && objectIndex_ == -1)
    cls = start = 0;
  if (hasSubclasses_)
    for (; cls < static_cast<std::int64_t>(subclasses_.size());
         ++cls, start = 0) {
      ObjectList *list = listOf(subclasses_[cls]);
      if (!list)
        break;
      // Deleted objects never come back (ids are not reused), so an entry
      // found missing is skipped by every later search.
      bool allExist = list->builtAt == RU::objectRemovalCount();
      for (std::size_t i = list->live.firstFrom(start); i < list->ids.size();
           i = list->live.firstFrom(i + 1)) {
        if (allExist || RU::objectExists(list->ids[i])) {
          classPos_ = cls;
          objectIndex_ = static_cast<std::int64_t>(i);
          present_.note(objectIndex_, RU::objectRemovalCount());
          seen_ = {cls, objectIndex_, RU::generation(), list->ids[i]};
          atEnd_ = false;
          return true;
        }
        list->live.markDead(i);
      }
    }
  atEnd_ = true;
  return false;
}

ObjectId DirectReferenceToRoot::currObjIdUnchecked() {
  // An entry of a list never changes within a run: the id found for a
  // position stays the answer until the position or the run changes.
  if (seenHere())
    return seen_.id;
  if (!hasSubclasses_ || classPos_ < 0 || objectIndex_ < 0 ||
      classPos_ >= static_cast<std::int64_t>(subclasses_.size()))
    return badObjID;
  ObjectList *list = listOf(subclasses_[classPos_]);
  if (!list || objectIndex_ >= static_cast<std::int64_t>(list->ids.size()))
    return badObjID;
  seen_ = {classPos_, objectIndex_, RU::generation(), list->ids[objectIndex_]};
  return seen_.id;
}

ObjectId DirectReferenceToRoot::currentId() {
  // The common case first: the object read at this position is known to
  // exist still.
  if (!atEnd_ && present_.holds(objectIndex_, RU::objectRemovalCount()) &&
      seenHere())
    return seen_.id;
  return isNull() ? badObjID : currObjIdUnchecked();
}

bool DirectReferenceToRoot::isNull() {
  if (atEnd_)
    return true;
  // Objects only disappear through a removal, which changes the count.
  if (present_.holds(objectIndex_, RU::objectRemovalCount()))
    return false;
  ObjectId id = currObjIdUnchecked();
  if (id == badObjID || !RU::objectExists(id))
    return true;
  present_.note(objectIndex_, RU::objectRemovalCount());
  return false;
}

ObjectId DirectReferenceToRoot::getCurrObjID() { return checkedCurrObjID(); }

void DirectReferenceToRoot::setNull() {
  present_.forget();
  subclasses_.clear();
  hasSubclasses_ = false;
  seen_ = {};
  classPos_ = objectIndex_ = -1;
}

void DirectReferenceToRoot::setToNewObject(ObjectId, TypeId cls) {
  // The subclass list is only copied when it differs.
  const std::vector<TypeId> &subclasses =
      RU::subclassList(RU::classIdOfInterned(*className_));
  if (subclasses_ != subclasses)
    subclasses_ = subclasses;
  checked_ = {};
  hasSubclasses_ = true;
  seen_ = {};
  classPos_ = -1;
  for (std::size_t i = 0; i < subclasses_.size() && classPos_ < 0; ++i)
    if (subclasses_[i] == cls)
      classPos_ = static_cast<std::int64_t>(i);
  objectIndex_ = RU::objectCount(cls) - 1;
  present_.forget();
  atEnd_ = false;
}

void DirectReferenceToRoot::assignFrom(const Kel_Var_2 &source) {
  ObjectId obj = CurId(source);
  TypeId cls = RU::classOf(obj);
  bool fromRoot = source.kind() == kDirectReferenceToRoot;
  if (!hasSubclasses_) {
    if (!fromRoot)
      return assignFailed();
    subclasses_ = RU::subclassList(RU::classIdOfInterned(*className_));
    checked_ = {};
    hasSubclasses_ = true;
    seen_ = {};
  }
  std::int64_t pos = -1;
  for (std::size_t i = 0; i < subclasses_.size() && pos < 0; ++i)
    if (subclasses_[i] == cls)
      pos = static_cast<std::int64_t>(i);
  if (pos < 0)
    return assignFailed();
  std::int64_t index = -1;
  if (fromRoot) {
    index = source.rootState().objectIndex();
  } else if (ObjectList *list = RU::objectList(cls)) {
    index = list->find(obj);
  }
  if (index < 0)
    return assignFailed();
  classPos_ = pos;
  objectIndex_ = index;
  present_.forget();
  atEnd_ = false;
}

//===----------------------------------------------------------------------===//
// ReferenceByRelation
//===----------------------------------------------------------------------===//

ReferenceByRelation::ReferenceByRelation(const ReferenceByRelation &other)
    : Kel_Var_2_State(other) {
  *this = other;
}

ReferenceByRelation &
ReferenceByRelation::operator=(const ReferenceByRelation &other) {
  if (this == &other)
    return *this;
  Kel_Var_2_State::operator=(other);
  present_ = other.present_;
  partnerIndex_ = other.partnerIndex_;
  source_ = other.source_;
  sourceClass_ = other.sourceClass_;
  linkType_ = other.linkType_;
  atEnd_ = other.atEnd_;
  unmade_ = other.unmade_;
  if (other.held_) {
    walk(other.list_, other.held_);
  } else {
    letGo();
    list_ = other.list_;
  }
  return *this;
}

void ReferenceByRelation::walk(PartnerList *list, std::uint64_t heldBy) {
  // Held before the old one is let go: it may be the same list.
  std::uint64_t held = list ? RU::holdPartnerList(list, heldBy) : 0;
  letGo();
  list_ = list;
  held_ = held;
}

bool ReferenceByRelation::setFirstByRelation(const Kel_Var_2 &from,
                                             NameRef role) {
  // CurId is 0 exactly for a null variable.
  ObjectId source = CurId(from);
  if (source == badObjID) {
    setNull();
    return false;
  }
  return setFirstByRelation(source, from.classOfCurrent(source), role);
}

bool ReferenceByRelation::setFirstByRelation(ObjectId from, NameRef role) {
  return setFirstByRelation(from, RU::classOf(from), role);
}

bool ReferenceByRelation::setFirstByRelation(ObjectId from, TypeId cls,
                                             NameRef role) {
  TypeId type = role.roleIn(cls);
  if (type == 0) {
    RU::reportError("Association \"" + role.str() +
                    "\" starting from class \"" + RU::typeName(cls) +
                    "\" does not exist.");
    setNull();
    return false;
  }
  // With no partner yet, the list is made when there is one (next).
  bool none = false;
  PartnerList *list = RU::partnerList(type, from, cls, &none);
  if (!list && !none)
    RU::internalError("no partner list for \"" + role.str() + "\" of object " +
                      std::to_string(from));
  source_ = from;
  sourceClass_ = cls;
  linkType_ = type;
  unmade_ = none;
  walk(list, 0);
  partnerIndex_ = -1;
  present_.forget();
  atEnd_ = none;
  return !none && next();
}

bool ReferenceByRelation::make() {
  if (unmade_) {
    bool none = false;
    if (PartnerList *list =
            RU::partnerList(linkType_, source_, sourceClass_, &none)) {
      unmade_ = false;
      walk(list, 0);
    }
  }
  return list_ != nullptr;
}

bool ReferenceByRelation::next() {
  if (!make()) {
    atEnd_ = true;
    return false;
  }
  bool allLinked = list_->builtAt == RU::linkRemovalCount(linkType_);
  if (allLinked || RU::objectExists(source_))
    // A link found missing only comes back through a new entry (creating a
    // link appends one and skips the old), so the old entry stays dead.
    for (std::size_t i =
             list_->firstLive(static_cast<std::size_t>(partnerIndex_ + 1));
         i < list_->size(); i = list_->firstLive(i + 1)) {
      if (!list_->skipped(i) &&
          (allLinked ||
           RU::linkExists(linkType_, source_, list_->partner(i)))) {
        partnerIndex_ = static_cast<std::int64_t>(i);
        present_.note(partnerIndex_, RU::linkRemovalCount(linkType_));
        atEnd_ = false;
        return true;
      }
      list_->markDead(i);
    }
  atEnd_ = true;
  return false;
}

ObjectId ReferenceByRelation::currObjIdUnchecked() {
  if (!list_ || partnerIndex_ < 0 ||
      partnerIndex_ >= static_cast<std::int64_t>(list_->size()))
    return badObjID;
  return list_->partner(partnerIndex_);
}

ObjectId ReferenceByRelation::currentId() {
  if (atEnd_)
    return badObjID;
  // A deleted object has no links left, so the link test covers both ends;
  // and a link only disappears through a removal, which changes the count.
  ObjectId partner = currObjIdUnchecked();
  if (partner == badObjID || list_->skipped(partnerIndex_))
    return badObjID;
  if (present_.holds(partnerIndex_, RU::linkRemovalCount(linkType_)))
    return partner;
  if (!RU::linkExists(linkType_, source_, partner))
    return badObjID;
  present_.note(partnerIndex_, RU::linkRemovalCount(linkType_));
  return partner;
}

bool ReferenceByRelation::isNull() { return currentId() == badObjID; }

ObjectId ReferenceByRelation::getCurrObjID() { return checkedCurrObjID(); }

void ReferenceByRelation::setNull() {
  partnerIndex_ = -1;
  present_.forget();
  letGo();
  list_ = nullptr;
  unmade_ = false;
  source_ = badObjID;
  linkType_ = 0;
}

void ReferenceByRelation::assignFrom(const Kel_Var_2 &source) {
  // Without a list (the last FirstByLink failed) there is nothing to find.
  if (!make())
    return assignFailed();
  std::int64_t entry = list_->currentOf(CurId(source));
  if (entry < 0)
    return assignFailed();
  partnerIndex_ = entry;
  present_.forget();
  atEnd_ = false;
}

//===----------------------------------------------------------------------===//
// Kel_Var_2
//===----------------------------------------------------------------------===//

const std::string &internClassName(std::string_view name) {
  // Never freed: a variable may outlive any static destructor's turn.
  static auto *names = new zrep::NameTable;
  // Names come mostly from literals: a slot keeps the answer for one
  // address, confirmed by comparing the text.
  struct Slot {
    const char *at = nullptr;
    const std::string *name = nullptr;
  };
  static Slot slots[256];
  Slot &slot =
      slots[(reinterpret_cast<std::uintptr_t>(name.data()) >> 3) & 255];
  if (slot.at == name.data() && *slot.name == name)
    return *slot.name;
  const std::string *stored = names->stored(name);
  if (!stored) {
    names->emplace(name, 0);
    stored = names->stored(name);
  }
  slot = {name.data(), stored};
  return *stored;
}

Kel_Var_2::Kel_Var_2(std::string_view className)
    : className_(&internClassName(className)), uninit_(*className_),
      root_(*className_), relation_(*className_),
      generation_(RU::generation()) {
  if (RU::classId(*className_) == 0)
    RU::reportError("Class \"" + *className_ + "\" does not exist.");
}

Kel_Var_2 &Kel_Var_2::operator=(const Kel_Var_2 &other) {
  if (this == &other)
    return *this;
  className_ = other.className_;
  uninit_.setClassName(*className_);
  root_.setClassName(*className_);
  relation_.setClassName(*className_);
  switch (other.kind_) {
  case kDirectReferenceToRoot:
    root_ = other.root_;
    break;
  case kReferenceByRelation:
    relation_ = other.relation_;
    break;
  case kUnInitialized:
    break;
  }
  // A relation state left behind lets its list go.
  if (other.kind_ != kReferenceByRelation && relation_.walks())
    relation_.setNull();
  kind_ = other.kind_;
  generation_ = other.generation_;
  return *this;
}

void Kel_Var_2::restartAs(const Kel_Var_2 &fresh) {
  className_ = fresh.className_;
  uninit_.setClassName(*className_);
  root_.setClassName(*className_);
  relation_.setClassName(*className_);
  kind_ = kUnInitialized;
  generation_ = fresh.generation_;
}

ObjectId Kel_Var_2::currentId() const {
  if (!isCurrent())
    return badObjID;
  switch (kind_) {
  case kDirectReferenceToRoot:
    return root_.currentId();
  case kReferenceByRelation:
    return relation_.currentId();
  case kUnInitialized:
    break;
  }
  return badObjID;
}

void Kel_Var_2::setKind(VarKind kind) {
  if (kind != kUnInitialized && kind != kDirectReferenceToRoot &&
      kind != kReferenceByRelation)
    RU::internalError("Illegal newKind value");
  if (kind != kReferenceByRelation && relation_.walks())
    relation_.setNull();
  kind_ = kind;
}

} // namespace kel
