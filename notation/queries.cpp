//===- queries.cpp - Lookups shared by import and export ------------------===//

#include "queries.h"

#include "names.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace notation {

ObjectId partner(const zrep::Repository &repo, const zrep::Object &o,
                 TypeId end) {
  ObjectId found = 0;
  for (std::uint32_t k = 0; k < o.endCount && !found; ++k) {
    zrep::EndPartners p = repo.endPartners(o, k);
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
  ObjectId found = 0;
  forClassAndGenerals(repo, s, cls, [&](const zrep::Object &c) {
    forPartners(repo, c, s.kOwnedAttribute, [&](ObjectId p) {
      if (!found && repo.valueView(p, s.kName) == name)
        found = p;
    });
    return found != 0;
  });
  return found;
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

void PathIndex::matches(const std::vector<std::string> &parts,
                        std::vector<ObjectId> &out) const {
  out.clear();
  if (parts.empty())
    return;
  auto it = byName_.find(parts.back());
  if (it == byName_.end())
    return;
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
}

const std::string &PathIndex::shortest(ObjectId obj) const {
  std::uint32_t at = repo_.indexOf(obj);
  if (at < shortestAt_.size() && shortestAt_[at])
    return texts_[shortestAt_[at] - 1];
  texts_.push_back(shortestPath(obj));
  if (at != zrep::IdIndex::kNone) {
    if (at >= shortestAt_.size())
      shortestAt_.resize(at + 1);
    shortestAt_[at] = static_cast<std::uint32_t>(texts_.size());
  }
  return texts_.back();
}

std::string PathIndex::shortestPath(ObjectId obj) const {
  std::string text;
  // Mostly the name alone is the only one of its kind.
  std::string_view n = repo_.valueView(obj, procedures_ ? s_.zName : s_.kName);
  auto named = byName_.find(n);
  if (named != byName_.end() && named->second.size() == 1 &&
      named->second.front() == obj) {
    appendName(text, n);
    return text;
  }
  std::vector<std::string_view> path = pathOf(obj);
  std::vector<std::string> parts;
  for (std::size_t length = 1; length <= path.size(); ++length) {
    parts.insert(parts.begin(), std::string(path[length - 1]));
    if (matches(parts).size() != 1)
      continue;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      if (i)
        text += "::";
      appendName(text, parts[i]);
    }
    return text;
  }
  // Even the whole path is shared: the name and its place among all the
  // objects of that name.
  appendName(text, path.front());
  const std::vector<ObjectId> &same = byName_.at(path.front());
  for (std::size_t k = 0; k < same.size(); ++k)
    if (same[k] == obj)
      text += "#" + std::to_string(k + 1);
  return text;
}

std::vector<std::string_view> PathIndex::names() const {
  std::vector<std::string_view> out;
  for (const auto &[name, objs] : byName_)
    out.push_back(name);
  return out;
}

} // namespace notation
