//===- model_generator_texts.h - Constraint and value texts -----*- C++ -*-===//
#pragma once

#include "model_generator_procedures.h"

namespace gen {

/// The texts a procedure's elements carry: constraints, assigned values and
/// String arguments, built from the attributes of the classes involved and
/// the parameters and variables of the procedure (n, msg, label, limit).
class Texts {
public:
  Texts(const ClassModel &m, const Signature &sig, Rng &rng)
      : m_(m), sig_(sig), rng_(rng) {}

  const Attribute &attributeOf(int cls);
  std::string literal(const Attribute &a);
  /// A test of one attribute; `prefix` is "" inside a class element and
  /// "name." elsewhere.
  std::string atom(const Attribute &a, const std::string &prefix);
  /// A constraint of a class element of class `cls`.
  std::string constraint(int cls);
  /// A new value for attribute `a` of a class element of class `cls`.
  std::string value(const Attribute &a, int cls);
  /// Text for a String argument or message.
  std::string text();

private:
  const ClassModel &m_;
  const Signature &sig_;
  Rng &rng_;
};

} // namespace gen
