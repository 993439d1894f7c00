//===- metamodel_print.cpp - Print the built-in metamodel -----------------===//

#include "metamodel_print.h"

#include "metamodel.h"

#include <ostream>
#include <string_view>
#include <vector>

namespace zevac {

namespace {

using zrep::AttrInfo;
using zrep::ClassInfo;
using zrep::EndInfo;
using zrep::Metamodel;
using zrep::TypeId;

std::string typeName(const Metamodel &mm, const AttrInfo &a) {
  switch (a.kind) {
  case zrep::AttrKind::String:
    return "String";
  case zrep::AttrKind::Integer:
    return "Integer";
  case zrep::AttrKind::Boolean:
    return "Boolean";
  case zrep::AttrKind::Enum:
    return mm.enums()[a.enumIndex].name;
  }
  return "String";
}

/// Ends shown for a class: its own, plus the universal ones on roots.
std::vector<const EndInfo *> shownEnds(const Metamodel &mm,
                                       const ClassInfo &c) {
  std::vector<const EndInfo *> out;
  for (TypeId id : c.ends) {
    const EndInfo *e = mm.endInfo(id);
    if (e->owner == c.id || (e->owner == 0 && c.superclass == 0))
      out.push_back(e);
  }
  return out;
}

std::string targetName(const Metamodel &mm, const EndInfo &e) {
  return e.target ? mm.classInfo(e.target)->name : "";
}

/// ". " and the member's meaning, if it has one.
std::string meaning(const std::string &cls, const std::string &member,
                    const std::string &target) {
  const char *text = memberMeaning(cls, member, target);
  return text ? std::string(". ") + text : "";
}

/// A pretty-printed JSON document, two blanks per level, an empty array
/// as []. Written by hand: the names are plain texts, and the packaged JSON
/// writer does arithmetic on a null pointer when its stack first grows.
class JsonOut {
public:
  explicit JsonOut(std::ostream &out) : out_(out) {}
  void open(char bracket) {
    value();
    out_ << bracket;
    levels_.push_back({bracket, 0});
  }
  void close() {
    Level done = levels_.back();
    levels_.pop_back();
    if (done.count) {
      out_ << '\n';
      indent();
    }
    out_ << (done.bracket == '{' ? '}' : ']');
  }
  void key(std::string_view k) {
    item();
    quote(k);
    out_ << ": ";
    afterKey_ = true;
  }
  void string(std::string_view s) {
    value();
    quote(s);
  }
  void null() {
    value();
    out_ << "null";
  }
  void boolean(bool b) {
    value();
    out_ << (b ? "true" : "false");
  }

private:
  struct Level {
    char bracket;
    int count;
  };
  void indent() {
    for (std::size_t i = 0; i < levels_.size(); ++i)
      out_ << "  ";
  }
  /// Starts an entry of the innermost array or object.
  void item() {
    if (levels_.empty())
      return;
    out_ << (levels_.back().count++ ? ",\n" : "\n");
    indent();
  }
  void value() {
    if (afterKey_)
      afterKey_ = false;
    else
      item();
  }
  void quote(std::string_view s) {
    out_ << '"';
    for (char c : s) {
      if (c == '"' || c == '\\')
        out_ << '\\';
      out_ << c;
    }
    out_ << '"';
  }
  std::ostream &out_;
  std::vector<Level> levels_;
  bool afterKey_ = false;
};

} // namespace

void printMetamodelJson(const Metamodel &mm, std::ostream &out) {
  JsonOut w(out);
  w.open('{');
  w.key("classes");
  w.open('[');
  for (const ClassInfo &c : mm.classes()) {
    w.open('{');
    w.key("name");
    w.string(c.name);
    w.key("superclass");
    if (c.superclass)
      w.string(mm.classInfo(c.superclass)->name);
    else
      w.null();
    w.key("abstract");
    w.boolean(c.isAbstract);
    w.key("attributes");
    w.open('[');
    for (TypeId id : c.attrs) {
      const AttrInfo &a = *mm.attrInfo(id);
      if (a.owner != c.id)
        continue;
      w.open('{');
      w.key("name");
      w.string(a.name);
      w.key("type");
      w.string(typeName(mm, a));
      w.close();
    }
    w.close();
    w.key("ends");
    w.open('[');
    for (const EndInfo *e : shownEnds(mm, c)) {
      w.open('{');
      w.key("name");
      w.string(e->role);
      w.key("target");
      if (e->target)
        w.string(targetName(mm, *e));
      else
        w.null();
      w.key("many");
      w.boolean(e->many);
      w.key("inverse");
      w.string(mm.endInfo(e->inverse)->role);
      w.close();
    }
    w.close();
    w.close();
  }
  w.close();
  w.key("enumerations");
  w.open('[');
  for (const auto &en : mm.enums()) {
    w.open('{');
    w.key("name");
    w.string(en.name);
    w.key("literals");
    w.open('[');
    for (const auto &lit : en.literals)
      w.string(lit);
    w.close();
    w.close();
  }
  w.close();
  w.close();
  out << '\n';
}

void printMetamodelMarkdown(const Metamodel &mm, std::ostream &out) {
  out << "# Built-in metamodel\n\n"
         "Classes marked * are abstract. Ends are written `role` -> target "
         "class, with [1] for a single-valued and [*] for an ordered "
         "many-valued end, and the inverse role in parentheses; \"any\" "
         "stands for every class. What a member of the class model, the "
         "transformation or the project means follows it.\n";
  for (const ClassInfo &c : mm.classes()) {
    out << "\n## " << c.name << (c.isAbstract ? "*" : "");
    if (c.superclass)
      out << " (" << mm.classInfo(c.superclass)->name << ")";
    out << "\n\n";
    bool any = false;
    for (TypeId id : c.attrs) {
      const AttrInfo &a = *mm.attrInfo(id);
      if (a.owner != c.id)
        continue;
      out << "- attribute `" << a.name << "`: " << typeName(mm, a)
          << meaning(c.name, a.name, "") << '\n';
      any = true;
    }
    for (const EndInfo *e : shownEnds(mm, c)) {
      out << "- end `" << e->role << "` -> "
          << (e->target ? targetName(mm, *e) : "any")
          << (e->many ? " [*]" : " [1]") << " (inverse `"
          << mm.endInfo(e->inverse)->role << "`)"
          << meaning(c.name, e->role, targetName(mm, *e)) << '\n';
      any = true;
    }
    if (!any)
      out << "- no own attributes or ends\n";
  }
  out << "\n## Enumerations\n\n";
  for (const auto &en : mm.enums()) {
    out << "- " << en.name << ":";
    for (const auto &lit : en.literals)
      out << ' ' << lit;
    out << '\n';
  }
}

} // namespace zevac
