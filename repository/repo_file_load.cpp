//===- repo_file_load.cpp - Read repository files -------------------------===//
//
// One pass of RapidJSON's SAX reader over the text; no document tree is
// built. Each element of "objects" is collected as it streams by and, when
// it closes, checked, created and given its values; its listed links are
// kept as plain ids until every object exists. A key given twice, a string
// that is not UTF-8 and values nested deeper than the format ever needs are
// problems; the depth limit also keeps the recursive reader off the end of
// the stack.
//
//===----------------------------------------------------------------------===//

#include "repo_file_reader.h"

#include <rapidjson/error/en.h>

#include <memory>

namespace zrep::load {

namespace {

/// Composite values nested deeper than this end the reading; a valid file
/// nests five deep.
constexpr std::size_t kMaxDepth = 1000;

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

/// The value found where a certain one was expected, for a problem.
std::string found(const Scalar &v) {
  switch (v.kind) {
  case Kind::Number:
  case Kind::Boolean:
    return std::string(v.text.empty() ? "a number" : v.text);
  case Kind::String:
    return quote(v.text);
  default:
    return kindName(v.kind);
  }
}

} // namespace

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
  std::string_view key(s, n);
  if (!isValidUtf8(key))
    notUtf8(true);
  if (skip_)
    return true;
  switch (stack_.back()) {
  case Ctx::Top: {
    auto once = [&](bool &seen, Slot s) {
      if (seen)
        l_.topKeys_.add(
            0, [&] { return "top level: duplicate key " + quote(key); });
      keySlot_ = seen ? Slot::Ignore : s;
      seen = true;
    };
    if (key == "format") {
      once(l_.formatSeen_, Slot::Format);
    } else if (key == "version") {
      once(l_.versionSeen_, Slot::Version);
    } else if (key == "objects") {
      once(l_.objectsSeen_, Slot::Objects);
    } else {
      l_.topKeys_.add(0,
                      [&] { return "top level: unknown key " + quote(key); });
      keySlot_ = Slot::Ignore;
    }
    break;
  }
  case Ctx::Object: {
    auto once = [&](bool &seen, Slot s) {
      if (seen)
        twice_.emplace_back(keep(key), n);
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
    // The whole text: a NUL must not hide what follows it.
    l_.formatOk_ = v.kind == Kind::String && v.text == "zeva-repository";
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
    if (!idOk_)
      idFound_ = found(v);
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
  if (stack_.size() + skip_ >= kMaxDepth) {
    tooDeep_ = true;
    return false;
  }
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

namespace {

/// The text as the reader's input. The reader runs in its in-situ mode, in
/// which it asks its input where to put each decoded string: here into a
/// buffer of the stream's own, so the text stays as it is and the reader's
/// internal stack is never used. (RapidJSON 1.1's stack adds to a null
/// pointer when it first grows, which is undefined behaviour.)
class TextStream {
public:
  using Ch = char;
  /// `text` ends with a NUL, at which reading stops.
  explicit TextStream(std::string_view text)
      : begin_(text.data()), at_(text.data()), out_(new char[text.size() + 1]) {
  }
  Ch Peek() const { return *at_; }
  Ch Take() { return *at_++; }
  std::size_t Tell() const { return static_cast<std::size_t>(at_ - begin_); }
  // A decoded string, with its closing NUL, is never longer than its text
  // with the closing quote, so the buffer holds any of them. Memory that no
  // string reaches is never written, so the system never provides it.
  Ch *PutBegin() { return put_ = out_.get(); }
  void Put(Ch c) { *put_++ = c; }
  std::size_t PutEnd(Ch *begin) {
    return static_cast<std::size_t>(put_ - begin);
  }

private:
  const char *begin_, *at_;
  std::unique_ptr<char[]> out_;
  char *put_ = nullptr;
};

} // namespace

bool read(std::string_view text, Loader &loader, std::string &error) {
  // Not JSON, and a common leftover of editors: said plainly.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    error = "1:1: file starts with a UTF-8 byte-order mark; remove it";
    return false;
  }
  TextStream in(text);
  Reader handler(loader, text, [&in] { return in.Tell(); });
  rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>,
                           ThrowingAllocator>
      reader;
  rapidjson::ParseResult ok =
      reader.Parse<rapidjson::kParseInsituFlag>(in, handler);
  if (ok)
    return true;
  error = lineColumn(text, ok.Offset()) +
          (handler.tooDeep() ? ": values nested more than " +
                                   std::to_string(kMaxDepth) + " levels deep"
                             : std::string(": malformed JSON: ") +
                                   rapidjson::GetParseError_En(ok.Code()));
  return false;
}

} // namespace zrep::load
