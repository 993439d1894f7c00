//===- repo_file_object.cpp - Check and create one read object ------------===//
//
// An element of "objects" is checked as it closes: its id, class and keys,
// then, once it is created, its values; its listed links are kept for
// Loader::makeLinks. Any problem of the object itself leaves it uncreated.
//
//===----------------------------------------------------------------------===//

#include "repo_file_reader.h"

#include <utility>

namespace zrep::load {

void Reader::notUtf8(bool key) {
  std::string problem =
      std::string(key ? "a key" : "a string") + " is not valid UTF-8";
  if (stack_.size() < 3) {
    // Outside the elements of "objects".
    bool format = !key && !skip_ && slot() == Slot::Format;
    l_.topKeys_.add(0, [&] {
      return (format               ? "format: "
              : stack_.size() == 2 ? "objects: "
                                   : "top level: ") +
             problem;
    });
    return;
  }
  if (!key && stack_.size() == 4 && stack_[3] == Ctx::Attrs && !skip_)
    problem = "attrs." +
              printable(kept(attrs_.back().name, attrs_.back().nameSize)) +
              ": " + problem;
  else if (stack_.size() > 3)
    problem = (stack_[3] == Ctx::Attrs ? "attrs: " : "links: ") + problem;
  badTexts_.push_back(std::move(problem));
}

void Reader::startObject() {
  index_ = elements_++;
  hasId_ = idOk_ = hasClass_ = classIsString_ = hasAttrs_ = hasLinks_ = false;
  id_ = 0;
  className_ = classNameSize_ = 0; // the scratch of an earlier object is gone
  attrsKind_ = linksKind_ = Kind::Object;
  scratch_.clear();
  unknownKeys_.clear();
  twice_.clear();
  badTexts_.clear();
  attrs_.clear();
  roles_.clear();
  itemsBefore_ = l_.items_.size();
  badItemsBefore_ = l_.badItems_.size();
}

void Reader::finishObject() {
  // Problems of the object itself: id, class, keys.
  bool ok = true;
  std::uint32_t index = index_;
  ObjectId id = idOk_ ? id_ : 0;
  auto problem = [&](auto &&what) {
    ok = false;
    l_.objects_.add(index, [&] { return where(index, id) + ": " + what(); });
  };
  bool fresh = false;
  if (!hasId_) {
    problem([] { return std::string("missing \"id\""); });
  } else if (!idOk_) {
    problem([&] {
      return "\"id\" must be a positive 32-bit integer, found " + idFound_;
    });
  } else if (std::uint32_t at = l_.repo_->indexOf(id); at != IdIndex::kNone) {
    // Nothing is deleted while loading: records are in creation order.
    problem([&] {
      return "duplicate id; first used by objects[" +
             std::to_string(l_.loaded_[at].index) + "]";
    });
  } else if (auto it = l_.invalid_.find(id); it != l_.invalid_.end()) {
    problem([&] {
      return "duplicate id; first used by objects[" +
             std::to_string(it->second) + "]";
    });
  } else {
    fresh = true;
  }
  TypeId cls = 0;
  std::string_view className = kept(className_, classNameSize_);
  if (!hasClass_) {
    problem([] { return std::string("missing \"class\""); });
  } else if (!classIsString_) {
    problem([] { return std::string("\"class\" must be a string"); });
  } else if ((cls = l_.names_.classId(className)) == 0) {
    problem([&] { return "unknown class " + quote(className); });
  } else if (l_.mm_.classInfo(cls)->isAbstract) {
    problem([&] { return "class " + quote(className) + " is abstract"; });
  }
  // Pairs rather than bindings: clang 14 cannot capture bindings.
  for (const auto &key : unknownKeys_)
    problem(
        [&] { return "unknown key " + quote(kept(key.first, key.second)); });
  for (const auto &key : twice_)
    problem(
        [&] { return "duplicate key " + quote(kept(key.first, key.second)); });
  for (const std::string &text : badTexts_)
    problem([&] { return text; });

  if (!ok) {
    if (fresh)
      l_.invalid_.emplace(id, index);
    // Its links are not read.
    l_.items_.resize(itemsBefore_);
    l_.badItems_.resize(badItemsBefore_);
    return;
  }
  l_.repo_->createObjectWithId(cls, id);
  // A file usually lists every end of an object that holds links.
  l_.repo_->loadReserveEnds(id, roles_.size());
  Loaded &o = l_.loaded_.emplace_back(Loaded{id, index, 0, 0, UINT32_MAX});
  setValues(o, cls);
  keepLinks(o, cls);
}

void Reader::setValues(const Loaded &o, TypeId cls) {
  auto loc = [&] { return where(o.index, o.id); };
  if (hasAttrs_ && attrsKind_ != Kind::Object) {
    l_.values_.add(o.index, [&] {
      return loc() + ": \"attrs\" must be an object, found " +
             kindName(attrsKind_);
    });
    return;
  }
  for (const Attr &a : attrs_) {
    std::string_view name = kept(a.name, a.nameSize);
    auto problem = [&](auto &&what) {
      l_.values_.add(o.index, [&] {
        return loc() + ": attrs." + printable(name) + ": " + what();
      });
    };
    TypeId attr = l_.names_.attrId(cls, name);
    if (attr == 0) {
      problem([&] {
        return "class " + quote(l_.mm_.classInfo(cls)->name) +
               " has no attribute " + quote(name);
      });
      continue;
    }
    if (std::exchange(attrStamp_[attr - Metamodel::kFirstAttrId],
                      o.index + 1) == o.index + 1) {
      problem([] { return std::string("listed twice"); });
      continue;
    }
    if (a.kind == Kind::Object || a.kind == Kind::Array) {
      problem([&] {
        return std::string("expected a string, number or boolean, found ") +
               kindName(a.kind);
      });
      continue;
    }
    std::string_view text = kept(a.value, a.valueSize);
    if (text.find('\0') != std::string_view::npos) {
      // The repository's texts end at a NUL.
      problem([&] { return quote(text) + " contains a NUL character"; });
      continue;
    }
    if (!l_.repo_->checkValue(attr, text)) {
      const AttrInfo &info = *l_.mm_.attrInfo(attr);
      problem([&] {
        if (info.kind == AttrKind::Integer)
          return quote(text) + " is not a decimal 32-bit integer";
        return quote(text) + " is not a literal of enumeration " +
               quote(l_.mm_.enums()[info.enumIndex].name);
      });
      continue;
    }
    l_.repo_->setValue(o.id, attr, text);
  }
}

void Reader::keepLinks(Loaded &o, TypeId cls) {
  o.groupsBegin = static_cast<std::uint32_t>(l_.groups_.size());
  auto problem = [&](std::string what) {
    l_.groupProblems_.push_back(std::move(what));
    return static_cast<std::uint32_t>(l_.groupProblems_.size() - 1);
  };
  if (hasLinks_ && linksKind_ != Kind::Object) {
    o.linksProblem =
        problem(std::string("\"links\" must be an object, found ") +
                kindName(linksKind_));
  } else {
    for (const Role &r : roles_) {
      std::string_view role = kept(r.name, r.nameSize);
      Group g{0, r.first, r.count};
      TypeId end = l_.names_.endId(cls, role);
      if (end == 0)
        g.problem = problem("links." + printable(role) + ": class " +
                            quote(l_.mm_.classInfo(cls)->name) +
                            " has no association end " + quote(role));
      else if (std::exchange(endStamp_[end - Metamodel::kFirstEndId],
                             o.index + 1) == o.index + 1)
        g.problem = problem("links." + std::string(role) + ": listed twice");
      else if (!r.isArray)
        g.problem = problem("links." + std::string(role) +
                            ": expected an array of object ids, found " +
                            kindName(r.kind));
      else
        g.end = end;
      l_.groups_.push_back(g);
    }
  }
  o.groupsEnd = static_cast<std::uint32_t>(l_.groups_.size());
}

} // namespace zrep::load
