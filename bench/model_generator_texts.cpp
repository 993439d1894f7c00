//===- model_generator_texts.cpp - Constraint and value texts -------------===//
//
// Relations, and/or/not and the built-in functions (size, toUpper, indexOf,
// substring, toString, toEnum) over attributes of every kind, as modellers
// write them.
//
//===----------------------------------------------------------------------===//

#include "model_generator_texts.h"

namespace gen {

const Attribute &Texts::attributeOf(int cls) {
  return m_.attributes[rng_.pick(m_.classes[cls].allAttributes)];
}

std::string Texts::literal(const Attribute &a) {
  return rng_.pick(m_.enumerations[a.enumeration].literals);
}

static std::string upper(std::string s) {
  for (char &c : s)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string Texts::atom(const Attribute &a, const std::string &prefix) {
  std::string x = prefix + a.name;
  switch (a.kind) {
  case Kind::Integer:
    switch (rng_.below(4)) {
    case 0:
      return x + " > 0";
    case 1:
      return sig_.limit ? x + " >= limit" : x + " < 10";
    case 2:
      return x + " + 1 < 100";
    default:
      return x + " <> n";
    }
  case Kind::String:
    switch (rng_.below(6)) {
    case 0:
      return sig_.label ? x + " = label" : x + " = msg";
    case 1:
      return "size(" + x + ") > 0";
    case 2:
      return x + " <> \"none\"";
    case 3:
      return "toUpper(" + x + ") = \"NEW\"";
    case 4:
      return "indexOf(" + x + ", \"@\") > 0";
    default:
      return "substring(" + x + ", 1, 2) = \"AB\"";
    }
  case Kind::Boolean:
    return rng_.chance(70) ? x : "not " + x;
  case Kind::Enum:
    switch (rng_.below(4)) {
    case 0:
      return x + " = " + literal(a);
    case 1:
      return x + " <> " + literal(a);
    case 2:
      return "not (" + x + " = " + literal(a) + ")";
    default:
      return "toString(" + x + ") = \"" + upper(literal(a)) + "\"";
    }
  }
  return x;
}

std::string Texts::constraint(int cls) {
  auto one = [&] { return atom(attributeOf(cls), ""); };
  int roll = rng_.below(100);
  if (roll < 55)
    return one();
  if (roll < 90)
    return one() + (rng_.chance(60) ? " and " : " or ") + one();
  return one() + " and (" + one() + " or " + one() + ")";
}

std::string Texts::value(const Attribute &a, int cls) {
  switch (a.kind) {
  case Kind::Integer:
    switch (rng_.below(5)) {
    case 0:
      return a.name + " + 1";
    case 1:
      return a.name + " - 1";
    case 2:
      return "n";
    case 3:
      return sig_.limit ? "limit * 2" : "0";
    default: {
      for (int k : m_.classes[cls].allAttributes)
        if (m_.attributes[k].kind == Kind::String)
          return "size(" + m_.attributes[k].name + ")";
      return "0";
    }
    }
  case Kind::String:
    switch (rng_.below(6)) {
    case 0:
      return sig_.label ? "label" : "msg";
    case 1:
      return "\"updated\"";
    case 2:
      return a.name + " + \"!\"";
    case 3:
      return "toString(n)";
    case 4:
      return "NULL";
    default:
      return "msg + \" \" + toString(n)";
    }
  case Kind::Boolean:
    return rng_.chance(50) ? "true" : "false";
  case Kind::Enum:
    return rng_.chance(75) ? literal(a)
                           : "toEnum(\"" + upper(literal(a)) + "\")";
  }
  return "";
}

std::string Texts::text() {
  switch (rng_.below(4)) {
  case 0:
    return "\"step " + std::to_string(rng_.below(100)) + "\"";
  case 1:
    return sig_.label ? "label" : "msg";
  case 2:
    return "msg + \": \" + toString(n)";
  default:
    return sig_.label ? "toUpper(label)" : "toLower(msg)";
  }
}

} // namespace gen
