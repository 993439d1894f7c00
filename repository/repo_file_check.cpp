//===- repo_file_check.cpp - Check a read repository file -----------------===//
//
// After reading: the listed links are made object by object, the links
// listed from one end only join the other end, then multiplicities and
// containment cycles are checked. Any problem discards the whole repository.
// Problems come out in the order of the checks: the header, each object
// itself, then object by object its values and its links, multiplicities,
// cycles. Also the entry points, which map or read the file.
//
//===----------------------------------------------------------------------===//

#include "repo_file_loader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zrep::load {

namespace {

/// By end: whether it is composite. An object must not own itself through
/// any chain of composite ends.
std::vector<bool> compositeEnds(const Metamodel &mm) {
  std::vector<bool> composite(mm.ends().size());
  for (const EndInfo &e : mm.ends())
    composite[e.id - Metamodel::kFirstEndId] = e.composite;
  return composite;
}

} // namespace

Loader::Loader(std::string_view name, std::shared_ptr<const Metamodel> mm)
    : keep_(std::move(mm)), mm_(keep_ ? *keep_ : Metamodel::builtin()),
      name_(name), repo_(std::make_unique<Repository>(keep_)) {}

LoadResult Loader::run(std::string_view text,
                       const std::function<void()> &release) {
  // Room for what a typical file holds, so that these seldom move while
  // they grow: an object takes about 100 bytes, a listed role 50, a
  // listed partner 25.
  loaded_.reserve(text.size() / 100);
  groups_.reserve(text.size() / 50);
  items_.reserve(text.size() / 25);
  std::string error;
  bool ok = read(text, *this, error);
  release();
  if (!ok) {
    LoadResult r;
    r.problems.push_back(name_ + ": error: " + error);
    return r;
  }
  if (!rootIsObject_ || !objectsIsArray_)
    return report();
  makeLinks();
  checkMultiplicities();
  if (topKeys_.count() + objects_.count() + values_.count() + links_.count() +
          multiplicity_.count() ==
      0)
    checkContainment();
  return report();
}

void Loader::makeLinks() {
  // Listed partners become record indexes + 1 once linked, 0 if not: the
  // records of the objects are in creation order.
  std::size_t bad = 0; // next of badItems_
  for (std::uint32_t index = 0; index < loaded_.size(); ++index) {
    const Loaded &o = loaded_[index];
    auto loc = [&] { return where(o.index, o.id); };
    if (o.linksProblem != UINT32_MAX)
      links_.add(o.index,
                 [&] { return loc() + ": " + groupProblems_[o.linksProblem]; });
    for (std::uint32_t gi = o.groupsBegin; gi < o.groupsEnd; ++gi) {
      const Group &g = groups_[gi];
      if (g.problem != UINT32_MAX) {
        links_.add(o.index,
                   [&] { return loc() + ": " + groupProblems_[g.problem]; });
        continue;
      }
      while (bad < badItems_.size() && badItems_[bad].first < g.first)
        ++bad;
      const EndInfo &e = *mm_.endInfo(g.end);
      for (std::uint32_t i = 0; i < g.count; ++i) {
        std::uint32_t at = g.first + i;
        auto problem = [&](auto &&what) {
          links_.add(o.index, [&] {
            return loc() + ": links." + e.role + "[" + std::to_string(i) +
                   "]: " + what();
          });
          items_[at] = 0; // not linked
        };
        if (bad < badItems_.size() && badItems_[bad].first == at) {
          Kind kind = badItems_[bad++].second;
          problem([&] {
            return std::string("expected an object id, found ") +
                   kindName(kind);
          });
          continue;
        }
        ObjectId partner = items_[at];
        auto p = [&] { return "partner " + std::to_string(partner); };
        std::uint32_t record;
        switch (repo_->loadListedLink(g.end, index, partner, record)) {
        case Repository::LoadLink::Linked:
          items_[at] = static_cast<ObjectId>(record + 1);
          break;
        case Repository::LoadLink::NoPartner:
          problem([&] {
            return p() + (invalid_.count(partner) ? " is not a valid object"
                                                  : " does not exist");
          });
          break;
        case Repository::LoadLink::BadPartner:
          problem([&] {
            return p() + " of class " +
                   quote(mm_.classInfo(repo_->classOf(partner))->name) +
                   " does not fit the end, which leads to " +
                   quote(mm_.classInfo(e.target)->name);
          });
          break;
        case Repository::LoadLink::Duplicate:
          problem([&] { return p() + " listed twice"; });
          break;
        }
      }
    }
  }
  // Links listed from one end only join the other end after its own list,
  // in the order in which they were listed. Owners are noted on the way.
  std::vector<bool> containment = compositeEnds(mm_);
  owns_.assign(loaded_.size(), false);
  for (std::size_t i = 0; i < loaded_.size(); ++i) {
    const Loaded &o = loaded_[i];
    for (std::uint32_t gi = o.groupsBegin; gi < o.groupsEnd; ++gi) {
      const Group &g = groups_[gi];
      if (g.end == 0)
        continue;
      TypeId inverse = mm_.endInfo(g.end)->inverse;
      bool owner = containment[g.end - Metamodel::kFirstEndId];
      bool owned = containment[inverse - Metamodel::kFirstEndId];
      auto self = static_cast<std::uint32_t>(i);
      for (std::uint32_t at = g.first; at < g.first + g.count; ++at)
        if (items_[at]) {
          auto other = static_cast<std::uint32_t>(items_[at] - 1);
          repo_->loadOtherEnd(g.end, self, other);
          if (owner) {
            owns_[i] = true;
            ownership_.emplace_back(self, other);
          }
          if (owned) {
            owns_[other] = true;
            ownership_.emplace_back(other, self);
          }
        }
    }
  }
  overfull_ = repo_->loadFinish();
  loaded_ = {};
  groups_ = {};
  items_ = {};
  badItems_ = {};
}

void Loader::checkMultiplicities() {
  for (ObjectId id : overfull_) {
    const Object &o = *std::as_const(*repo_).find(id);
    for (std::uint32_t k = 0; k < o.endCount; ++k) {
      EndPartners p = repo_->endPartners(o, k);
      const EndInfo &e = *mm_.endInfo(p.end);
      if (!e.many && p.live > 1)
        multiplicity_.add(0, [&] {
          return "object " + std::to_string(o.id) + ": links." + e.role +
                 ": single-valued end holds " + std::to_string(p.live) +
                 " partners (counting links listed from the other end)";
        });
    }
  }
}

bool Loader::anyCycle() {
  // The ownership edges by owner, then a depth-first search over them.
  std::size_t n = owns_.size();
  std::vector<std::uint32_t> first(n + 1), owned(ownership_.size());
  for (auto [owner, o] : ownership_)
    ++first[owner + 1];
  for (std::size_t i = 0; i < n; ++i)
    first[i + 1] += first[i];
  std::vector<std::uint32_t> fill(first.begin(), first.end() - 1);
  for (auto [owner, o] : ownership_)
    owned[fill[owner]++] = o;
  ownership_ = {};
  enum : char { kWhite, kGrey, kBlack };
  std::vector<char> color(n, kWhite);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> stack; // node, edge
  for (std::uint32_t root = 0; root < n; ++root) {
    if (color[root] != kWhite || first[root] == first[root + 1])
      continue;
    color[root] = kGrey;
    stack.emplace_back(root, first[root]);
    while (!stack.empty()) {
      auto &[node, edge] = stack.back();
      if (edge == first[node + 1]) {
        color[node] = kBlack;
        stack.pop_back();
        continue;
      }
      std::uint32_t next = owned[edge++];
      if (color[next] == kGrey)
        return true;
      if (color[next] == kWhite) {
        color[next] = kGrey;
        stack.emplace_back(next, first[next]);
      }
    }
  }
  return false;
}

void Loader::checkContainment() {
  // The search below reports each cycle the way it meets it; most files
  // have none, which a search over plain indices finds out faster.
  if (!anyCycle())
    return;
  // Iterative depth-first search over the ownership edges; a grey object met
  // again closes a cycle. An object that owns nothing closes no cycle, so it
  // turns black at once. Nothing has been deleted, so an object's place in
  // the repository order indexes the colours.
  std::vector<bool> containment = compositeEnds(mm_);
  enum : char { kWhite, kGrey, kBlack };
  std::vector<char> color(owns_.size(), kWhite);
  // A frame walks one object's ends (e) and partners (p).
  // A frame walks one object's ends (e) and the partners of the current
  // containment end (from p to stop). Nothing changes meanwhile.
  struct Frame {
    const Object *o;
    std::uint32_t index;
    std::uint32_t e = 0;
    const ObjectId *p = nullptr, *stop = nullptr;
  };
  std::vector<Frame> stack;
  auto nextOwned = [&](Frame &f) -> ObjectId {
    for (;;) {
      while (f.p != f.stop)
        if (ObjectId id = *f.p++)
          return id;
      if (f.e == f.o->endCount)
        return 0;
      EndPartners ep = repo_->endPartners(*f.o, f.e++);
      if (containment[ep.end - Metamodel::kFirstEndId]) {
        f.p = ep.begin;
        f.stop = ep.finish;
      }
    }
  };
  std::uint32_t index = 0;
  repo_->forEachObject([&](const Object &root) {
    std::uint32_t i = index++;
    if (color[i] != kWhite)
      return;
    if (!owns_[i]) {
      color[i] = kBlack;
      return;
    }
    color[i] = kGrey;
    stack.push_back({&root, i});
    while (!stack.empty()) {
      ObjectId n = nextOwned(stack.back());
      if (!n) {
        color[stack.back().index] = kBlack;
        stack.pop_back();
        continue;
      }
      std::uint32_t ni = repo_->indexOf(n);
      if (color[ni] == kWhite && !owns_[ni]) {
        color[ni] = kBlack;
      } else if (color[ni] == kWhite) {
        color[ni] = kGrey;
        stack.push_back({std::as_const(*repo_).find(n), ni});
      } else if (color[ni] == kGrey) {
        std::string path;
        std::size_t k = stack.size();
        while (k > 0 && stack[k - 1].o->id != n)
          --k;
        for (std::size_t j = k - 1; j < stack.size(); ++j)
          path += std::to_string(stack[j].o->id) + " -> ";
        containment_.add(0, [&] {
          return "object " + std::to_string(n) +
                 ": containment cycle: " + path + std::to_string(n);
        });
      }
    }
  });
}

LoadResult Loader::report() {
  LoadResult result;
  std::size_t total = 0;
  auto emit = [&](const std::string &problem) {
    ++total;
    if (result.problems.size() < kMaxReportedProblems)
      result.problems.push_back(name_ + ": error: " + problem);
  };
  auto emitAll = [&](const ProblemList &list) {
    for (const auto &p : list.first())
      emit(p.second);
    total += list.count() - list.first().size();
  };
  auto finish = [&] {
    result.unreported = total - result.problems.size();
    if (total == 0)
      result.repo = std::move(repo_);
    return std::move(result);
  };
  if (!rootIsObject_) {
    emit(std::string("top level: expected an object, found ") +
         kindName(rootKind_));
    return finish();
  }
  if (!formatSeen_)
    emit("format: missing; expected \"zeva-repository\"");
  else if (!formatOk_)
    emit("format: expected \"zeva-repository\"");
  if (!versionSeen_)
    emit("version: missing; expected 1");
  else if (!versionOk_)
    emit("version: unsupported version; expected 1");
  emitAll(topKeys_);
  if (!objectsSeen_) {
    emit("objects: missing; expected an array of objects");
    return finish();
  }
  if (!objectsIsArray_) {
    emit(std::string("objects: expected an array, found ") +
         kindName(objectsKind_));
    return finish();
  }
  emitAll(objects_);
  // Values and links, object by object: values first.
  const auto &values = values_.first(), &links = links_.first();
  std::size_t v = 0, l = 0;
  while (v < values.size() || l < links.size())
    if (l == links.size() ||
        (v < values.size() && values[v].first <= links[l].first))
      emit(values[v++].second);
    else
      emit(links[l++].second);
  total += values_.count() - values.size() + links_.count() - links.size();
  emitAll(multiplicity_);
  emitAll(containment_);
  return finish();
}

} // namespace zrep::load

namespace zrep {

LoadResult loadRepositoryText(std::string text, std::string_view name,
                              std::shared_ptr<const Metamodel> mm) {
  return load::Loader(name, std::move(mm)).run(text, [&] {
    text = std::string();
  });
}

LoadResult loadRepositoryText(std::string text, std::string_view name) {
  return loadRepositoryText(std::move(text), name, nullptr);
}

LoadResult loadRepositoryFile(const std::string &path) {
  return loadRepositoryFile(path, nullptr);
}

LoadResult loadRepositoryFile(const std::string &path,
                              std::shared_ptr<const Metamodel> mm) {
  auto fail = [&](const char *what) {
    LoadResult r;
    r.problems.push_back(path + ": error: " + what + ": " +
                         std::strerror(errno));
    return r;
  };
  // Not blocking: opening a FIFO would wait for a writer.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return fail("cannot open");
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return fail("cannot read");
  }
  // Directories, devices and pipes have no size to read or none that ends.
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    LoadResult r;
    r.problems.push_back(path + ": error: not a regular file");
    return r;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // The file is mapped rather than copied. The NUL the reader stops at goes
  // into the private copy of the last page, so the file's size must leave
  // room for it there.
  auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  if (st.st_size > 0 && static_cast<std::size_t>(st.st_size) % page != 0) {
    auto size = static_cast<std::size_t>(st.st_size);
    void *map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (map != MAP_FAILED) {
      ::close(fd);
      char *text = static_cast<char *>(map);
      text[size] = '\0';
      bool mapped = true;
      auto unmap = [&] {
        if (mapped)
          ::munmap(map, size);
        mapped = false;
      };
      LoadResult r = load::Loader(path, std::move(mm)).run({text, size}, unmap);
      unmap();
      return r;
    }
  }
  std::FILE *f = ::fdopen(fd, "rb");
  if (!f) {
    ::close(fd);
    return fail("cannot open");
  }
  std::string text;
  char chunk[65536];
  while (std::size_t n = std::fread(chunk, 1, sizeof chunk, f))
    text.append(chunk, n);
  bool bad = std::ferror(f);
  std::fclose(f);
  if (bad)
    return fail("cannot read");
  return loadRepositoryText(std::move(text), path, std::move(mm));
}

} // namespace zrep
