//===- kel_var_ops.cpp - Operations on model variables --------------------===//

#include "kel_var.h"

#include "dialogs.h"

#include <charconv>

namespace kel {

namespace RU = RepositoryUser;

namespace {

const char *const kUnexisting =
    "Attempt to use unexisting object\nProgramm will now exit !";

void reportMissingRole(TypeId cls, NameRef role) {
  RU::reportError("Association \"" + role.str() + "\" starting from class \"" +
                  RU::typeName(cls) + "\" does not exist.");
}

/// Reads `attr` through `v`, given the attribute id already looked up; the
/// text stays valid until the value changes.
const char *readAttrText(const Kel_Var_2 &v, TypeId attr) {
  ObjectId id = CurId(v);
  if (id == badObjID)
    abortRun(kUnexisting);
  if (attr == 0)
    RU::reportError("Bad Attribute ID 0.");
  return RU::readValueText(id, attr);
}

std::string readAttr(const Kel_Var_2 &v, TypeId attr) {
  return readAttrText(v, attr);
}

/// Attribute writes look the attribute up in the object's exact class.
/// CurId is 0 exactly for a null variable.
void writeAttr(const Kel_Var_2 &v, NameRef name, const char *text) {
  ObjectId id = CurId(v);
  TypeId attr = id == badObjID ? 0 : name.attrIn(RU::classOf(id));
  if (attr == 0)
    RU::reportError("Bad Attribute ID 0.");
  if (id == badObjID)
    abortRun(kUnexisting);
  if (attr == 0) {
    RU::reportError("Bad Attribute ID 0");
    throw InternalError("Bad Attribute ID 0");
  }
  RU::writeValue(id, attr, text);
}

/// The link type of `role` from `a`, the current object of `v`.
TypeId roleOf(const Kel_Var_2 &v, ObjectId a, NameRef role) {
  TypeId cls = v.classOfCurrent(a);
  TypeId type = role.roleIn(cls);
  if (type == 0)
    reportMissingRole(cls, role);
  return type;
}

} // namespace

TypeId NameRef::attrIn(TypeId cls) const {
  if (!cache_)
    return RU::attrId(cls, text_);
  if (cache_->generation != RU::generation() || cache_->declared ||
      cache_->cls != cls) {
    *cache_ = {cls, nullptr, RU::attrId(cls, text_), RU::generation()};
  }
  return cache_->id;
}

TypeId NameRef::roleIn(TypeId cls) const {
  if (!cache_)
    return RU::linkTypeId(cls, text_);
  if (cache_->generation != RU::generation() || cache_->declared ||
      cache_->cls != cls)
    *cache_ = {cls, nullptr, RU::linkTypeId(cls, text_), RU::generation()};
  return cache_->id;
}

TypeId NameRef::attrInDeclared(const std::string &className) const {
  if (!cache_)
    return RU::attrId(RU::classId(className), text_);
  if (cache_->generation != RU::generation() || cache_->declared != &className)
    *cache_ = {0, &className, RU::attrId(RU::classId(className), text_),
               RU::generation()};
  return cache_->id;
}

void abortRun(const std::string &text) {
  RU::reportError(text);
  throw Kel_Var_2_Exception("");
}

bool First(Kel_Var_2 &v, std::string_view name) {
  return FirstOfInterned(v, internClassName(name));
}

bool FirstOfInterned(Kel_Var_2 &v, const std::string &className) {
  v.stamp();
  v.setKind(kDirectReferenceToRoot);
  return v.state().setFirstToRoot(className);
}

bool FirstByLink(Kel_Var_2 &v, const Kel_Var_2 &from, NameRef role) {
  v.stamp();
  v.setKind(kReferenceByRelation);
  return v.state().setFirstByRelation(from, role);
}

bool Next(Kel_Var_2 &v) {
  if (!v.isCurrent()) {
    v.setKind(kUnInitialized);
    return false;
  }
  return v.state().next();
}

// An unpositioned variable is null, and a positioned one has an object
// exactly when it is not null: the two ask the same question.
bool IsNull(const Kel_Var_2 &v) { return v.currentId() == badObjID; }

ObjectId CurId(const Kel_Var_2 &v) { return v.currentId(); }

void SetNull(Kel_Var_2 &v) {
  if (!v.isCurrent())
    v.setKind(kUnInitialized);
  v.stamp();
  v.state().setNull();
}

void SetPointer(Kel_Var_2 &target, const Kel_Var_2 &source) {
  // A variable of an earlier run starts afresh: the lists it iterated are
  // gone with that run.
  if (!target.isCurrent())
    target.setKind(kUnInitialized);
  target.stamp();
  if (target.kind() == kUnInitialized)
    First(target, target.declaredClass());
  if (IsNull(source))
    target.state().setNull();
  else
    target.state().assignFrom(source);
}

void AddObj(Kel_Var_2 &v, std::string_view name) {
  const std::string &className = internClassName(name);
  v.stamp();
  TypeId cls = RU::classIdOfInterned(className);
  if (cls == 0) {
    RU::reportError("Class \"" + className + "\" does not exist.");
    v.setKind(kUnInitialized);
    return;
  }
  if (!RU::isSubclass(RU::classIdOfInterned(v.declaredClass()), cls))
    throw Kel_Var_2_Exception(
        "Incompatible types in addObj(requested class is not subclass of "
        "declared class)\ndeclared class name : \"" +
        v.declaredClass() + "\"\n requested class name : \"" + className +
        "\".");
  ObjectId id = RU::createObject(cls);
  if (id == badObjID && RU::objectIdsUsedUp())
    abortRun("No object id is left for a new " + className +
             " object: every id up to 2147483647 is used.\nProgramm will "
             "now exit !");
  if (id == badObjID)
    RU::internalError("_CreateObject(" + className + ") failed");
  v.setKind(kDirectReferenceToRoot);
  v.state().setToNewObject(id, cls);
}

bool DeleteObj(Kel_Var_2 &v) {
  if (IsNull(v))
    return false;
  RU::deleteObject(CurId(v));
  return true;
}

// CurId is 0 exactly for a null variable, so one call both tests and reads.
void AddLink(const Kel_Var_2 &a, const Kel_Var_2 &b, NameRef role) {
  ObjectId from = CurId(a), to = CurId(b);
  if (from == badObjID || to == badObjID) {
    showMessage("Null in AddLink.");
    return;
  }
  if (TypeId type = roleOf(a, from, role))
    RU::createLink(type, from, to);
}

void DeleteLink(const Kel_Var_2 &a, const Kel_Var_2 &b, NameRef role) {
  ObjectId from = CurId(a), to = CurId(b);
  if (from == badObjID || to == badObjID) {
    showMessage("Null in Delete Link. No deletion occured.");
    return;
  }
  if (TypeId type = roleOf(a, from, role))
    RU::deleteLink(type, from, to);
}

bool LinkExists(const Kel_Var_2 &a, const Kel_Var_2 &b, NameRef role) {
  ObjectId from = CurId(a), to = CurId(b);
  if (from == badObjID || to == badObjID)
    return false;
  TypeId type = roleOf(a, from, role);
  return type != 0 && RU::linkExists(type, from, to);
}

bool HasPartner(const Kel_Var_2 &from, NameRef role) {
  ObjectId source = CurId(from);
  if (source == badObjID)
    return false;
  TypeId type = roleOf(from, source, role);
  return type != 0 && RU::hasPartner(type, source);
}

bool LinkNotExists(const Kel_Var_2 &a, const Kel_Var_2 &b, NameRef role) {
  return !LinkExists(a, b, role);
}

bool IsTypeOf(const Kel_Var_2 &v, std::string_view name) {
  const std::string &className = internClassName(name);
  ObjectId id = CurId(v);
  if (id == badObjID) {
    showMessage("Null in isTypeOf.\nProgramm will now exit !");
    throw Kel_Var_2_Exception("");
  }
  TypeId cls = RU::classIdOfInterned(className);
  return cls != 0 && RU::classOf(id) == cls;
}

bool PtrEq(const Kel_Var_2 &a, const Kel_Var_2 &b) {
  bool na = IsNull(a), nb = IsNull(b);
  if (na || nb)
    return na && nb;
  return CurId(a) == CurId(b);
}

bool PtrNe(const Kel_Var_2 &a, const Kel_Var_2 &b) { return !PtrEq(a, b); }

std::string GetAttrStr(const Kel_Var_2 &v, NameRef attr) {
  return readAttr(v, attr.attrInDeclared(v.declaredClass()));
}

bool GetAttrBool(const Kel_Var_2 &v, NameRef attr) {
  std::string_view text =
      readAttrText(v, attr.attrInDeclared(v.declaredClass()));
  return text == "true" || text == "1";
}

int GetAttrInt(const Kel_Var_2 &v, NameRef attr) {
  std::string_view text =
      readAttrText(v, attr.attrInDeclared(v.declaredClass()));
  int n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  return ec == std::errc() && end == text.data() + text.size() ? n : 0;
}

std::string GetAttrEnum(const Kel_Var_2 &v, NameRef attr) {
  TypeId id = IsNull(v) ? 0 : attr.attrIn(RU::classOf(CurId(v)));
  if (id == 0)
    RU::reportError("Bad Attribute ID 0.");
  return attr.str() + "::" + readAttr(v, id);
}

void SetAttrStr(const Kel_Var_2 &v, NameRef attr, const std::string &value) {
  writeAttr(v, attr, value.c_str());
}

void SetAttrBool(const Kel_Var_2 &v, NameRef attr, bool value) {
  writeAttr(v, attr, value ? "true" : "false");
}

void SetAttrInt(const Kel_Var_2 &v, NameRef attr, int value) {
  char text[16];
  *std::to_chars(text, text + sizeof text - 1, value).ptr = '\0';
  writeAttr(v, attr, text);
}

void SetAttrEnum(const Kel_Var_2 &v, NameRef attr, const std::string &value) {
  // Trim blanks, then keep what follows the last "::" (a "::" at the very
  // start does not count).
  std::size_t first = value.find_first_not_of(' ');
  std::string text =
      first == std::string::npos
          ? std::string()
          : value.substr(first, value.find_last_not_of(' ') - first + 1);
  std::size_t start = 0;
  for (std::size_t at = text.find("::", 1); at != std::string::npos;
       at = text.find("::", at + 2))
    start = at + 2;
  writeAttr(v, attr, text.substr(start).c_str());
}

} // namespace kel
