//===- export_writer.h - The state of one export ----------------*- C++ -*-===//
#pragma once

#include "export_notation.h"
#include "flat_map.h"
#include "lexer.h"
#include "names.h"
#include "queries.h"
#include "schema.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace notation {

/// An attribute value that the text conveys by its form.
using Conveyed = std::pair<TypeId, std::string_view>;

class Exporter {
public:
  explicit Exporter(const zrep::Repository &repo);
  ExportResult run();
  ~Exporter();

private:
  /// A procedure whose text a worker writes: where it goes in the text.
  struct Deferred {
    ObjectId proc;
    std::size_t at, depth;
    std::string ordinal;
    std::size_t begin = 0, end = 0;       ///< its text in the worker's
    std::size_t warnings = 0, warned = 0; ///< its warnings in the worker's
    int worker = 0;
  };
  /// Sizes the tables kept by record index.
  void prepare();
  /// The whole text but what the workers write.
  void writeOutside();
  /// Writes the deferred procedures [first, last) (as a worker).
  void writeDeferred(std::vector<Deferred> &deferred, std::size_t first,
                     std::size_t last, int worker);
  /// Splices the workers' texts into the text and their warnings into
  /// the warnings, in the order of the text.
  void splice(std::vector<Deferred> &deferred, Exporter *workers[2]);

  // export.cpp
  void line() { out_ += '\n'; }
  /// Two blanks a level, up to a depth beyond which nesting is not shown
  /// (models may nest thousands of levels deep).
  void indent() { out_.append(2 * std::min<std::size_t>(depth_, 40), ' '); }
  void name(std::string_view n) { appendName(out_, n); }
  void expression(std::string_view text, ExprEnd end);
  /// The record of `obj`; one without class, values or links when there is
  /// none.
  const zrep::Object &object(ObjectId obj) const;
  /// Annotations and the attribute values that the form does not convey.
  void tail(const zrep::Object &obj, std::initializer_list<Conveyed> conveyed);
  void tail(ObjectId obj, std::initializer_list<Conveyed> conveyed) {
    tail(object(obj), conveyed);
  }
  /// Appends "@{name = "value", ...}" for the values the form does not
  /// convey; false when there are none.
  bool overrides(const zrep::Object &obj,
                 std::initializer_list<Conveyed> conveyed);
  void mark(ObjectId obj);
  /// "#k" for the k-th declaration (k > 1) of a name among its siblings.
  std::string sibling(ObjectId obj, TypeId up, char group,
                      std::string_view name);
  bool marked(ObjectId obj) const;
  void warn(ObjectId obj, const std::string &what);
  std::string propertyRef(ObjectId property);
  std::string_view typeRef(ObjectId type);
  void project(ObjectId p);
  void kernelPackage(ObjectId p);
  void kernelMember(ObjectId m);
  void kernelClass(ObjectId c);
  void property(ObjectId p);
  void zevaPackage(ObjectId p);
  void zevaMember(ObjectId m);

  // export_procedure.cpp
  void procedure(ObjectId p, const std::string &ordinal);
  void external(ObjectId p);
  void parameter(ObjectId param, int number);
  void bodyItem(ObjectId item);
  /// Reads a little of each object of the procedure in one quick pass, so
  /// that their cache misses overlap rather than come one by one as the
  /// text is written.
  void fetch(const zrep::Object &proc);
  void nameNodes(ObjectId container);
  /// Makes a declaration of the procedure known under its name.
  void declare(const zrep::Object &decl);
  /// The index in groups_ of the declarations named `n`, made when new.
  std::uint32_t group(std::string_view n);
  static constexpr std::uint32_t kNoGroup = UINT32_MAX;
  /// The index in groups_ of the name `n`, or kNoGroup.
  std::uint32_t findGroup(std::string_view n) const;
  void node(ObjectId n);
  void rule(ObjectId r, bool head);
  void element(ObjectId e);
  void link(ObjectId l);
  void assignment(ObjectId a, ObjectId rule);
  void flow(const zrep::Object &f);
  /// The name under which a rule element is found: name and ordinal.
  std::string elementRef(ObjectId element);
  std::string declRef(ObjectId decl);
  /// Whether `property`, looked up by its name from class `cls`, is found:
  /// then the text may name it alone.
  bool namedFrom(ObjectId cls, ObjectId property);

  const zrep::Repository &repo_;
  const Schema &s_;
  /// Shared with the workers, which only read them: every type and
  /// procedure has its shortest name before they start.
  std::unique_ptr<PathIndex> ownTypes_, ownProcs_;
  const PathIndex *types_, *procs_;
  /// A worker of `main`.
  explicit Exporter(const Exporter &main);
  std::string out_;
  std::size_t depth_ = 0;
  std::size_t fetched_ = 0; ///< what fetch() read, kept
  ExportResult result_;
  /// Where in the text each warning was given (for splicing).
  std::vector<std::size_t> warnedAt_;
  /// Procedures are left to workers (large models).
  bool defer_ = false;
  std::vector<Deferred> deferred_;
  std::vector<bool> written_; ///< by record index
  /// Declarations so far by owner, group and name, for sibling().
  struct Sibling {
    ObjectId owner = 0;
    char group = 0;
    std::string_view name;
    bool operator==(const Sibling &) const = default;
  };
  struct SiblingHash {
    std::size_t operator()(const Sibling &s) const {
      return std::hash<std::string_view>()(s.name) ^
             static_cast<std::size_t>((static_cast<std::uint32_t>(s.owner) *
                                       0x9e3779b97f4a7c15ULL) >>
                                      16) ^
             static_cast<std::size_t>(s.group);
    }
  };
  zrep::FlatMap<Sibling, int, SiblingHash> siblings_;
  struct PairHash {
    std::size_t operator()(std::uint64_t key) const {
      return static_cast<std::size_t>((key * 0x9e3779b97f4a7c15ULL) >> 32);
    }
  };
  /// namedFrom by (class, property): the same pairs recur in every rule.
  zrep::FlatMap<std::uint64_t, bool, PairHash> namedFrom_;

  // The procedure being written. What is known of its objects is kept by
  // record index, and holds while `scope` is the procedure (its nodes and
  // declarations) or the rule being written (its elements): nothing needs
  // clearing from one procedure or rule to the next.
  struct Known {
    enum Kind : std::uint8_t { Node, Decl, Element };
    ObjectId scope = 0;
    Kind kind = Node;
    /// Node: its kind (kNodeKinds); Decl: its group; Element: the group of
    /// the name it is written with (0: none).
    std::uint32_t group = 0;
    /// Node: k of its name "kindk"; Decl: the declarations of that name
    /// before it; Element: the rule's elements of that name before it.
    std::uint32_t number = 0;
    /// Decl: its position among the definitions of that name, from 1; 0
    /// for a parameter or variable.
    std::uint32_t defNumber = 0;
  };
  /// The declarations of one name in the procedure being written.
  struct Group {
    std::string_view name;
    std::string written; ///< the name as a statement may start with it
    std::uint32_t size = 0, defs = 0;
    ObjectId rule = 0;      ///< the rule that `seen` counts for
    std::uint32_t seen = 0; ///< that rule's elements of this name so far
  };
  Known &know(ObjectId obj);
  /// What is known of `obj` as a `kind` in `scope`; null when nothing.
  const Known *known(ObjectId obj, ObjectId scope, Known::Kind kind) const;
  /// Appends the name of a node of the procedure ("start" and "end" alone
  /// only when `orKind`); false for a node without one.
  bool appendNodeName(ObjectId node, bool orKind);

  ObjectId proc_ = 0, rule_ = 0;
  std::vector<ObjectId> textOrder_; ///< the procedure's flow ends, as written
  /// By record index; zeroed memory (Known{}), whose pages are only taken
  /// as a worker reaches the objects on them.
  Known *known_ = nullptr;
  std::size_t knownSize_ = 0;
  Known unknown_; ///< know() of an object without a record
  std::vector<Group> groups_;
  /// groups_ by name, once there are many.
  std::unordered_map<std::string_view, std::uint32_t> groupOf_;
};

} // namespace notation
