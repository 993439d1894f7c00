//===- instance_export.cpp - Instance models written as notation text -----===//
//
// Objects in repository order, each with its values (in the class's
// attribute order) and its partner lists (in the class's end order). A link
// is written from one of its ends, the primary one; the other end's list is
// written too only when loading would not make it as it is, that is when
// its partners are not in text order.
//
//===----------------------------------------------------------------------===//

#include "instances.h"

#include "lexer.h"
#include "names.h"

#include <unordered_map>

namespace notation {

namespace {

using zrep::ObjectId;
using zrep::TypeId;

/// "book" for "library::Book": the class's last name, its first letter in
/// lower case.
std::string baseName(std::string_view cls) {
  std::size_t colons = cls.rfind("::");
  std::string base(colons == std::string_view::npos ? cls
                                                    : cls.substr(colons + 2));
  if (!base.empty() && base[0] >= 'A' && base[0] <= 'Z')
    base[0] = static_cast<char>(base[0] - 'A' + 'a');
  return base;
}

bool endsInDigit(std::string_view s) {
  return !s.empty() && s.back() >= '0' && s.back() <= '9';
}

/// The objects' names: the value of a String attribute `name` when it is an
/// identifier that ends in no digit and no other object has, else the
/// class's base name and the object's number among those of that base
/// name ("book3"; "item2_1" for a base name that ends in a digit or '_').
/// Made names end in a digit and the others do not, so none is repeated.
std::vector<std::string>
objectNames(const zrep::Repository &repo,
            const std::vector<const zrep::Object *> &objects) {
  const zrep::Metamodel &mm = repo.metamodel();
  std::vector<std::string_view> given(objects.size());
  std::unordered_map<std::string_view, int> uses;
  for (std::size_t k = 0; k < objects.size(); ++k) {
    TypeId a = mm.attrId(objects[k]->cls, "name");
    if (!a || mm.attrInfo(a)->kind != zrep::AttrKind::String)
      continue;
    std::string_view v = repo.valueView(objects[k]->id, a);
    if (isPlainName(v) && !endsInDigit(v)) {
      given[k] = v;
      ++uses[v];
    }
  }
  std::vector<std::string> names(objects.size());
  std::unordered_map<std::string, std::uint32_t> counts;
  for (std::size_t k = 0; k < objects.size(); ++k) {
    std::string base = baseName(mm.classInfo(objects[k]->cls)->name);
    std::uint32_t n = ++counts[base];
    if (!given[k].empty() && uses[given[k]] == 1) {
      names[k] = given[k];
      continue;
    }
    if (base.empty() || endsInDigit(base) || base.back() == '_')
      base += '_';
    names[k] = base + std::to_string(n);
  }
  return names;
}

/// Whether the links of `e` are written from its side: the composite end
/// of an association, else a many-valued end opposite a single-valued
/// one, else the end with the smaller id.
bool isPrimary(const zrep::Metamodel &mm, const zrep::EndInfo &e) {
  const zrep::EndInfo *other = mm.endInfo(e.inverse);
  if (!other || other->id == e.id)
    return true;
  if (e.composite != other->composite)
    return e.composite;
  if (e.many != other->many)
    return e.many;
  return e.id < other->id;
}

void appendValue(std::string &out, const zrep::AttrInfo &a,
                 std::string_view v) {
  switch (a.kind) {
  case zrep::AttrKind::Integer:
    out += v; // a decimal number, as the repository takes no other
    return;
  case zrep::AttrKind::Boolean:
    if (v == "true" || v == "false") {
      out += v;
      return;
    }
    break;
  case zrep::AttrKind::Enum:
    if (isPlainName(v)) {
      out += v;
      return;
    }
    break;
  case zrep::AttrKind::String:
    break;
  }
  appendQuoted(out, v);
}

} // namespace

std::string exportInstances(const zrep::Repository &repo) {
  const zrep::Metamodel &mm = repo.metamodel();
  std::vector<const zrep::Object *> objects = repo.allObjects();
  std::vector<std::string> names = objectNames(repo, objects);
  std::unordered_map<ObjectId, std::size_t> place;
  for (std::size_t k = 0; k < objects.size(); ++k)
    place.emplace(objects[k]->id, k);
  std::string out = "instances {\n";
  std::string body;
  for (std::size_t k = 0; k < objects.size(); ++k) {
    ObjectId id = objects[k]->id;
    const zrep::ClassInfo &c = *mm.classInfo(objects[k]->cls);
    body.clear();
    for (TypeId attr : c.attrs) {
      std::string_view v = repo.valueView(id, attr);
      if (v.empty())
        continue;
      const zrep::AttrInfo &a = *mm.attrInfo(attr);
      body += "    ";
      appendName(body, a.name);
      body += " = ";
      appendValue(body, a, v);
      body += ";\n";
    }
    for (TypeId end : c.ends) {
      std::vector<ObjectId> partners = repo.partners(id, end);
      if (partners.empty())
        continue;
      const zrep::EndInfo &e = *mm.endInfo(end);
      if (!isPrimary(mm, e)) {
        bool inOrder = true;
        for (std::size_t i = 1; i < partners.size() && inOrder; ++i)
          inOrder = place[partners[i - 1]] < place[partners[i]];
        if (inOrder)
          continue;
      }
      body += "    ";
      appendName(body, e.role);
      body += " ->";
      for (std::size_t i = 0; i < partners.size(); ++i) {
        body += i ? ", " : " ";
        appendName(body, names[place[partners[i]]]);
      }
      body += ";\n";
    }
    out += "  ";
    appendName(out, names[k]);
    out += ": ";
    std::string_view cls = c.name;
    for (std::size_t colons; (colons = cls.find("::")) != cls.npos;
         cls.remove_prefix(colons + 2)) {
      appendName(out, cls.substr(0, colons));
      out += "::";
    }
    appendName(out, cls);
    if (body.empty()) {
      out += " {}\n";
    } else {
      out += " {\n";
      out += body;
      out += "  }\n";
    }
  }
  return out + "}\n";
}

} // namespace notation
