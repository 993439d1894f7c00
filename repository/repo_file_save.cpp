//===- repo_file_save.cpp - Write repository files ------------------------===//
//
// The file is formatted straight into a large buffer, one object per line,
// byte for byte as RapidJSON's compact writer would put each object: the
// same escapes (\b \t \n \f \r, \u00XX for other control characters, \" and
// \\), no spaces. Names of classes, attributes and roles are escaped once
// per save.
//
//===----------------------------------------------------------------------===//

#include "repo_file.h"

#include "file_replace.h"
#include "file_text.h"
#include "file_writer.h"
#include "repository.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>

namespace zrep {

namespace {

/// The character after the backslash that escapes a byte, 'u' for \u00XX,
/// 0 for a byte written as it is.
constexpr std::array<char, 256> kEscape = [] {
  std::array<char, 256> t{};
  for (int c = 0; c < 0x20; ++c)
    t[c] = 'u';
  t['\b'] = 'b';
  t['\t'] = 't';
  t['\n'] = 'n';
  t['\f'] = 'f';
  t['\r'] = 'r';
  t['"'] = '"';
  t['\\'] = '\\';
  return t;
}();

/// Passes `s` to `put` as a quoted JSON string, in pieces.
template <class Put> void quoteJson(std::string_view s, Put &&put) {
  put("\"");
  const char *p = s.data(), *stop = p + s.size();
  while (p < stop) {
    const char *run = p;
    while (p < stop && !kEscape[static_cast<unsigned char>(*p)])
      ++p;
    put(std::string_view(run, static_cast<std::size_t>(p - run)));
    if (p == stop)
      break;
    auto c = static_cast<unsigned char>(*p++);
    char e = kEscape[c];
    if (e == 'u') {
      const char hex[] = "0123456789ABCDEF";
      const char u[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
      put(std::string_view(u, sizeof u));
    } else {
      const char x[] = {'\\', e};
      put(std::string_view(x, sizeof x));
    }
  }
  put("\"");
}

/// Two output buffers, aligned for direct writes.
class Buffers {
public:
  explicit Buffers(std::size_t size) : size_(size) {
    for (auto &b : bufs_)
      b.reset(
          static_cast<char *>(std::aligned_alloc(FileWriter::kAlign, size)));
    if (!bufs_[0] || !bufs_[1])
      throw std::bad_alloc();
  }
  char *operator[](int i) const { return bufs_[i].get(); }
  std::size_t size() const { return size_; }

private:
  struct Free {
    void operator()(char *p) const { std::free(p); }
  };
  std::unique_ptr<char, Free> bufs_[2];
  std::size_t size_;
};

/// Formatted output, filling one buffer while `sink` takes the other: the
/// sink may use a buffer until it is handed the next one. Every buffer but
/// the last is handed over full. After a failure, output is dropped.
class Out {
public:
  using Sink = std::function<bool(std::string_view)>;
  Out(const Buffers &bufs, Sink sink)
      : bufs_(bufs), sink_(std::move(sink)), cur_(bufs[0]), end_(cur_),
        stop_(cur_ + bufs.size()) {}

  bool ok() const { return ok_; }

  void put(char c) {
    if (end_ == stop_)
      drain();
    *end_++ = c;
  }
  void put(std::string_view s) {
    for (;;) {
      auto room = static_cast<std::size_t>(stop_ - end_);
      if (s.size() <= room) {
        std::memcpy(end_, s.data(), s.size());
        end_ += s.size();
        return;
      }
      std::memcpy(end_, s.data(), room);
      end_ += room;
      s.remove_prefix(room);
      drain();
    }
  }
  void integer(std::int32_t v) {
    if (stop_ - end_ >= 11) {
      end_ = std::to_chars(end_, stop_, v).ptr;
      return;
    }
    char buf[11];
    put(std::string_view(buf, static_cast<std::size_t>(
                                  std::to_chars(buf, buf + 11, v).ptr - buf)));
  }
  /// A JSON string with escapes.
  void string(std::string_view s) {
    quoteJson(s, [this](std::string_view piece) { put(piece); });
  }
  bool finish() {
    drain();
    return ok_;
  }

private:
  void drain() {
    if (end_ != cur_ && ok_)
      ok_ =
          sink_(std::string_view(cur_, static_cast<std::size_t>(end_ - cur_)));
    which_ ^= 1;
    cur_ = end_ = bufs_[which_];
    stop_ = cur_ + bufs_.size();
  }

  const Buffers &bufs_;
  Sink sink_;
  int which_ = 0;
  char *cur_, *end_, *stop_;
  bool ok_ = true;
};

/// A name as a JSON string, with or without a colon after it.
std::string jsonName(std::string_view name, bool key) {
  std::string text;
  quoteJson(name, [&](std::string_view piece) { text.append(piece); });
  if (key)
    text += ':';
  return text;
}

/// Writes the file one object per line.
bool writeRepository(const Repository &repo, Out &out) {
  const Metamodel &mm = repo.metamodel();
  std::vector<std::string> classes, attrs, roles;
  for (const ClassInfo &c : mm.classes())
    classes.push_back(jsonName(c.name, false));
  for (const AttrInfo &a : mm.attrs())
    attrs.push_back(jsonName(a.name, true));
  for (const EndInfo &e : mm.ends())
    roles.push_back(jsonName(e.role, true));

  out.put("{\n  \"format\": \"zeva-repository\",\n  \"version\": 1,\n"
          "  \"objects\": [");
  bool first = true;
  // An object's ends holding links as (slot, k), sorted into the class's
  // end order.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ends;
  repo.scanObjects([&](const Object &o) {
    if (!out.ok())
      return;
    const ClassInfo &c = mm.classes()[o.cls - Metamodel::kFirstClassId];
    out.put(first ? "\n    {\"id\":" : ",\n    {\"id\":");
    first = false;
    out.integer(o.id);
    out.put(",\"class\":");
    out.put(classes[o.cls - Metamodel::kFirstClassId]);
    if (o.values) {
      bool any = false;
      for (std::uint32_t slot = 0; slot < c.attrs.size(); ++slot) {
        std::string_view v = repo.slotValue(o, slot);
        if (v.empty())
          continue;
        out.put(any ? "," : ",\"attrs\":{");
        any = true;
        out.put(attrs[c.attrs[slot] - Metamodel::kFirstAttrId]);
        out.string(v);
      }
      if (any)
        out.put('}');
    }
    if (o.endCount) {
      ends.clear();
      for (std::uint32_t k = 0; k < o.endCount; ++k)
        ends.emplace_back(mm.endInfo(repo.endPartners(o, k).end)->slot, k);
      std::sort(ends.begin(), ends.end());
      bool any = false;
      for (auto [slot, k] : ends) {
        EndPartners p = repo.endPartners(o, k);
        if (!p.live)
          continue;
        out.put(any ? "," : ",\"links\":{");
        any = true;
        out.put(roles[p.end - Metamodel::kFirstEndId]);
        char sep = '[';
        for (const ObjectId *id = p.begin; id != p.finish; ++id)
          if (*id) {
            out.put(sep);
            sep = ',';
            out.integer(*id);
          }
        out.put(']');
      }
      if (any)
        out.put('}');
    }
    out.put('}');
  });
  out.put(first ? "]\n}\n" : "\n  ]\n}\n");
  return out.finish();
}

/// Where the first attribute value that is not UTF-8 is, which the loader
/// would refuse; empty when every value is UTF-8.
std::string invalidText(const Repository &repo) {
  if (!repo.holdsNonUtf8())
    return "";
  const Metamodel &mm = repo.metamodel();
  std::string where;
  repo.scanObjects([&](const Object &o) {
    if (!where.empty() || !o.values)
      return;
    const ClassInfo &c = mm.classes()[o.cls - Metamodel::kFirstClassId];
    for (std::uint32_t slot = 0; slot < c.attrs.size(); ++slot)
      if (!isValidUtf8(repo.slotValue(o, slot))) {
        where = "object " + std::to_string(o.id) + " (" + printable(c.name) +
                "), attribute \"" +
                printable(mm.attrInfo(c.attrs[slot])->name) + "\"";
        return;
      }
  });
  return where;
}

} // namespace

std::string saveRepositoryText(const Repository &repo) {
  std::string text;
  Buffers bufs(64 * 1024);
  Out out(bufs, [&](std::string_view s) {
    text.append(s);
    return true;
  });
  writeRepository(repo, out);
  return text;
}

bool saveRepositoryFile(const Repository &repo, const std::string &path,
                        std::string &error) {
  // A file the loader refuses must not replace the target.
  if (std::string where = invalidText(repo); !where.empty()) {
    error = where + ": the value is not valid UTF-8; nothing was saved";
    return false;
  }
  return replaceFile(
      path,
      [&](int fd) {
        Buffers bufs(1 << 20);
        FileWriter writer(fd); // outlives no buffer it writes
        Out out(bufs, [&](std::string_view s) { return writer.write(s); });
        bool formatted = writeRepository(repo, out);
        return writer.finish() && formatted;
      },
      error);
}

bool writeFileAtomically(const std::string &path, std::string_view data,
                         std::string &error) {
  return replaceFile(
      path, [&](int fd) { return writeAll(fd, data); }, error);
}

} // namespace zrep
