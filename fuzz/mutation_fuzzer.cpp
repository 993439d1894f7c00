//===- mutation_fuzzer.cpp - Valid models mutated structurally ------------===//
//
// The input picks a seed model by its first byte (even: the library example,
// odd: the mistakes example) and then lists mutations, each an operation
// byte followed by its choices (two-byte numbers taken modulo the number of
// candidates): links removed, redirected, added or moved to the end of
// their list, attributes set or cleared, objects deleted, cloned, created or
// swapped for an object of another class. The result is saved and loaded as
// the zevac host would load it (models the loader refuses, such as those
// with containment cycles, are never compiled) and then compiled.
//
// The project's "path" and "name" and the ZEVA model's "name" are never set:
// they name the folder the compiler writes into. The seeds' folder does not
// exist in the scratch folder, so that no run writes a file.
//
//===----------------------------------------------------------------------===//

#include "fuzz_support.h"

#include "repo_file.h"
#include "repository.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace {

using zeva::fuzz::ByteReader;
using zrep::ObjectId;
using zrep::Repository;
using zrep::TypeId;

constexpr int kMaxMutations = 64;

/// Values that attributes of String type may be given besides the texts of
/// other attributes: names of the seeds, expressions, odd words, multi-byte
/// letters before line breaks.
const char *const kTexts[] = {
    "",
    "x",
    "lib",
    "b",
    "m",
    "name",
    "copies",
    "Open",
    "Overdue",
    "self",
    "@lib",
    "NULL",
    "true",
    "0",
    "1 + 2",
    "x.name",
    "a = b",
    "not (a)",
    "size(name)",
    "toString(1)",
    "\"s\"",
    "\"",
    "(",
    ")",
    "a.b.c",
    "x->y",
    "b.copies",
    "lib_main",
    "Library",
    "library::Book",
    "isAvailable and copies > 0",
    "main",
    "_mvar_1",
    "a, b",
    "- 1",
    "n\xc3\xa4me\n",
    "size(\"\xe2\x82\xac\") = \xf0\x9f\x98\x80\r\n",
};
const char *const kIntegers[] = {"0",  "1",          "2",          "3",
                                 "-1", "2147483647", "-2147483648"};

class Mutator {
public:
  Mutator(Repository &repo, ByteReader &in)
      : repo_(repo), mm_(repo.metamodel()), in_(in) {}

  void run() {
    for (int n = 0; n < kMaxMutations && !in_.empty(); ++n) {
      objects_.clear();
      repo_.forEachObject(
          [&](const zrep::Object &o) { objects_.push_back(o.id); });
      if (objects_.empty())
        return;
      switch (in_.byte() % 9) {
      case 0:
        removeLink();
        break;
      case 1:
        redirectLink();
        break;
      case 2:
        addLink(pickObject());
        break;
      case 3:
        setAttribute(false);
        break;
      case 4:
        setAttribute(true);
        break;
      case 5:
        repo_.deleteObject(pickObject());
        break;
      case 6:
        copyObject(pickObject(), pickClass(), true);
        break;
      case 7:
        copyObject(pickObject(), 0, false);
        break;
      default:
        addLink(repo_.createObject(pickClass()));
        break;
      }
    }
  }

private:
  ObjectId pickObject() { return objects_[in_.below(objects_.size())]; }
  TypeId pickClass() {
    std::vector<TypeId> concrete;
    for (const zrep::ClassInfo &c : mm_.classes())
      if (!c.isAbstract)
        concrete.push_back(c.id);
    return concrete[in_.below(concrete.size())];
  }
  /// An object of `obj`'s, one of its ends that holds links, and one of the
  /// partners there; false when it has none.
  bool pickLink(ObjectId &obj, TypeId &end, ObjectId &partner) {
    obj = pickObject();
    const zrep::Object *o = std::as_const(repo_).find(obj);
    if (!o || o->endCount == 0)
      return false;
    end = repo_.endPartners(*o, in_.below(o->endCount)).end;
    std::vector<ObjectId> all = repo_.partners(obj, end);
    if (all.empty())
      return false;
    partner = all[in_.below(all.size())];
    return true;
  }
  /// An object that fits `end`; 0 when none does.
  ObjectId pickPartner(TypeId end) {
    std::vector<ObjectId> fit;
    for (ObjectId id : objects_)
      if (repo_.exists(id) && mm_.fitsTarget(end, repo_.classOf(id)))
        fit.push_back(id);
    return fit.empty() ? 0 : fit[in_.below(fit.size())];
  }

  void removeLink() {
    ObjectId obj, partner;
    TypeId end;
    if (pickLink(obj, end, partner))
      repo_.deleteLink(end, obj, partner);
  }
  /// Moves one partner of an end to another object, or to the end of the
  /// same list when the new partner is the old one.
  void redirectLink() {
    ObjectId obj, partner;
    TypeId end;
    if (!pickLink(obj, end, partner))
      return;
    ObjectId other = pickPartner(end);
    repo_.deleteLink(end, obj, partner);
    repo_.createLink(end, obj, other);
  }
  void addLink(ObjectId obj) {
    if (!repo_.exists(obj))
      return;
    const zrep::ClassInfo *c = mm_.classInfo(repo_.classOf(obj));
    TypeId end = c->ends[in_.below(c->ends.size())];
    repo_.createLink(end, obj, pickPartner(end));
  }
  /// Sets an attribute to a value that fits its type, or clears it.
  void setAttribute(bool clear) {
    ObjectId obj = pickObject();
    const zrep::ClassInfo *c = mm_.classInfo(repo_.classOf(obj));
    if (c->attrs.empty())
      return;
    const zrep::AttrInfo *a =
        mm_.attrInfo(c->attrs[in_.below(c->attrs.size())]);
    if (c->name == "project::Project" ||
        (c->name == "ZEVA::Model" && a->name == "name"))
      return;
    std::string value;
    if (!clear)
      value = valueFor(*a);
    repo_.setValue(obj, a->id, value);
  }
  std::string valueFor(const zrep::AttrInfo &a) {
    switch (a.kind) {
    case zrep::AttrKind::Boolean:
      return in_.byte() % 2 ? "true" : "false";
    case zrep::AttrKind::Integer:
      return kIntegers[in_.below(std::size(kIntegers))];
    case zrep::AttrKind::Enum: {
      const auto &literals = mm_.enums()[a.enumIndex].literals;
      return literals[in_.below(literals.size())];
    }
    case zrep::AttrKind::String:
      break;
    }
    if (in_.byte() % 2)
      return kTexts[in_.below(std::size(kTexts))];
    // The text of an attribute of another object, say a name in the model.
    ObjectId other = pickObject();
    const zrep::ClassInfo *c = mm_.classInfo(repo_.classOf(other));
    if (c->attrs.empty())
      return "";
    return repo_.value(other, c->attrs[in_.below(c->attrs.size())]);
  }
  /// A new object of class `cls` (0: the same class) with the attributes and
  /// links of `obj` that it can take; `obj` itself goes when `replace`.
  void copyObject(ObjectId obj, TypeId cls, bool replace) {
    const zrep::Object *o = std::as_const(repo_).find(obj);
    if (!o)
      return;
    const zrep::ClassInfo *from = mm_.classInfo(o->cls);
    const zrep::ClassInfo *to = mm_.classInfo(cls ? cls : o->cls);
    std::vector<std::pair<TypeId, std::vector<ObjectId>>> links;
    for (std::uint32_t k = 0; k < o->endCount; ++k) {
      TypeId end = repo_.endPartners(*o, k).end;
      links.emplace_back(end, repo_.partners(obj, end));
    }
    ObjectId copy = repo_.createObject(to->id); // may move the records
    if (!copy)
      return;
    for (TypeId attr : from->attrs) {
      const zrep::AttrInfo *a = mm_.attrInfo(attr);
      TypeId target = mm_.attrId(to->id, a->name);
      std::string value = repo_.value(obj, attr);
      if (target && repo_.checkValue(target, value))
        repo_.setValue(copy, target, value);
    }
    for (const auto &[end, partners] : links) {
      TypeId target = mm_.endId(to->id, mm_.endInfo(end)->role);
      for (ObjectId partner : partners)
        if (target && mm_.fitsTarget(target, repo_.classOf(partner)))
          repo_.createLink(target, copy, partner == obj ? copy : partner);
    }
    if (replace)
      repo_.deleteObject(obj);
  }

  Repository &repo_;
  const zrep::Metamodel &mm_;
  ByteReader &in_;
  std::vector<ObjectId> objects_;
};

const std::string &seed(int n) {
  static const std::array<std::string, 2> seeds = {
      zeva::fuzz::sourceFile("examples/library/model.json"),
      zeva::fuzz::sourceFile("examples/mistakes/model.json")};
  return seeds[n];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  ByteReader in(data, size);
  zrep::LoadResult loaded = zrep::loadRepositoryText(seed(in.byte() % 2), "");
  Mutator(*loaded.repo, in).run();
  // As the host would get it: what the loader refuses is never compiled.
  zrep::LoadResult mutated =
      zrep::loadRepositoryText(zrep::saveRepositoryText(*loaded.repo), "");
  if (mutated.repo)
    zeva::fuzz::compile(*mutated.repo);
  return 0;
}
