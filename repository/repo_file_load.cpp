//===- repo_file_load.cpp - Read repository files -------------------------===//
//
// One pass of RapidJSON's SAX reader over the text; no document tree is
// built. Each element of "objects" is collected as it streams by and, when
// it closes, checked, created and given its values; its listed links are
// kept as plain ids until every object exists. Only the first member of a
// known key counts, as with a lookup by name.
//
//===----------------------------------------------------------------------===//

#include "repo_file_loader.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <charconv>

namespace zrep::load {

namespace {

/// 1-based line and column of a byte offset.
std::string lineColumn(std::string_view text, std::size_t offset) {
  std::size_t line = 1, col = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      col = 1;
    } else {
      ++col;
    }
  }
  return std::to_string(line) + ":" + std::to_string(col);
}

/// What the next value stands for.
enum class Slot : std::uint8_t {
  Root,
  Format,
  Version,
  Objects,
  Element, ///< An element of "objects".
  Id,
  Class,
  Attrs,
  Links,
  Value, ///< An attribute value.
  List,  ///< A role's list of partners.
  Item,  ///< A partner.
  Ignore,
};

/// Composite values being read.
enum class Ctx : std::uint8_t { Top, Objects, Object, Attrs, Links, List };

/// A scalar as the reader delivers it.
struct Scalar {
  Kind kind;
  bool isInt = false; ///< Fits a 32-bit signed integer.
  std::int32_t i = 0;
  std::string_view text; ///< Strings, and numbers and Booleans as text.
};

/// One attribute of the object being read, its texts in Reader::scratch_.
struct Attr {
  std::uint32_t name, nameSize, value, valueSize;
  Kind kind;
};

/// One role of the object being read.
struct Role {
  std::uint32_t name, nameSize;
  bool isArray;
  Kind kind;
  std::uint32_t first, count; ///< Items in Loader::items_.
};

class Reader {
public:
  explicit Reader(Loader &l) : l_(l) {}

  // RapidJSON's SAX handler interface.
  bool Null() { return scalar({Kind::Null, false, 0, {}}); }
  bool Bool(bool b) {
    return scalar({Kind::Boolean, false, 0, b ? "true" : "false"});
  }
  bool Int(int i) { return integer(i, true); }
  bool Uint(unsigned u) { return integer(u, u <= INT32_MAX); }
  bool Int64(std::int64_t i) { return integer(i, false); }
  bool Uint64(std::uint64_t u) { return integer(u, false); }
  bool Double(double d) {
    // The text a JSON writer gives the number.
    rapidjson::StringBuffer buf;
    rapidjson::Writer<rapidjson::StringBuffer> w(buf);
    w.Double(d);
    return scalar({Kind::Number, false, 0, {buf.GetString(), buf.GetSize()}});
  }
  bool RawNumber(const char *, rapidjson::SizeType, bool) { return true; }
  bool String(const char *s, rapidjson::SizeType n, bool) {
    return scalar({Kind::String, false, 0, {s, n}});
  }
  bool StartObject() { return start(Kind::Object); }
  bool StartArray() { return start(Kind::Array); }
  bool Key(const char *s, rapidjson::SizeType n, bool);
  bool EndObject(rapidjson::SizeType) { return end(); }
  bool EndArray(rapidjson::SizeType) { return end(); }

private:
  template <class T> bool integer(T v, bool fits) {
    Scalar s{Kind::Number, fits, fits ? static_cast<std::int32_t>(v) : 0, {}};
    char buf[24];
    // Only attribute values need the text.
    if (!skip_ && slot() == Slot::Value)
      s.text = {buf, static_cast<std::size_t>(
                         std::to_chars(buf, buf + sizeof buf, v).ptr - buf)};
    return scalar(s);
  }
  Slot slot() const;
  bool scalar(const Scalar &v);
  bool start(Kind k);
  bool end();
  void startObject();
  void finishObject();
  void setValues(const Loaded &o, TypeId cls);
  void keepLinks(Loaded &o, TypeId cls);
  std::uint32_t keep(std::string_view s) {
    auto at = static_cast<std::uint32_t>(scratch_.size());
    scratch_.append(s);
    return at;
  }
  std::string_view kept(std::uint32_t at, std::uint32_t size) const {
    return std::string_view(scratch_).substr(at, size);
  }

  Loader &l_;
  std::vector<Ctx> stack_;
  Slot keySlot_ = Slot::Ignore; ///< What the value after the last key is.
  std::size_t skip_ = 0;        ///< Depth inside a skipped composite value.
  std::uint32_t elements_ = 0;  ///< Elements of "objects" so far.

  // The object being read.
  std::uint32_t index_ = 0;
  bool hasId_, idOk_, hasClass_, classIsString_, hasAttrs_, hasLinks_;
  ObjectId id_;
  Kind attrsKind_, linksKind_;
  std::string scratch_; ///< Names and texts of this object.
  std::uint32_t className_, classNameSize_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> unknownKeys_;
  std::vector<Attr> attrs_;
  std::vector<Role> roles_;
  std::size_t itemsBefore_ = 0, badItemsBefore_ = 0;
};

Slot Reader::slot() const {
  if (stack_.empty())
    return Slot::Root;
  switch (stack_.back()) {
  case Ctx::Objects:
    return Slot::Element;
  case Ctx::List:
    return Slot::Item;
  default:
    return keySlot_;
  }
}

bool Reader::Key(const char *s, rapidjson::SizeType n, bool) {
  if (skip_)
    return true;
  std::string_view key(s, n);
  switch (stack_.back()) {
  case Ctx::Top:
    if (key == "format") {
      keySlot_ = l_.formatSeen_ ? Slot::Ignore : Slot::Format;
      l_.formatSeen_ = true;
    } else if (key == "version") {
      keySlot_ = l_.versionSeen_ ? Slot::Ignore : Slot::Version;
      l_.versionSeen_ = true;
    } else if (key == "objects") {
      keySlot_ = l_.objectsSeen_ ? Slot::Ignore : Slot::Objects;
      l_.objectsSeen_ = true;
    } else {
      l_.topKeys_.add(0,
                      [&] { return "top level: unknown key " + quote(key); });
      keySlot_ = Slot::Ignore;
    }
    break;
  case Ctx::Object: {
    auto once = [&](bool &seen, Slot s) {
      keySlot_ = seen ? Slot::Ignore : s;
      seen = true;
    };
    if (key == "id")
      once(hasId_, Slot::Id);
    else if (key == "class")
      once(hasClass_, Slot::Class);
    else if (key == "attrs")
      once(hasAttrs_, Slot::Attrs);
    else if (key == "links")
      once(hasLinks_, Slot::Links);
    else {
      unknownKeys_.emplace_back(keep(key), n);
      keySlot_ = Slot::Ignore;
    }
    break;
  }
  case Ctx::Attrs:
    attrs_.push_back({keep(key), n, 0, 0, Kind::Null});
    keySlot_ = Slot::Value;
    break;
  case Ctx::Links:
    roles_.push_back({keep(key), n, false, Kind::Null, 0, 0});
    keySlot_ = Slot::List;
    break;
  default:
    break;
  }
  return true;
}

bool Reader::scalar(const Scalar &v) {
  if (skip_)
    return true;
  switch (slot()) {
  case Slot::Root:
    l_.rootKind_ = v.kind;
    break;
  case Slot::Format:
    // Compared as a C string, as the text reads.
    l_.formatOk_ = v.kind == Kind::String &&
                   std::string_view(v.text.data()) == "zeva-repository";
    break;
  case Slot::Version:
    l_.versionOk_ = v.isInt && v.i == 1;
    break;
  case Slot::Objects:
    l_.objectsKind_ = v.kind;
    break;
  case Slot::Element: {
    std::uint32_t index = elements_++;
    l_.objects_.add(index, [&] {
      return where(index, 0) + ": expected an object, found " +
             kindName(v.kind);
    });
    break;
  }
  case Slot::Id:
    idOk_ = v.isInt && v.i > 0;
    id_ = v.i;
    break;
  case Slot::Class:
    classIsString_ = v.kind == Kind::String;
    if (classIsString_) {
      className_ = keep(v.text);
      classNameSize_ = static_cast<std::uint32_t>(v.text.size());
    }
    break;
  case Slot::Attrs:
    attrsKind_ = v.kind;
    break;
  case Slot::Links:
    linksKind_ = v.kind;
    break;
  case Slot::Value: {
    Attr &a = attrs_.back();
    a.kind = v.kind;
    a.value = keep(v.text);
    a.valueSize = static_cast<std::uint32_t>(v.text.size());
    break;
  }
  case Slot::List:
    roles_.back().kind = v.kind;
    break;
  case Slot::Item:
    if (!v.isInt)
      l_.badItems_.emplace_back(static_cast<std::uint32_t>(l_.items_.size()),
                                v.kind);
    l_.items_.push_back(v.isInt ? v.i : 0);
    ++roles_.back().count;
    break;
  case Slot::Ignore:
    break;
  }
  return true;
}

bool Reader::start(Kind k) {
  if (skip_) {
    ++skip_;
    return true;
  }
  Slot s = slot();
  bool object = k == Kind::Object;
  Ctx enter;
  switch (s) {
  case Slot::Root:
    l_.rootKind_ = k;
    l_.rootIsObject_ = object;
    if (!object) {
      skip_ = 1;
      return true;
    }
    enter = Ctx::Top;
    break;
  case Slot::Objects:
    l_.objectsKind_ = k;
    l_.objectsIsArray_ = !object;
    if (object) {
      skip_ = 1;
      return true;
    }
    enter = Ctx::Objects;
    break;
  case Slot::Element:
    if (!object) {
      scalar({k, false, 0, {}});
      skip_ = 1;
      return true;
    }
    startObject();
    enter = Ctx::Object;
    break;
  case Slot::Attrs:
    attrsKind_ = k;
    if (!object) {
      skip_ = 1;
      return true;
    }
    enter = Ctx::Attrs;
    break;
  case Slot::Links:
    linksKind_ = k;
    if (!object) {
      skip_ = 1;
      return true;
    }
    enter = Ctx::Links;
    break;
  case Slot::List:
    roles_.back().kind = k;
    if (object) {
      skip_ = 1;
      return true;
    }
    roles_.back().isArray = true;
    roles_.back().first = static_cast<std::uint32_t>(l_.items_.size());
    enter = Ctx::List;
    break;
  default:
    // Any other value that is an object or array is wrong or unused.
    scalar({k, false, 0, {}});
    skip_ = 1;
    return true;
  }
  stack_.push_back(enter);
  return true;
}

bool Reader::end() {
  if (skip_) {
    --skip_;
    return true;
  }
  Ctx done = stack_.back();
  stack_.pop_back();
  if (done == Ctx::Object)
    finishObject();
  return true;
}

void Reader::startObject() {
  index_ = elements_++;
  hasId_ = idOk_ = hasClass_ = classIsString_ = hasAttrs_ = hasLinks_ = false;
  id_ = 0;
  attrsKind_ = linksKind_ = Kind::Object;
  scratch_.clear();
  unknownKeys_.clear();
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
    problem(
        [] { return std::string("\"id\" must be a positive 32-bit integer"); });
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
  for (auto [at, size] : unknownKeys_)
    problem([&] { return "unknown key " + quote(kept(at, size)); });

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
        return loc() + ": attrs." + std::string(name) + ": " + what();
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
    if (a.kind == Kind::Object || a.kind == Kind::Array) {
      problem([&] {
        return std::string("expected a string, number or boolean, found ") +
               kindName(a.kind);
      });
      continue;
    }
    std::string_view text = kept(a.value, a.valueSize);
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
        g.problem = problem("links." + std::string(role) + ": class " +
                            quote(l_.mm_.classInfo(cls)->name) +
                            " has no association end " + quote(role));
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

} // namespace

bool read(std::string_view text, Loader &loader, std::string &error) {
  Reader handler(loader);
  rapidjson::Reader reader;
  rapidjson::StringStream in(text.data());
  rapidjson::ParseResult ok =
      reader.Parse<rapidjson::kParseDefaultFlags>(in, handler);
  if (ok)
    return true;
  error = lineColumn(text, ok.Offset()) +
          ": malformed JSON: " + rapidjson::GetParseError_En(ok.Code());
  return false;
}

} // namespace zrep::load
