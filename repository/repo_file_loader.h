//===- repo_file_loader.h - The repository file loader ----------*- C++ -*-===//
//
// Internal to the loader's files: repo_file_load.cpp reads the text in one
// pass of RapidJSON's SAX reader; as each object closes, repo_file_object.cpp
// creates it, stores its values and keeps its listed links as plain ids;
// repo_file_check.cpp then makes the links, checks multiplicities and
// containment and puts the problems in the order of the checks.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "repo_file.h"
#include "repository.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zrep::load {

/// The JSON type of a value, as problems name it.
enum class Kind : std::uint8_t { Null, Boolean, Object, Array, String, Number };
const char *kindName(Kind k);

/// A text from the file in double quotes, made printable (file_text.h).
std::string quote(std::string_view s);
/// "objects[I]", or "object ID (objects[I])" once the id is known.
std::string where(std::size_t index, ObjectId id);

/// Problems of one check, in the order found, each with a sort key; only the
/// first few are spelled out, since no more can be reported.
class ProblemList {
public:
  template <class F> void add(std::uint64_t key, F &&message) {
    if (first_.size() < kMaxReportedProblems)
      first_.push_back({key, message()});
    ++count_;
  }
  std::size_t count() const { return count_; }
  const std::vector<std::pair<std::uint64_t, std::string>> &first() const {
    return first_;
  }

private:
  std::vector<std::pair<std::uint64_t, std::string>> first_;
  std::size_t count_ = 0;
};

/// Name lookups for the loader: every class, attribute and role name in one
/// small open-addressing table, then a row per class. Members of a large
/// metamodel, whose rows would take too much room, are looked up in it.
class Names {
public:
  explicit Names(const Metamodel &mm);
  TypeId classId(std::string_view name) const;
  TypeId attrId(TypeId cls, std::string_view name) const;
  TypeId endId(TypeId cls, std::string_view role) const;

private:
  /// Most entries the rows may have.
  static constexpr std::size_t kMaxRows = std::size_t(1) << 20;

  const Metamodel &mm_;
  bool rows_ = true;
  static std::uint64_t hash(std::string_view s);
  std::uint32_t intern(std::string_view name);
  /// The index of a name, or UINT32_MAX.
  std::uint32_t lookup(std::string_view name) const;

  std::vector<std::string_view> names_;
  std::vector<std::uint32_t> table_; ///< Name index + 1; 0: free.
  std::vector<TypeId> classes_;      ///< By name index.
  std::vector<TypeId> attrs_, ends_; ///< By class row, then name index.
};

/// One role listed in an object's "links".
struct Group {
  TypeId end = 0;          ///< 0 when the role or its value is wrong.
  std::uint32_t first = 0; ///< First item in Loader::items_.
  std::uint32_t count = 0; ///< Items.
  std::uint32_t problem = UINT32_MAX; ///< Index in Loader::groupProblems_.
};

/// An object that was created, with what its links need later.
struct Loaded {
  ObjectId id;
  std::uint32_t index;       ///< In "objects".
  std::uint32_t groupsBegin; ///< Range in Loader::groups_.
  std::uint32_t groupsEnd;
  std::uint32_t linksProblem; ///< Index in groupProblems_, or UINT32_MAX.
};

class Loader {
public:
  /// A loader into a repository of `mm`; of the built-in metamodel when
  /// `mm` is null.
  Loader(std::string_view name, std::shared_ptr<const Metamodel> mm);
  /// Loads `text`, which must be followed by a NUL; `release` is called
  /// once the text has been read.
  LoadResult run(std::string_view text, const std::function<void()> &release);

  // Filled by the reader (repo_file_load.cpp).
  std::shared_ptr<const Metamodel> keep_;
  const Metamodel &mm_;
  Names names_{mm_};
  std::string name_;
  std::unique_ptr<Repository> repo_;

  bool rootIsObject_ = false;
  Kind rootKind_ = Kind::Null;
  bool formatSeen_ = false, formatOk_ = false;
  bool versionSeen_ = false, versionOk_ = false;
  bool objectsSeen_ = false, objectsIsArray_ = false;
  Kind objectsKind_ = Kind::Null;
  ProblemList topKeys_; ///< Unknown top-level keys.
  ProblemList objects_; ///< Per object: id, class, keys.
  ProblemList values_;  ///< Per created object: attributes.
  /// Ids of objects that were not created, with their index in "objects".
  std::unordered_map<ObjectId, std::uint32_t> invalid_;
  /// Index in "objects" of each created object, by creation.
  std::vector<Loaded> loaded_;
  std::vector<Group> groups_;
  /// Listed partners: their ids, then, once linked, their record + 1 (0
  /// for those that were not linked).
  std::vector<ObjectId> items_;
  /// Items that are no object id: (item, kind), in item order.
  std::vector<std::pair<std::uint32_t, Kind>> badItems_;
  std::vector<std::string> groupProblems_;

private:
  // The checks after reading (repo_file_check.cpp).
  void makeLinks();
  void checkMultiplicities();
  bool anyCycle();
  void checkContainment();
  LoadResult report();

  /// By creation: whether the object owns others (see checkContainment).
  std::vector<bool> owns_;
  /// Loading: (owner, owned) by creation, from the containment links.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ownership_;
  std::vector<ObjectId> overfull_; ///< From Repository::loadFinish.
  ProblemList links_;              ///< Per created object, after its values.
  ProblemList multiplicity_;       ///< Per object.
  ProblemList containment_;
};

/// Reads `text` into `loader`; returns false with the message of a
/// malformed document.
bool read(std::string_view text, Loader &loader, std::string &error);

} // namespace zrep::load
