//===- queries.cpp - Lookups shared by import and export ------------------===//

#include "queries.h"

#include "names.h"

#include <algorithm>
#include <unordered_set>

namespace notation {

ObjectId partner(const zrep::Repository &repo, ObjectId obj, TypeId end) {
  ObjectId found = 0;
  const zrep::Object *o = repo.find(obj);
  if (!o)
    return 0;
  for (std::uint32_t k = 0; k < o->endCount && !found; ++k) {
    zrep::EndPartners p = repo.endPartners(*o, k);
    if (p.end != end)
      continue;
    for (const ObjectId *it = p.begin; it != p.finish && !found; ++it)
      found = *it;
    break;
  }
  return found;
}

ObjectId findProperty(const zrep::Repository &repo, const Schema &s,
                      ObjectId cls, std::string_view name) {
  // Breadth first over the class and its general classes; hierarchies are
  // small, so the classes seen are kept in a plain list.
  std::vector<ObjectId> queue{cls};
  for (std::size_t i = 0; i < queue.size() && i < 4096; ++i) {
    ObjectId found = 0;
    forPartners(repo, queue[i], s.kOwnedAttribute, [&](ObjectId p) {
      if (!found && repo.valueView(p, s.kName) == name)
        found = p;
    });
    if (found)
      return found;
    forPartners(repo, queue[i], s.kGeneralizationOf, [&](ObjectId g) {
      ObjectId general = partner(repo, g, s.kGeneral);
      if (general &&
          std::find(queue.begin(), queue.end(), general) == queue.end())
        queue.push_back(general);
    });
  }
  return 0;
}

namespace {

/// What a class element stands for, following references to elements.
ObjectId elementSource(const zrep::Repository &repo, const Schema &s,
                       ObjectId element) {
  for (int depth = 0; depth < 64; ++depth) {
    if (ObjectId def = partner(repo, element, s.zDef_))
      return def;
    ObjectId referred = partner(repo, element, s.zReferElem);
    if (!referred || repo.classOf(referred) != s.zElement)
      return referred;
    element = referred;
  }
  return 0;
}

} // namespace

ObjectId referencableType(const zrep::Repository &repo, const Schema &s,
                          ObjectId element) {
  if (repo.classOf(element) == s.zElement)
    element = elementSource(repo, s, element);
  return element ? partner(repo, element, s.zType) : 0;
}

std::string_view elementName(const zrep::Repository &repo, const Schema &s,
                             ObjectId element) {
  ObjectId source = partner(repo, element, s.zDef_);
  if (!source)
    source = partner(repo, element, s.zReferElem);
  return source ? repo.valueView(source, s.zRefName) : std::string_view();
}

ObjectId oppositeEnd(const zrep::Repository &repo, const Schema &s,
                     ObjectId property) {
  ObjectId assoc = partner(repo, property, s.kPropertyAssociation);
  ObjectId other = 0;
  if (assoc)
    forPartners(repo, assoc, s.kMemberEnd, [&](ObjectId end) {
      if (!other && end != property)
        other = end;
    });
  return other;
}

PathIndex::PathIndex(const zrep::Repository &repo, const Schema &s,
                     bool procedures)
    : repo_(repo), s_(s), procedures_(procedures) {
  auto &r = const_cast<zrep::Repository &>(repo);
  TypeId cls = procedures ? s.zProcedure : s.kType;
  TypeId nameAttr = procedures ? s.zName : s.kName;
  std::int64_t n = r.extentSize(cls);
  for (std::int64_t i = 0; i < n; ++i) {
    ObjectId obj = r.extentAt(cls, i);
    byName_[repo.valueView(obj, nameAttr)].push_back(obj);
  }
}

std::vector<std::string_view> PathIndex::pathOf(ObjectId obj) const {
  TypeId nameAttr = procedures_ ? s_.zName : s_.kName;
  TypeId up = procedures_ ? s_.zOwningPackage : s_.kOwningPackage;
  std::vector<std::string_view> path{repo_.valueView(obj, nameAttr)};
  std::unordered_set<ObjectId> seen{obj};
  for (ObjectId p = partner(repo_, obj, up); p && seen.insert(p).second;
       p = partner(repo_, p, up))
    path.push_back(repo_.valueView(p, nameAttr));
  return path; // innermost first
}

std::vector<ObjectId>
PathIndex::matches(const std::vector<std::string> &parts) const {
  std::vector<ObjectId> out;
  if (parts.empty())
    return out;
  auto it = byName_.find(parts.back());
  if (it == byName_.end())
    return out;
  for (ObjectId obj : it->second) {
    if (parts.size() == 1) {
      out.push_back(obj);
      continue;
    }
    std::vector<std::string_view> path = pathOf(obj);
    bool fits = path.size() >= parts.size();
    for (std::size_t i = 0; fits && i < parts.size(); ++i)
      fits = path[i] == parts[parts.size() - 1 - i];
    if (fits)
      out.push_back(obj);
  }
  return out;
}

std::string PathIndex::shortest(ObjectId obj) const {
  if (auto it = shortest_.find(obj); it != shortest_.end())
    return it->second;
  std::vector<std::string_view> path = pathOf(obj);
  std::vector<std::string> parts;
  std::string text;
  for (std::size_t length = 1; length <= path.size(); ++length) {
    parts.insert(parts.begin(), std::string(path[length - 1]));
    if (matches(parts).size() != 1)
      continue;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      if (i)
        text += "::";
      appendName(text, parts[i]);
    }
    return shortest_[obj] = text;
  }
  // Even the whole path is shared: the name and its place among all the
  // objects of that name.
  appendName(text, path.front());
  const std::vector<ObjectId> &same = byName_.at(path.front());
  for (std::size_t k = 0; k < same.size(); ++k)
    if (same[k] == obj)
      text += "#" + std::to_string(k + 1);
  return shortest_[obj] = text;
}

std::vector<std::string_view> PathIndex::names() const {
  std::vector<std::string_view> out;
  for (const auto &[name, objs] : byName_)
    out.push_back(name);
  return out;
}

} // namespace notation
