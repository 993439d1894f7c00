//===- export_writer.h - The state of one export ----------------*- C++ -*-===//
#pragma once

#include "export_notation.h"
#include "lexer.h"
#include "queries.h"
#include "schema.h"

#include <algorithm>
#include <initializer_list>
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

private:
  // export.cpp
  void line() { out_ += '\n'; }
  /// Two blanks a level, up to a depth beyond which nesting is not shown
  /// (models may nest thousands of levels deep).
  void indent() { out_.append(2 * std::min<std::size_t>(depth_, 40), ' '); }
  void name(std::string_view n) { appendNameTo(out_, n); }
  static void appendNameTo(std::string &out, std::string_view n);
  void expression(std::string_view text, ExprEnd end);
  /// Annotations and the attribute values that the form does not convey.
  void tail(ObjectId obj, std::initializer_list<Conveyed> conveyed);
  /// "@{name = "value", ...}" for the values the form does not convey.
  std::string overrides(ObjectId obj, std::initializer_list<Conveyed> conveyed);
  void mark(ObjectId obj);
  /// "#k" for the k-th declaration (k > 1) of a name among its siblings.
  std::string sibling(ObjectId obj, TypeId up, char group,
                      std::string_view name);
  bool marked(ObjectId obj) const;
  void warn(ObjectId obj, const std::string &what);
  std::string propertyRef(ObjectId property);
  std::string typeRef(ObjectId type);
  void project(ObjectId p);
  void kernelPackage(ObjectId p, bool top);
  void kernelMember(ObjectId m);
  void kernelClass(ObjectId c);
  void property(ObjectId p);
  void zevaPackage(ObjectId p);
  void zevaMember(ObjectId m);

  // export_procedure.cpp
  void procedure(ObjectId p);
  void external(ObjectId p);
  void parameter(ObjectId param, int number);
  void bodyItem(ObjectId item);
  void nameNodes(ObjectId container, bool top);
  void node(ObjectId n);
  void rule(ObjectId r, bool head);
  void element(ObjectId e);
  void link(ObjectId l);
  void assignment(ObjectId a, ObjectId rule);
  void flow(ObjectId f);
  /// The name under which a rule element is found: name and ordinal.
  std::string elementRef(ObjectId element, ObjectId rule);
  std::string declRef(ObjectId decl);

  const zrep::Repository &repo_;
  const Schema &s_;
  PathIndex types_, procs_;
  std::string out_;
  std::size_t depth_ = 0;
  ExportResult result_;
  std::vector<bool> written_; ///< by record index
  std::unordered_map<std::string, int> siblings_;

  // The procedure being written.
  ObjectId proc_ = 0;
  std::unordered_map<ObjectId, std::string> nodeNames_;
  std::unordered_map<std::string_view, std::vector<ObjectId>> decls_;
  /// The elements of the rule being written: the name each is written
  /// with and how many of the rule's elements before it have that name.
  std::unordered_map<ObjectId, std::pair<std::string_view, int>> ruleElements_;
  std::string nodeRef(ObjectId node);
};

} // namespace notation
