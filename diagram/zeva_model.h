//===- zeva_model.h - Reading ZEVA procedures for drawing -------*- C++ -*-===//
//
// The diagram reads a model that may be faulty in any way the repository
// allows: objects of unexpected classes, missing partners, ends that lead
// nowhere. The reads by name answer empty for a missing object or a name
// its class does not have.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "named_access.h"
#include "repository.h"

#include <string>
#include <vector>

namespace zdiagram {

using zrep::ObjectId;

/// The kinds of objects a diagram draws; Other for everything else.
enum class Kind {
  Other,
  Procedure, ///< ZEVAprocedure
  Start,
  End,
  Rule,
  Text,
  Call,
  Foreach,
  While,
  Flow,
  ClassElement,
  AssocLink,
  Link, ///< a plain connector between class elements
  Parameter,
  Variable,
};

class ZevaModel : public zrep::NamedAccess {
public:
  explicit ZevaModel(const zrep::Repository &repo);

  Kind kind(ObjectId id) const;
  bool isFlowEnd(ObjectId id) const;
  bool isLoop(ObjectId id) const {
    Kind k = kind(id);
    return k == Kind::Foreach || k == Kind::While;
  }

  /// The name an element of a rule is shown by: its definition's, else the
  /// referenced element's, else its own.
  std::string elementName(ObjectId element) const;
  /// The name of the class of such an element, empty when unknown.
  std::string elementClass(ObjectId element) const;
  /// The name of the type of a parameter, variable or definition.
  std::string typeName(ObjectId typed) const;
  /// The packages that hold a procedure below its transformation, outer
  /// first, joined by "::".
  std::string unitOf(ObjectId procedure) const;

private:
  std::vector<Kind> kinds_; ///< by class id
  zrep::TypeId flowEnd_, model_;
};

} // namespace zdiagram
