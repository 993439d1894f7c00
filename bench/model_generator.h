//===- model_generator.h - Synthetic repository files for benchmarks -*- C++
//-*-===//
//
// Pieces shared by the generator's parts: a seeded random source that gives
// the same sequence on every platform, the line-per-object JSON writer and
// the class model that the generated procedures work on.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace gen {

using Id = std::int32_t;

/// splitmix64: small, fast and fully specified, so a seed gives the same
/// model everywhere (the standard distributions are not specified exactly).
class Rng {
public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  /// A number in [0, n); n > 0.
  int below(int n) { return static_cast<int>(next() % std::uint64_t(n)); }
  /// True with the given chance in percent.
  bool chance(int percent) { return below(100) < percent; }
  template <class T> const T &pick(const std::vector<T> &v) {
    return v[below(static_cast<int>(v.size()))];
  }

private:
  std::uint64_t state_;
};

/// One repository object as it goes into the file.
struct Obj {
  Id id = 0;
  const char *cls = "";
  std::vector<std::pair<const char *, std::string>> attrs;
  std::vector<std::pair<const char *, std::vector<Id>>> links;

  Obj &attr(const char *name, std::string value) {
    attrs.emplace_back(name, std::move(value));
    return *this;
  }
  Obj &link(const char *role, std::vector<Id> partners) {
    links.emplace_back(role, std::move(partners));
    return *this;
  }
  /// The partner list of `role`, made empty on first use.
  std::vector<Id> &links_of(const char *role);
};

/// Writes the repository file one object per line, as the objects come.
class Writer {
public:
  explicit Writer(std::FILE *out);
  void write(const Obj &obj);
  /// Closes the document; false when a write failed.
  bool finish();
  std::size_t count() const { return count_; }

private:
  void quoted(const std::string &text);
  std::FILE *out_;
  std::string buffer_;
  bool first_ = true;
  std::size_t count_ = 0;
};

enum class Kind { String, Integer, Boolean, Enum };

struct Attribute {
  Id id;
  std::string name;
  Kind kind;
  int enumeration = -1;
};

/// An association end, owned by class `owner` and typed `target`.
struct End {
  Id id;
  std::string name;
  int owner, target;
  int opposite = -1;
  bool many = false;
};

struct Class {
  Id id;
  std::string name, noun;
  int package;
  int parent = -1, depth = 0;
  bool isAbstract = false;
  Id generalization = 0;
  std::vector<int> attributes, ends, children;
  /// Own and inherited attributes and ends, filled once the model is made.
  std::vector<int> allAttributes, allEnds;
};

struct Enumeration {
  Id id;
  std::string name;
  std::vector<std::string> literals;
  std::vector<Id> literalIds;
};

struct Association {
  Id id;
  std::string name;
  int first, second; // ends
};

struct Package {
  Id id;
  std::string name;
  std::vector<int> classes, enumerations, associations;
};

/// Three classes that are pairwise associated: x -> y -> z and x -> z.
struct Triangle {
  int xy, yz, xz; // ends, each owned by its first class
};

struct ClassModel {
  Id model = 0, string = 0, integer = 0, boolean = 0;
  std::vector<Package> packages;
  std::vector<Class> classes;
  std::vector<Attribute> attributes;
  std::vector<End> ends;
  std::vector<Enumeration> enumerations;
  std::vector<Association> associations;
  /// Triangles by their first class.
  std::vector<std::vector<Triangle>> triangles;
  /// Classes that procedures take as their first parameter.
  std::vector<int> anchors;

  Id primitive(Kind kind) const {
    return kind == Kind::String    ? string
           : kind == Kind::Integer ? integer
                                   : boolean;
  }
  /// Whether `cls` is `ancestor` or one of its subclasses.
  bool conforms(int cls, int ancestor) const;
};

/// Makes the class model, its ids taken from `nextId` on.
ClassModel makeClassModel(Rng &rng, Id &nextId);
void writeClassModel(const ClassModel &model, Writer &out);

} // namespace gen
