//===- metamodel_script.cpp - Read a metamodel script ---------------------===//
//
// The script is read line by line into declarations, one statement a line;
// a line with a fault gives one problem and is left out. The declarations
// then become metamodel specs whose names are views into the text and whose
// origins are text offsets, so the problems the metamodel finds (duplicate
// names, clashing members, cycles, unknown classes, limits) come back with
// their places. Problems are sorted into text order at the end.
//
//===----------------------------------------------------------------------===//

#include "metamodel_script.h"

#include "file_text.h"
#include "metamodel.h"
#include "metamodel_description.h"
#include "repo_file.h"
#include "utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace kel {

namespace {

using Problems = std::vector<zrep::MetamodelProblem>;

std::string quoted(std::string_view s) {
  return "\"" + zrep::printable(s) + "\"";
}

/// A name in the text and the offset where it starts.
struct Name {
  std::string_view text;
  std::uint32_t at = 0;
};

/// One end of `T.O[C]N`: the role N leads to objects of class T.
struct End {
  Name type;
  bool ordered = false;
  std::string_view card;
  Name role;
};

struct Assoc {
  bool composite;
  End first, second;
};

struct Attr {
  Name owner, name, type;
};

struct Rel {
  Name sub, super;
};

struct Enum {
  Name name;
  std::vector<Name> literals;
};

struct Declarations {
  std::vector<Name> classes;
  std::vector<Enum> enums;
  std::vector<Assoc> assocs;
  std::vector<Attr> attrs;
  std::vector<Rel> rels;
};

bool isLetter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
/// Names are made of letters, digits, "_" and any character beyond ASCII,
/// and do not start with a digit.
bool isNameStart(unsigned char c) {
  return isLetter(c) || c == '_' || c >= 0x80;
}
bool isNameChar(unsigned char c) {
  return isNameStart(c) || (c >= '0' && c <= '9');
}

/// Reads one statement from left to right; the first fault is reported
/// and ends the reading.
class LineReader {
public:
  LineReader(std::string_view line, std::uint32_t base, Problems &problems)
      : line_(line), base_(base), problems_(problems) {}

  std::string_view line() const { return line_; }
  void skip(std::size_t n) { pos_ += n; }

  bool fail(const std::string &message) {
    problems_.push_back({base_ + static_cast<std::uint32_t>(pos_), message});
    return false;
  }
  std::string found() const {
    if (pos_ == line_.size())
      return "the end of the line";
    return quoted(line_.substr(pos_, zrep::utf8::charLength(line_, pos_)));
  }
  bool at(std::string_view s) const {
    return line_.substr(pos_).starts_with(s);
  }

  bool expect(std::string_view s) {
    if (!at(s))
      return fail("expected " + quoted(s) + ", found " + found());
    pos_ += s.size();
    return true;
  }
  /// ";" and nothing after it.
  bool finish() {
    if (!expect(";"))
      return false;
    if (pos_ != line_.size())
      return fail("expected the end of the line after \";\", found " + found());
    return true;
  }
  bool name(Name &n, std::string_view what) {
    std::size_t end = nameEnd(pos_);
    if (end == pos_)
      return fail("expected " + std::string(what) + ", found " + found());
    n = {line_.substr(pos_, end - pos_), offset()};
    pos_ = end;
    return true;
  }
  /// Names joined by "::".
  bool fullName(Name &n, std::string_view what) {
    std::uint32_t start = offset();
    std::size_t from = pos_;
    if (!name(n, what))
      return false;
    while (at("::")) {
      pos_ += 2;
      std::size_t end = nameEnd(pos_);
      if (end == pos_)
        return fail("expected a name after \"::\", found " + found());
      pos_ = end;
    }
    n = {line_.substr(from, pos_ - from), start};
    return true;
  }
  /// An optional "{ordered}".
  bool ordering(bool &ordered) {
    ordered = at("{");
    return !ordered || expect("{ordered}");
  }
  /// "[" cardinality "]".
  bool card(std::string_view &card) {
    if (!expect("["))
      return false;
    for (std::string_view c : {"1..*", "0..1", "*", "1"})
      if (at(c) && line_.substr(pos_ + c.size()).starts_with("]")) {
        card = c;
        pos_ += c.size() + 1;
        return true;
      }
    std::size_t close = line_.find(']', pos_);
    return fail("expected a cardinality (*, 0..1, 1 or 1..*), found " +
                (close == std::string_view::npos || close == pos_
                     ? found()
                     : quoted(line_.substr(pos_, close - pos_))));
  }

private:
  std::uint32_t offset() const {
    return base_ + static_cast<std::uint32_t>(pos_);
  }
  std::size_t nameEnd(std::size_t from) const {
    if (from >= line_.size() || !isNameStart(line_[from]))
      return from;
    std::size_t i = from + 1;
    while (i < line_.size() && isNameChar(line_[i]))
      ++i;
    return i;
  }

  std::string_view line_;
  std::uint32_t base_;
  std::size_t pos_ = 0;
  Problems &problems_;
};

bool readEnd(LineReader &r, End &e, bool cardFirst) {
  if (cardFirst)
    return r.ordering(e.ordered) && r.card(e.card) &&
           r.name(e.role, "a role name");
  return r.name(e.role, "a role name") && r.card(e.card) &&
         r.ordering(e.ordered);
}

/// A statement after its keyword and the space; declares nothing unless
/// the whole line is right.
bool readStatement(std::string_view keyword, LineReader &r, Declarations &d) {
  if (keyword == "class") {
    Name n;
    if (!r.fullName(n, "a class name") || !r.finish())
      return false;
    d.classes.push_back(n);
  } else if (keyword == "enum") {
    Enum e;
    if (!r.fullName(e.name, "an enumeration name") || !r.expect(" : {"))
      return false;
    if (!r.at("}"))
      do {
        if (!r.name(e.literals.emplace_back(), "a literal"))
          return false;
      } while (r.at(",") && r.expect(","));
    if (!r.expect("}") || !r.finish())
      return false;
    d.enums.push_back(std::move(e));
  } else if (keyword == "assoc" || keyword == "compos") {
    Assoc a{keyword == "compos", {}, {}};
    if (!r.fullName(a.first.type, "a class name") || !r.expect(".") ||
        !readEnd(r, a.first, true) || !r.expect("/") ||
        !readEnd(r, a.second, false) || !r.expect(".") ||
        !r.fullName(a.second.type, "a class name") || !r.finish())
      return false;
    d.assocs.push_back(a);
  } else if (keyword == "attr") {
    Attr a;
    if (!r.fullName(a.owner, "a class name") || !r.expect(".") ||
        !r.name(a.name, "an attribute name") || !r.expect(":") ||
        !r.fullName(a.type, "a type name") || !r.finish())
      return false;
    d.attrs.push_back(a);
  } else {
    Rel rel;
    if (!r.fullName(rel.sub, "a class name") || !r.expect(".subClassOf.") ||
        !r.fullName(rel.super, "a class name") || !r.finish())
      return false;
    d.rels.push_back(rel);
  }
  return true;
}

/// Where the first byte that starts no UTF-8 character is; npos if none.
std::size_t badUtf8(std::string_view line) {
  if (zrep::isValidUtf8(line))
    return std::string_view::npos;
  auto p = reinterpret_cast<const unsigned char *>(line.data());
  for (std::size_t i = 0; i < line.size();) {
    char32_t cp;
    std::size_t n = zrep::utf8::decode(p + i, p + line.size(), cp);
    if (n == 0)
      return i;
    i += n;
  }
  return std::string_view::npos;
}

/// Reads the lines of `text` into `d`.
void readLines(std::string_view text, Declarations &d, Problems &problems) {
  enum { Before, Body, After } state = Before;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    std::size_t stop = lf == std::string_view::npos ? text.size() : lf;
    std::string_view line = text.substr(start, stop - start);
    auto base = static_cast<std::uint32_t>(start);
    start = stop + 1;
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos)
      continue;
    if (std::size_t bad = badUtf8(line); bad != std::string_view::npos) {
      problems.push_back({base + static_cast<std::uint32_t>(bad),
                          "the line is not valid UTF-8"});
      continue;
    }
    LineReader r(line, base, problems);
    if (state == After) {
      r.fail("a statement after MMDefEnd;");
      return;
    }
    std::size_t k = 0;
    while (k < line.size() && isLetter(line[k]))
      ++k;
    std::string_view keyword = line.substr(0, k);
    if (keyword == "MMDefStart" && state == Before) {
      r.skip(k);
      r.finish();
      state = Body;
      continue;
    }
    if (state == Before) {
      r.fail("expected MMDefStart; first");
      state = Body;
    }
    if (keyword == "MMDefStart") {
      r.fail("MMDefStart; given twice");
    } else if (keyword == "MMDefEnd") {
      r.skip(k);
      r.finish();
      state = After;
    } else if (keyword == "class" || keyword == "enum" || keyword == "assoc" ||
               keyword == "compos" || keyword == "attr" || keyword == "rel") {
      r.skip(k);
      if (r.expect(" "))
        readStatement(keyword, r, d);
    } else if (keyword.empty()) {
      r.fail("expected a statement, found " + r.found());
    } else {
      r.fail("unknown statement " + quoted(keyword) +
             "; expected class, enum, assoc, compos, attr or rel");
    }
  }
  auto end = static_cast<std::uint32_t>(text.size());
  if (state == Before)
    problems.push_back({end, "missing MMDefStart;"});
  if (state != After)
    problems.push_back({end, "missing MMDefEnd; at the end"});
}

zrep::EndSpec endSpec(const End &e, const Name &owner, bool composite) {
  zrep::EndSpec s{owner.text, e.role.text, e.card == "*" || e.card == "1..*"};
  s.composite = composite;
  s.lower = e.card == "1" || e.card == "1..*" ? 1 : 0;
  s.ordered = e.ordered;
  s.origin = e.role.at;
  s.ownerOrigin = owner.at;
  return s;
}

/// The specs of the declarations. Names that only the script gives meaning
/// to are checked here; the rest is left to the metamodel.
zrep::MetamodelSpec specOf(const Declarations &d, Problems &problems) {
  zrep::MetamodelSpec spec;
  auto problem = [&](const Name &at, std::string message) {
    problems.push_back({at.at, std::move(message)});
  };
  std::unordered_map<std::string_view, std::size_t> classes;
  for (const Name &c : d.classes) {
    classes.emplace(c.text, spec.classes.size());
    spec.classes.push_back({c.text, {}, false, {}, c.at, 0});
  }
  std::unordered_set<std::string_view> enums;
  for (const Enum &e : d.enums) {
    if (classes.count(e.name.text))
      problem(e.name,
              quoted(e.name.text) + " names both a class and an enumeration");
    enums.insert(e.name.text);
    zrep::EnumSpec &s = spec.enums.emplace_back();
    s.name = e.name.text;
    s.origin = e.name.at;
    std::unordered_set<std::string_view> seen;
    for (const Name &lit : e.literals) {
      if (!seen.insert(lit.text).second)
        problem(lit, "enumeration " + quoted(e.name.text) + " lists " +
                         quoted(lit.text) + " twice");
      s.literals.push_back(lit.text);
    }
  }
  auto classOf = [&](const Name &n) -> zrep::ClassSpec * {
    auto it = classes.find(n.text);
    if (it != classes.end())
      return &spec.classes[it->second];
    problem(n, "unknown class " + quoted(n.text));
    return nullptr;
  };
  for (const Rel &r : d.rels) {
    zrep::ClassSpec *c = classOf(r.sub);
    if (!c)
      continue;
    if (!c->superclass.empty()) {
      problem(r.super, "class " + quoted(r.sub.text) +
                           " already has superclass " + quoted(c->superclass) +
                           "; a class has at most one");
      continue;
    }
    c->superclass = r.super.text;
    c->superOrigin = r.super.at;
  }
  for (const Attr &a : d.attrs) {
    zrep::ClassSpec *c = classOf(a.owner);
    if (!c)
      continue;
    // An enumeration, one of the three base types (by the last piece of
    // the name), or another primitive type, whose values are texts.
    std::string_view type = a.type.text;
    if (classes.count(type)) {
      problem(a.type, "the type " + quoted(type) + " of attribute " +
                          quoted(a.name.text) +
                          " is a class; an attribute holds a value");
      continue;
    }
    if (!enums.count(type)) {
      std::size_t cut = type.rfind("::");
      std::string_view last =
          cut == std::string_view::npos ? type : type.substr(cut + 2);
      type = last == "Integer" || last == "Boolean" ? last : "String";
    }
    c->attrs.push_back({a.name.text, type, a.name.at});
  }
  for (const Assoc &a : d.assocs)
    spec.assocs.push_back({endSpec(a.first, a.second.type, a.composite),
                           endSpec(a.second, a.first.type, false)});
  return spec;
}

ScriptResult report(std::string_view text, std::string_view fileName,
                    Problems &problems) {
  ScriptResult result;
  std::stable_sort(
      problems.begin(), problems.end(),
      [](const auto &a, const auto &b) { return a.origin < b.origin; });
  std::size_t line = 1, lineStart = 0, scanned = 0;
  for (const zrep::MetamodelProblem &p : problems) {
    if (result.problems.size() == zrep::kMaxReportedProblems) {
      result.unreported = problems.size() - result.problems.size();
      break;
    }
    for (; scanned < p.origin; ++scanned)
      if (text[scanned] == '\n') {
        ++line;
        lineStart = scanned + 1;
      }
    std::size_t col =
        zrep::utf8::count(text.substr(lineStart, p.origin - lineStart)) + 1;
    result.problems.push_back(std::string(fileName) + ":" +
                              std::to_string(line) + ":" + std::to_string(col) +
                              ": error: " + p.message);
  }
  return result;
}

} // namespace

ScriptResult readMetamodelScript(std::string_view text,
                                 std::string_view fileName) {
  Problems problems;
  if (text.size() >= std::numeric_limits<std::uint32_t>::max()) {
    ScriptResult r;
    r.problems.push_back(std::string(fileName) +
                         ": error: the script is larger than 4 GB");
    return r;
  }
  Declarations d;
  readLines(text, d, problems);
  zrep::MetamodelBuild built = zrep::Metamodel::build(specOf(d, problems));
  problems.insert(problems.end(), built.problems.begin(), built.problems.end());
  if (problems.empty()) {
    ScriptResult r;
    r.mm = std::move(built.mm);
    return r;
  }
  return report(text, fileName, problems);
}

ScriptResult readMetamodelScriptFile(const std::string &path) {
  auto fail = [&](const char *what) {
    ScriptResult r;
    r.problems.push_back(path + ": error: " + what + ": " +
                         std::strerror(errno));
    return r;
  };
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (!f)
    return fail("cannot open");
  std::string text;
  char chunk[65536];
  while (std::size_t n = std::fread(chunk, 1, sizeof chunk, f))
    text.append(chunk, n);
  bool bad = std::ferror(f);
  std::fclose(f);
  if (bad)
    return fail("cannot read");
  return readMetamodelScript(text, path);
}

} // namespace kel
