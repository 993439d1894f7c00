//===- repo_file_save.cpp - Write repository files ------------------------===//

#include "repo_file.h"

#include "repository.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace zrep {

namespace {

using Sink = std::function<bool(std::string_view)>;

/// Writes the file one object per line; the JSON writer does all escaping.
bool writeRepository(const Repository &repo, const Sink &out) {
  const Metamodel &mm = repo.metamodel();
  if (!out("{\n  \"format\": \"zeva-repository\",\n  \"version\": 1,\n"
           "  \"objects\": ["))
    return false;
  rapidjson::StringBuffer buf;
  bool first = true;
  for (const Object *o : repo.allObjects()) {
    buf.Clear();
    rapidjson::Writer<rapidjson::StringBuffer> w(buf);
    const ClassInfo &c = *mm.classInfo(o->cls);
    w.StartObject();
    w.Key("id");
    w.Int(o->id);
    w.Key("class");
    w.String(c.name.c_str(), static_cast<rapidjson::SizeType>(c.name.size()));
    bool anyValue = false;
    for (std::size_t slot = 0; slot < o->values.size(); ++slot) {
      const std::string &v = o->values[slot];
      if (v.empty())
        continue;
      if (!anyValue) {
        w.Key("attrs");
        w.StartObject();
        anyValue = true;
      }
      const std::string &name = mm.attrInfo(c.attrs[slot])->name;
      w.Key(name.c_str(), static_cast<rapidjson::SizeType>(name.size()));
      w.String(v.c_str(), static_cast<rapidjson::SizeType>(v.size()));
    }
    if (anyValue)
      w.EndObject();
    bool anyLink = false;
    for (TypeId end : c.ends) {
      std::vector<ObjectId> partners = repo.partners(o->id, end);
      if (partners.empty())
        continue;
      if (!anyLink) {
        w.Key("links");
        w.StartObject();
        anyLink = true;
      }
      const std::string &role = mm.endInfo(end)->role;
      w.Key(role.c_str(), static_cast<rapidjson::SizeType>(role.size()));
      w.StartArray();
      for (ObjectId p : partners)
        w.Int(p);
      w.EndArray();
    }
    if (anyLink)
      w.EndObject();
    w.EndObject();
    if (!out(first ? "\n    " : ",\n    ") ||
        !out(std::string_view(buf.GetString(), buf.GetSize())))
      return false;
    first = false;
  }
  return out(first ? "]\n}\n" : "\n  ]\n}\n");
}

std::string errnoText(const std::string &what, const std::string &path) {
  return what + " '" + path + "': " + std::strerror(errno);
}

/// Creates a temporary file beside `path`, writes through `fill`, flushes
/// it to disk and renames it over `path`.
bool replaceFile(const std::string &path,
                 const std::function<bool(std::FILE *)> &fill,
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
  std::FILE *f = ::fdopen(fd, "wb");
  if (!f) {
    error = errnoText("cannot open", tmp);
    ::close(fd);
    ::unlink(tmp.c_str());
    return false;
  }
  bool ok = fill(f) && std::fflush(f) == 0 && ::fsync(fd) == 0;
  if (!ok)
    error = errnoText("cannot write", tmp);
  if (std::fclose(f) != 0 && ok) {
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
  writeRepository(repo, [&](std::string_view s) {
    text.append(s);
    return true;
  });
  return text;
}

bool saveRepositoryFile(const Repository &repo, const std::string &path,
                        std::string &error) {
  return replaceFile(
      path,
      [&](std::FILE *f) {
        return writeRepository(repo, [f](std::string_view s) {
          return std::fwrite(s.data(), 1, s.size(), f) == s.size();
        });
      },
      error);
}

bool writeFileAtomically(const std::string &path, std::string_view data,
                         std::string &error) {
  return replaceFile(
      path,
      [&](std::FILE *f) {
        return std::fwrite(data.data(), 1, data.size(), f) == data.size();
      },
      error);
}

} // namespace zrep
