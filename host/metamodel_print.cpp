//===- metamodel_print.cpp - Print the built-in metamodel -----------------===//

#include "metamodel_print.h"

#include "metamodel.h"

#include <rapidjson/ostreamwrapper.h>
#include <rapidjson/prettywriter.h>

#include <ostream>

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

} // namespace

void printMetamodelJson(const Metamodel &mm, std::ostream &out) {
  rapidjson::OStreamWrapper os(out);
  rapidjson::PrettyWriter<rapidjson::OStreamWrapper> w(os);
  w.SetIndent(' ', 2);
  w.StartObject();
  w.Key("classes");
  w.StartArray();
  for (const ClassInfo &c : mm.classes()) {
    w.StartObject();
    w.Key("name");
    w.String(c.name.c_str());
    w.Key("superclass");
    if (c.superclass)
      w.String(mm.classInfo(c.superclass)->name.c_str());
    else
      w.Null();
    w.Key("abstract");
    w.Bool(c.isAbstract);
    w.Key("attributes");
    w.StartArray();
    for (TypeId id : c.attrs) {
      const AttrInfo &a = *mm.attrInfo(id);
      if (a.owner != c.id)
        continue;
      w.StartObject();
      w.Key("name");
      w.String(a.name.c_str());
      w.Key("type");
      w.String(typeName(mm, a).c_str());
      w.EndObject();
    }
    w.EndArray();
    w.Key("ends");
    w.StartArray();
    for (const EndInfo *e : shownEnds(mm, c)) {
      w.StartObject();
      w.Key("name");
      w.String(e->role.c_str());
      w.Key("target");
      if (e->target)
        w.String(targetName(mm, *e).c_str());
      else
        w.Null();
      w.Key("many");
      w.Bool(e->many);
      w.Key("inverse");
      w.String(mm.endInfo(e->inverse)->role.c_str());
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
  w.Key("enumerations");
  w.StartArray();
  for (const auto &en : mm.enums()) {
    w.StartObject();
    w.Key("name");
    w.String(en.name.c_str());
    w.Key("literals");
    w.StartArray();
    for (const auto &lit : en.literals)
      w.String(lit.c_str());
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
  out << '\n';
}

void printMetamodelMarkdown(const Metamodel &mm, std::ostream &out) {
  out << "# Built-in metamodel\n\n"
         "Classes marked * are abstract. Ends are written `role` -> target "
         "class, with [1] for a single-valued and [*] for an ordered "
         "many-valued end, and the inverse role in parentheses; \"any\" "
         "stands for every class.\n";
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
      out << "- attribute `" << a.name << "`: " << typeName(mm, a) << '\n';
      any = true;
    }
    for (const EndInfo *e : shownEnds(mm, c)) {
      out << "- end `" << e->role << "` -> "
          << (e->target ? targetName(mm, *e) : "any")
          << (e->many ? " [*]" : " [1]") << " (inverse `"
          << mm.endInfo(e->inverse)->role << "`)\n";
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
