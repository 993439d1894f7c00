//===- repo_file_load.cpp - Read and check repository files ---------------===//
//
// Loading runs in passes so that every problem of a file is found at once:
// objects, then attribute values and listed links, then the links listed from
// one end only, multiplicities and containment cycles. Any problem discards
// the whole repository.
//
//===----------------------------------------------------------------------===//

#include "repo_file.h"

#include "repository.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <utility>

namespace zrep {

namespace {

using rapidjson::Value;

/// Roles through which an object owns another; an object must not own
/// itself through any chain of them.
constexpr std::string_view kContainmentRoles[] = {
    "ownedMember", "ownedElement", "ownedElem", "ownedLink", "ownedFlowEnd"};

class Loader {
public:
  Loader(std::string_view name) : name_(name) {}

  LoadResult run(std::string &text);

private:
  void problem(const std::string &where, const std::string &what);
  std::string where(std::size_t index, ObjectId id) const;
  bool readObject(std::size_t index, const Value &v);
  using Where = std::function<std::string()>;
  void readAttrs(const Where &loc, ObjectId id, TypeId cls, const Value &attrs);
  void readLinks(const Where &loc, ObjectId id, TypeId cls, const Value &links);
  void checkMultiplicities();
  void checkContainment();

  std::string name_;
  const Metamodel &mm_ = Metamodel::builtin();
  std::unique_ptr<Repository> repo_ = std::make_unique<Repository>(mm_);
  LoadResult result_;
  std::size_t count_ = 0;
  /// Ids seen in the file, valid or not, with their index in "objects".
  std::unordered_map<ObjectId, std::size_t> seen_;
};

std::string quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string kindOf(const Value &v) {
  switch (v.GetType()) {
  case rapidjson::kNullType:
    return "null";
  case rapidjson::kFalseType:
  case rapidjson::kTrueType:
    return "a boolean";
  case rapidjson::kObjectType:
    return "an object";
  case rapidjson::kArrayType:
    return "an array";
  case rapidjson::kStringType:
    return "a string";
  case rapidjson::kNumberType:
    return "a number";
  }
  return "a value";
}

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

void Loader::problem(const std::string &where, const std::string &what) {
  if (result_.problems.size() < kMaxReportedProblems)
    result_.problems.push_back(name_ + ": error: " + where + ": " + what);
  else
    ++result_.unreported;
}

std::string Loader::where(std::size_t index, ObjectId id) const {
  std::string at = "objects[" + std::to_string(index) + "]";
  return id > 0 ? "object " + std::to_string(id) + " (" + at + ")" : at;
}

LoadResult Loader::run(std::string &text) {
  rapidjson::Document doc;
  doc.Parse(text.data(), text.size());
  if (doc.HasParseError()) {
    problem(lineColumn(text, doc.GetErrorOffset()),
            std::string("malformed JSON: ") +
                rapidjson::GetParseError_En(doc.GetParseError()));
    return std::move(result_);
  }
  text = std::string(); // the document holds its own copies now
  if (!doc.IsObject()) {
    problem("top level", "expected an object, found " + kindOf(doc));
    return std::move(result_);
  }
  auto format = doc.FindMember("format");
  if (format == doc.MemberEnd())
    problem("format", "missing; expected \"zeva-repository\"");
  else if (!format->value.IsString() ||
           std::string_view(format->value.GetString()) != "zeva-repository")
    problem("format", "expected \"zeva-repository\"");
  auto version = doc.FindMember("version");
  if (version == doc.MemberEnd())
    problem("version", "missing; expected 1");
  else if (!version->value.IsInt() || version->value.GetInt() != 1)
    problem("version", "unsupported version; expected 1");
  for (auto &m : doc.GetObject()) {
    std::string_view key(m.name.GetString(), m.name.GetStringLength());
    if (key != "format" && key != "version" && key != "objects")
      problem("top level", "unknown key " + quote(key));
  }
  auto objects = doc.FindMember("objects");
  if (objects == doc.MemberEnd() || !objects->value.IsArray()) {
    problem("objects",
            objects == doc.MemberEnd()
                ? "missing; expected an array of objects"
                : "expected an array, found " + kindOf(objects->value));
    return std::move(result_);
  }
  const auto &array = objects->value.GetArray();
  std::size_t links = 0;
  for (const Value &v : array)
    if (v.IsObject())
      if (auto l = v.FindMember("links");
          l != v.MemberEnd() && l->value.IsObject())
        for (auto &m : l->value.GetObject())
          if (m.value.IsArray())
            links += m.value.Size();
  repo_->reserve(array.Size(), links);
  std::vector<bool> valid(array.Size());
  seen_.reserve(array.Size());
  for (std::size_t i = 0; i < array.Size(); ++i)
    valid[i] = readObject(i, array[static_cast<rapidjson::SizeType>(i)]);
  for (std::size_t i = 0; i < array.Size(); ++i) {
    if (!valid[i])
      continue;
    const Value &v = array[static_cast<rapidjson::SizeType>(i)];
    ObjectId id = v["id"].GetInt();
    TypeId cls = repo_->classOf(id);
    // Locations are only spelled out for problems.
    auto loc = [&] { return where(i, id); };
    if (auto a = v.FindMember("attrs"); a != v.MemberEnd())
      readAttrs(loc, id, cls, a->value);
    if (auto l = v.FindMember("links"); l != v.MemberEnd())
      readLinks(loc, id, cls, l->value);
  }
  // Links listed from one end only join the other end after its own list.
  repo_->loadFinish();
  checkMultiplicities();
  if (result_.problems.empty())
    checkContainment();
  if (result_.problems.empty())
    result_.repo = std::move(repo_);
  return std::move(result_);
}

bool Loader::readObject(std::size_t index, const Value &v) {
  std::string loc = where(index, 0);
  if (!v.IsObject()) {
    problem(loc, "expected an object, found " + kindOf(v));
    return false;
  }
  bool ok = true;
  ObjectId id = 0;
  auto idm = v.FindMember("id");
  if (idm == v.MemberEnd()) {
    problem(loc, "missing \"id\"");
    ok = false;
  } else if (!idm->value.IsInt() || idm->value.GetInt() <= 0) {
    problem(loc, "\"id\" must be a positive 32-bit integer");
    ok = false;
  } else {
    id = idm->value.GetInt();
    loc = where(index, id);
    auto [it, fresh] = seen_.emplace(id, index);
    if (!fresh) {
      problem(loc, "duplicate id; first used by objects[" +
                       std::to_string(it->second) + "]");
      ok = false;
    }
  }
  TypeId cls = 0;
  auto cm = v.FindMember("class");
  if (cm == v.MemberEnd()) {
    problem(loc, "missing \"class\"");
    ok = false;
  } else if (!cm->value.IsString()) {
    problem(loc, "\"class\" must be a string");
    ok = false;
  } else {
    std::string_view name(cm->value.GetString(), cm->value.GetStringLength());
    cls = mm_.classId(name);
    if (cls == 0) {
      problem(loc, "unknown class " + quote(name));
      ok = false;
    } else if (mm_.classInfo(cls)->isAbstract) {
      problem(loc, "class " + quote(name) + " is abstract");
      ok = false;
    }
  }
  for (auto &m : v.GetObject()) {
    std::string_view key(m.name.GetString(), m.name.GetStringLength());
    if (key != "id" && key != "class" && key != "attrs" && key != "links") {
      problem(loc, "unknown key " + quote(key));
      ok = false;
    }
  }
  if (ok)
    repo_->createObjectWithId(cls, id);
  return ok;
}

void Loader::readAttrs(const Where &loc, ObjectId id, TypeId cls,
                       const Value &attrs) {
  if (!attrs.IsObject()) {
    problem(loc(), "\"attrs\" must be an object, found " + kindOf(attrs));
    return;
  }
  const ClassInfo &c = *mm_.classInfo(cls);
  for (auto &m : attrs.GetObject()) {
    std::string_view name(m.name.GetString(), m.name.GetStringLength());
    auto at = [&] { return loc() + ": attrs." + std::string(name); };
    TypeId attr = mm_.attrId(cls, name);
    if (attr == 0) {
      problem(at(),
              "class " + quote(c.name) + " has no attribute " + quote(name));
      continue;
    }
    std::string text;
    const Value &v = m.value;
    if (v.IsString()) {
      text.assign(v.GetString(), v.GetStringLength());
    } else if (v.IsBool()) {
      text = v.GetBool() ? "true" : "false";
    } else if (v.IsNumber()) {
      rapidjson::StringBuffer buf;
      rapidjson::Writer<rapidjson::StringBuffer> w(buf);
      v.Accept(w);
      text = buf.GetString();
    } else if (!v.IsNull()) {
      problem(at(), "expected a string, number or boolean, found " + kindOf(v));
      continue;
    }
    if (!repo_->checkValue(attr, text)) {
      const AttrInfo &a = *mm_.attrInfo(attr);
      if (a.kind == AttrKind::Integer)
        problem(at(), quote(text) + " is not a decimal 32-bit integer");
      else
        problem(at(), quote(text) + " is not a literal of enumeration " +
                          quote(mm_.enums()[a.enumIndex].name));
      continue;
    }
    repo_->setValue(id, attr, text);
  }
}

void Loader::readLinks(const Where &loc, ObjectId id, TypeId cls,
                       const Value &links) {
  if (!links.IsObject()) {
    problem(loc(), "\"links\" must be an object, found " + kindOf(links));
    return;
  }
  const ClassInfo &c = *mm_.classInfo(cls);
  for (auto &m : links.GetObject()) {
    std::string_view role(m.name.GetString(), m.name.GetStringLength());
    auto at = [&] { return loc() + ": links." + std::string(role); };
    TypeId end = mm_.endId(cls, role);
    if (end == 0) {
      problem(at(), "class " + quote(c.name) + " has no association end " +
                        quote(role));
      continue;
    }
    if (!m.value.IsArray()) {
      problem(at(),
              "expected an array of object ids, found " + kindOf(m.value));
      continue;
    }
    const EndInfo &e = *mm_.endInfo(end);
    const auto &list = m.value.GetArray();
    for (rapidjson::SizeType i = 0; i < list.Size(); ++i) {
      auto item = [&] { return at() + "[" + std::to_string(i) + "]"; };
      if (!list[i].IsInt()) {
        problem(item(), "expected an object id, found " + kindOf(list[i]));
        continue;
      }
      ObjectId partner = list[i].GetInt();
      switch (repo_->loadListedLink(end, id, partner)) {
      case Repository::LoadLink::Linked:
        break;
      case Repository::LoadLink::NoPartner:
        problem(item(), "partner " + std::to_string(partner) +
                            (seen_.count(partner) ? " is not a valid object"
                                                  : " does not exist"));
        break;
      case Repository::LoadLink::BadPartner:
        problem(item(),
                "partner " + std::to_string(partner) + " of class " +
                    quote(mm_.classInfo(repo_->classOf(partner))->name) +
                    " does not fit the end, which leads to " +
                    quote(mm_.classInfo(e.target)->name));
        break;
      case Repository::LoadLink::Duplicate:
        problem(item(), "partner " + std::to_string(partner) + " listed twice");
        break;
      }
    }
  }
}

void Loader::checkMultiplicities() {
  for (const Object *o : repo_->allObjects()) {
    const ClassInfo &c = *mm_.classInfo(o->cls);
    for (const auto &[slot, pl] : o->ends) {
      const EndInfo &e = *mm_.endInfo(c.ends[slot]);
      if (!e.many && pl.live > 1)
        problem("object " + std::to_string(o->id) + ": links." + e.role,
                "single-valued end holds " + std::to_string(pl.live) +
                    " partners (counting links listed from the other end)");
    }
  }
}

void Loader::checkContainment() {
  // Iterative depth-first search over the ownership edges; a grey object met
  // again closes a cycle. Nothing has been deleted, so an object's slot in
  // the repository order indexes the colours.
  std::vector<bool> containment(mm_.ends().size());
  for (const EndInfo &e : mm_.ends())
    for (std::string_view r : kContainmentRoles)
      if (e.role == r)
        containment[e.id - Metamodel::kFirstEndId] = true;
  std::vector<const Object *> objects = repo_->allObjects();
  enum : char { kWhite, kGrey, kBlack };
  std::vector<char> color(objects.size(), kWhite);
  // A frame walks one object's ends (e) and partners (p).
  struct Frame {
    const Object *o;
    std::size_t e = 0, p = 0;
  };
  std::vector<Frame> stack;
  auto nextOwned = [&](Frame &f) -> const Object * {
    const ClassInfo &c = *mm_.classInfo(f.o->cls);
    for (; f.e < f.o->ends.size(); ++f.e, f.p = 0) {
      const auto &[slot, pl] = f.o->ends[f.e];
      if (!containment[c.ends[slot] - Metamodel::kFirstEndId])
        continue;
      while (f.p < pl.slots.size())
        if (ObjectId id = pl.slots[f.p++])
          return std::as_const(*repo_).find(id);
    }
    return nullptr;
  };
  for (const Object *root : objects) {
    if (color[root->orderPos] != kWhite)
      continue;
    color[root->orderPos] = kGrey;
    stack.push_back({root});
    while (!stack.empty()) {
      const Object *n = nextOwned(stack.back());
      if (!n) {
        color[stack.back().o->orderPos] = kBlack;
        stack.pop_back();
      } else if (color[n->orderPos] == kWhite) {
        color[n->orderPos] = kGrey;
        stack.push_back({n});
      } else if (color[n->orderPos] == kGrey) {
        std::string path;
        std::size_t k = stack.size();
        while (k > 0 && stack[k - 1].o != n)
          --k;
        for (std::size_t j = k - 1; j < stack.size(); ++j)
          path += std::to_string(stack[j].o->id) + " -> ";
        problem("object " + std::to_string(n->id),
                "containment cycle: " + path + std::to_string(n->id));
      }
    }
  }
}

} // namespace

LoadResult loadRepositoryText(std::string text, std::string_view name) {
  return Loader(name).run(text);
}

LoadResult loadRepositoryFile(const std::string &path) {
  auto fail = [&](const char *what) {
    LoadResult r;
    r.problems.push_back(path + ": error: " + what + ": " +
                         std::strerror(errno));
    return r;
  };
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (!f)
    return fail("cannot open");
  // Read in one piece: the size is known, so the text is never copied.
  std::string text;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long size = std::ftell(f);
    if (size > 0)
      text.resize(static_cast<std::size_t>(size));
    std::rewind(f);
  }
  std::size_t got = std::fread(text.data(), 1, text.size(), f);
  text.resize(got);
  // Whatever the size did not tell (a pipe, a growing file) follows.
  char chunk[65536];
  while (std::size_t n = std::fread(chunk, 1, sizeof chunk, f))
    text.append(chunk, n);
  bool bad = std::ferror(f);
  std::fclose(f);
  if (bad)
    return fail("cannot read");
  return loadRepositoryText(std::move(text), path);
}

} // namespace zrep
