//===- repo_file_reader.h - The repository file reader ----------*- C++ -*-===//
//
// Internal to repo_file_load.cpp, which follows RapidJSON's SAX events
// through the document, and repo_file_object.cpp, which checks and creates
// each element of "objects" once it has been read.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "file_text.h"
#include "repo_file_loader.h"

#include <rapidjson/reader.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>

namespace zrep::load {

/// RapidJSON's allocator, except that running out of memory throws
/// std::bad_alloc instead of handing the reader a null pointer.
struct ThrowingAllocator {
  static const bool kNeedFree = true;
  void *Malloc(std::size_t size) {
    return size ? check(std::malloc(size)) : nullptr;
  }
  void *Realloc(void *p, std::size_t, std::size_t size) {
    if (size == 0) {
      std::free(p);
      return nullptr;
    }
    return check(std::realloc(p, size));
  }
  static void Free(void *p) { std::free(p); }

private:
  static void *check(void *p) {
    if (!p)
      throw std::bad_alloc();
    return p;
  }
};

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

/// A writer's output into a plain string. (RapidJSON 1.1's string buffer
/// adds to a null pointer when it first grows, which is undefined.)
struct TextOutput {
  using Ch = char;
  std::string s;
  void Put(char c) { s += c; }
  void Flush() {}
};

class Reader {
public:
  /// `tell` gives the offset in `text` that reading has reached.
  Reader(Loader &l, std::string_view text, std::function<std::size_t()> tell)
      : l_(l), text_(text), tell_(std::move(tell)),
        attrStamp_(l.mm_.attrs().size()), endStamp_(l.mm_.ends().size()) {}
  /// Whether reading stopped at values nested deeper than kMaxDepth.
  bool tooDeep() const { return tooDeep_; }

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
    if (!skip_ && slot() == Slot::Id)
      return scalar({Kind::Number, false, 0, writtenNumber()});
    // The text a JSON writer gives the number.
    TextOutput text;
    rapidjson::Writer<TextOutput> w(text);
    w.Double(d);
    return scalar({Kind::Number, false, 0, text.s});
  }
  bool RawNumber(const char *, rapidjson::SizeType, bool) { return true; }
  bool String(const char *s, rapidjson::SizeType n, bool) {
    if (!isValidUtf8({s, n}))
      notUtf8(false);
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
    // Only attribute values and ids need the text; an id is echoed as
    // written.
    if (!skip_ && slot() == Slot::Value)
      s.text = {buf, static_cast<std::size_t>(
                         std::to_chars(buf, buf + sizeof buf, v).ptr - buf)};
    else if (!skip_ && slot() == Slot::Id && (!fits || v <= 0))
      s.text = writtenNumber();
    return scalar(s);
  }
  /// The number that was just read, as the file writes it.
  std::string_view writtenNumber() const {
    std::size_t end = std::min(tell_(), text_.size()), begin = end;
    while (begin > 0 && std::strchr("0123456789+-.eE", text_[begin - 1]) &&
           text_[begin - 1] != '\0')
      --begin;
    return text_.substr(begin, end - begin);
  }
  Slot slot() const;
  bool scalar(const Scalar &v);
  bool start(Kind k);
  bool end();
  void startObject();
  void finishObject();
  /// Notes a key or string that is not UTF-8 where it was found.
  void notUtf8(bool key);
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
  std::string_view text_;
  std::function<std::size_t()> tell_;
  std::vector<Ctx> stack_;
  Slot keySlot_ = Slot::Ignore; ///< What the value after the last key is.
  std::size_t skip_ = 0;        ///< Depth inside a skipped composite value.
  std::uint32_t elements_ = 0;  ///< Elements of "objects" so far.
  bool tooDeep_ = false;
  /// By attribute and by end: 1 + the index of the last object listing it.
  std::vector<std::uint32_t> attrStamp_, endStamp_;

  // The object being read.
  std::uint32_t index_ = 0;
  bool hasId_, idOk_, hasClass_, classIsString_, hasAttrs_, hasLinks_;
  ObjectId id_;
  std::string idFound_; ///< A wrong id's value.
  Kind attrsKind_, linksKind_;
  std::string scratch_; ///< Names and texts of this object.
  std::uint32_t className_, classNameSize_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> unknownKeys_, twice_;
  std::vector<std::string> badTexts_; ///< Strings that are not UTF-8.
  std::vector<Attr> attrs_;
  std::vector<Role> roles_;
  std::size_t itemsBefore_ = 0, badItemsBefore_ = 0;
};

} // namespace zrep::load
