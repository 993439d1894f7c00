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

#include "repository.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

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

/// Formatted output through a buffer; `sink` takes each full buffer and
/// returns false on failure, after which output is dropped.
class Out {
public:
  using Sink = std::function<bool(std::string_view)>;
  explicit Out(Sink sink)
      : sink_(std::move(sink)), buf_(new char[kSize]), end_(buf_.get()) {}

  bool ok() const { return ok_; }

  void put(char c) {
    if (end_ == buf_.get() + kSize)
      drain();
    *end_++ = c;
  }
  void put(std::string_view s) {
    if (s.size() > static_cast<std::size_t>(buf_.get() + kSize - end_)) {
      drain();
      if (s.size() > kSize) {
        ok_ = ok_ && sink_(s);
        return;
      }
    }
    std::memcpy(end_, s.data(), s.size());
    end_ += s.size();
  }
  void integer(std::int32_t v) {
    if (buf_.get() + kSize - end_ < 16)
      drain();
    end_ = std::to_chars(end_, end_ + 16, v).ptr;
  }
  /// A JSON string with escapes.
  void string(std::string_view s) {
    put('"');
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
        char u[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
        put(std::string_view(u, sizeof u));
      } else {
        char x[] = {'\\', e};
        put(std::string_view(x, sizeof x));
      }
    }
    put('"');
  }
  bool finish() {
    drain();
    return ok_;
  }

private:
  static constexpr std::size_t kSize = 1 << 20;
  void drain() {
    if (end_ != buf_.get() && ok_)
      ok_ = sink_(std::string_view(
          buf_.get(), static_cast<std::size_t>(end_ - buf_.get())));
    end_ = buf_.get();
  }

  Sink sink_;
  std::unique_ptr<char[]> buf_;
  char *end_;
  bool ok_ = true;
};

/// A name as a JSON string, with or without a colon after it.
std::string jsonName(std::string_view name, bool key) {
  std::string text;
  Out out([&](std::string_view s) {
    text.append(s);
    return true;
  });
  out.string(name);
  if (key)
    out.put(':');
  out.finish();
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
  repo.forEachObject([&](const Object &o) {
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

std::string errnoText(const std::string &what, const std::string &path) {
  return what + " '" + path + "': " + std::strerror(errno);
}

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

/// Creates a temporary file beside `path`, writes through `fill`, flushes
/// it to disk and renames it over `path`.
bool replaceFile(const std::string &path, const std::function<bool(int)> &fill,
                 std::string &error) {
  std::string tmp = path + ".tmpXXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    error = errnoText("cannot create a temporary file beside", path);
    return false;
  }
  // Keep the target's permissions, or give a new file the usual ones.
  struct stat st;
  mode_t mode = 0666;
  if (::stat(path.c_str(), &st) == 0)
    mode = st.st_mode & 07777;
  else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  ::fchmod(fd, mode);
  bool ok = fill(fd) && ::fsync(fd) == 0;
  if (!ok)
    error = errnoText("cannot write", tmp);
  if (::close(fd) != 0 && ok) {
    error = errnoText("cannot write", tmp);
    ok = false;
  }
  if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) {
    error = errnoText("cannot replace", path);
    ok = false;
  }
  if (!ok)
    ::unlink(tmp.c_str());
  return ok;
}

} // namespace

std::string saveRepositoryText(const Repository &repo) {
  std::string text;
  Out out([&](std::string_view s) {
    text.append(s);
    return true;
  });
  writeRepository(repo, out);
  return text;
}

bool saveRepositoryFile(const Repository &repo, const std::string &path,
                        std::string &error) {
  return replaceFile(
      path,
      [&](int fd) {
        Out out([fd](std::string_view s) { return writeAll(fd, s); });
        return writeRepository(repo, out);
      },
      error);
}

bool writeFileAtomically(const std::string &path, std::string_view data,
                         std::string &error) {
  return replaceFile(
      path, [&](int fd) { return writeAll(fd, data); }, error);
}

} // namespace zrep
