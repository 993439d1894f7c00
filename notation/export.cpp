//===- export.cpp - Top level, class model and packages -------------------===//

#include "export_writer.h"

#include "file_text.h"
#include "names.h"
#include "stack_segments.h"

#include <atomic>
#include <cstdlib>
#include <exception>
#include <new>
#include <thread>
#include <type_traits>

namespace notation {

Exporter::Exporter(const zrep::Repository &repo)
    : repo_(repo), s_(Schema::builtin()),
      ownTypes_(std::make_unique<PathIndex>(repo, s_, false)),
      ownProcs_(std::make_unique<PathIndex>(repo, s_, true)),
      types_(ownTypes_.get()), procs_(ownProcs_.get()) {}

Exporter::Exporter(const Exporter &main)
    : repo_(main.repo_), s_(main.s_), types_(main.types_), procs_(main.procs_) {
}

Exporter::~Exporter() { std::free(known_); }

ExportResult exportNotation(const zrep::Repository &repo) {
  return Exporter(repo).run();
}

void Exporter::mark(ObjectId obj) {
  std::uint32_t i = repo_.indexOf(obj);
  if (i >= written_.size())
    return;
  written_[i] = true;
}

bool Exporter::marked(ObjectId obj) const {
  std::uint32_t i = repo_.indexOf(obj);
  return i < written_.size() && written_[i];
}

std::string Exporter::sibling(ObjectId obj, TypeId up, char group,
                              std::string_view name) {
  int k = ++*siblings_.tryEmplace({partner(repo_, obj, up), group, name}).first;
  return k > 1 ? "#" + std::to_string(k) : std::string();
}

void Exporter::warn(ObjectId obj, const std::string &what) {
  warnedAt_.push_back(out_.size());
  result_.warnings.push_back("#" + std::to_string(obj) + " (" +
                             s_.mm.classInfo(repo_.classOf(obj))->name +
                             "): " + what);
}

void Exporter::expression(std::string_view text, ExprEnd end) {
  if (!Lexer::writableRaw(text, end)) {
    appendBackticked(out_, text);
    return;
  }
  // Line breaks are CR LF in the repository and the file's own in the text.
  std::size_t at = 0;
  for (std::size_t cr; (cr = text.find('\r', at)) != text.npos; at = cr + 1)
    out_.append(text.substr(at, cr - at));
  out_.append(text.substr(at));
}

namespace {

/// Values that read the same: a Boolean "false" and the empty text, a
/// cardinality "None" and the empty text.
bool sameValue(const zrep::AttrInfo &a, std::string_view actual,
               std::string_view conveyed) {
  if (actual == conveyed)
    return true;
  if (a.kind == zrep::AttrKind::Boolean)
    return (actual == "false" && conveyed.empty()) ||
           (conveyed == "false" && actual.empty());
  if (a.name == "CardConstraint")
    return (actual == "None" && conveyed.empty()) ||
           (conveyed == "None" && actual.empty());
  return false;
}

} // namespace

bool Exporter::overrides(const zrep::Object &o,
                         std::initializer_list<Conveyed> conveyed) {
  std::size_t start = out_.size();
  const zrep::ClassInfo *c = s_.mm.classInfo(o.cls);
  for (TypeId attr : c->attrs) {
    const zrep::AttrInfo *a = s_.mm.attrInfo(attr);
    std::string_view actual = repo_.slotValue(o, a->slot), expected;
    for (const Conveyed &cv : conveyed)
      if (cv.first == attr)
        expected = cv.second;
    if (sameValue(*a, actual, expected))
      continue;
    out_ += out_.size() == start ? "@{" : ", ";
    out_ += a->name;
    out_ += " = ";
    appendQuoted(out_, actual);
  }
  if (out_.size() == start)
    return false;
  out_ += '}';
  return true;
}

void Exporter::tail(const zrep::Object &obj,
                    std::initializer_list<Conveyed> conveyed) {
  if (s_.mm.isKindOf(obj.cls, s_.zProcElement))
    forPartners(repo_, obj, s_.zAnnotationOf, [&](ObjectId a) {
      mark(a);
      out_ += " @";
      std::string_view text = repo_.valueView(a, s_.zAnnText);
      if (isPlainName(text))
        out_ += text;
      else
        appendQuoted(out_, text);
      const zrep::Object *o = repo_.find(a);
      if (o && o->endCount > 1)
        for (std::uint32_t k = 0; k < o->endCount; ++k)
          if (repo_.endPartners(*o, k).end != s_.zAnnotatedElement)
            warn(a, "its links but the one to its element are left out");
    });
  out_ += ' ';
  if (!overrides(obj, conveyed))
    out_.pop_back();
}

std::string_view Exporter::typeRef(ObjectId type) {
  return type ? std::string_view(types_->shortest(type)) : "?";
}

std::string Exporter::propertyRef(ObjectId property) {
  ObjectId cls = property ? partner(repo_, property, s_.kPropertyClass) : 0;
  if (!cls)
    return "?";
  std::string out = types_->shortest(cls) + ".";
  std::string_view n = repo_.valueView(property, s_.kName);
  std::uint32_t position = 0, index = 0, sameBefore = 0;
  forPartners(repo_, cls, s_.kOwnedAttribute, [&](ObjectId p) {
    ++position;
    if (p == property)
      index = position;
    else if (!index && repo_.valueView(p, s_.kName) == n)
      ++sameBefore;
  });
  if (n.empty())
    return out + "#" + std::to_string(index);
  appendName(out, n);
  if (sameBefore)
    out += "#" + std::to_string(sameBefore + 1);
  return out;
}

void Exporter::prepare() {
  // The records of deleted objects count too: size by the last index.
  std::uint32_t last = 0;
  repo_.forEachObject([&](const zrep::Object &o) {
    last = std::max(last, repo_.indexOf(o.id));
  });
  written_.assign(last + 1, false);
  static_assert(std::is_aggregate_v<Known> &&
                std::is_trivially_destructible_v<Known>);
  std::free(known_);
  knownSize_ = last + 1;
  known_ = static_cast<Known *>(std::calloc(knownSize_, sizeof(Known)));
  if (!known_)
    throw std::bad_alloc();
}

void Exporter::writeDeferred(std::vector<Deferred> &deferred, std::size_t first,
                             std::size_t last, int worker) {
  for (std::size_t i = first; i < last; ++i) {
    Deferred &d = deferred[i];
    d.worker = worker;
    d.begin = out_.size();
    d.warnings = result_.warnings.size();
    depth_ = d.depth;
    zsupport::withStackRoom([&] { procedure(d.proc, d.ordinal); });
    d.end = out_.size();
    d.warned = result_.warnings.size();
  }
}

void Exporter::splice(std::vector<Deferred> &deferred, Exporter *workers[2]) {
  std::string text;
  std::size_t size = out_.size();
  for (const Deferred &d : deferred)
    size += d.end - d.begin;
  text.reserve(size);
  std::vector<std::string> warnings;
  std::size_t from = 0, warning = 0;
  auto ownWarningsUpTo = [&](std::size_t at) {
    for (; warning < result_.warnings.size() && warnedAt_[warning] <= at;
         ++warning)
      warnings.push_back(std::move(result_.warnings[warning]));
  };
  for (const Deferred &d : deferred) {
    text.append(out_, from, d.at - from);
    from = d.at;
    ownWarningsUpTo(d.at);
    Exporter &w = *workers[d.worker];
    text.append(w.out_, d.begin, d.end - d.begin);
    for (std::size_t i = d.warnings; i < d.warned; ++i)
      warnings.push_back(std::move(w.result_.warnings[i]));
  }
  text.append(out_, from, std::string::npos);
  ownWarningsUpTo(out_.size());
  out_ = std::move(text);
  result_.warnings = std::move(warnings);
  // What the workers wrote counts as written.
  for (int k = 0; k < 2; ++k)
    for (std::size_t i = 0; i < written_.size(); ++i)
      if (workers[k]->written_[i])
        written_[i] = true;
}

void Exporter::writeOutside() {
  bool first = true;
  auto separate = [&] {
    if (!first)
      line();
    first = false;
  };
  repo_.forEachObject([&](const zrep::Object &o) {
    ObjectId id = o.id;
    TypeId cls = o.cls;
    if (cls == s_.project) {
      separate();
      project(id);
    } else if ((cls == s_.kModel || cls == s_.kPackage || cls == s_.kClass ||
                cls == s_.kPrimitive || cls == s_.kEnum || cls == s_.kAssoc) &&
               !partner(repo_, id, s_.kOwningPackage)) {
      separate();
      kernelMember(id);
    } else if (s_.mm.isKindOf(cls, s_.zPackageable) &&
               !partner(repo_, id, s_.zOwningPackage)) {
      separate();
      zevaMember(id);
    }
  });
}

ExportResult Exporter::run() {
  prepare();
  // A large model's procedures are written by two workers at once, each
  // with tables of its own, and spliced in: the rest is written here.
  constexpr std::size_t kProceduresToShare = 256;
  defer_ = repo_.extentSize(s_.zProc) >= std::int64_t(kProceduresToShare);
  // About 32 bytes of text an object, so that the text is seldom copied as
  // it grows.
  out_.reserve(
      std::max<std::size_t>(1 << 16, (defer_ ? 4 : 32) * repo_.objectCount()));
  // Every shortest name is made before the workers start, so that they
  // only read: the types' here, the procedures' (which only calls use)
  // meanwhile on a thread of their own.
  std::vector<ObjectId> procedures;
  std::thread naming;
  std::exception_ptr namingFailed;
  if (defer_) {
    auto &r = const_cast<zrep::Repository &>(repo_);
    for (std::int64_t i = 0, n = r.extentSize(s_.kType); i < n; ++i)
      types_->shortest(r.extentAt(s_.kType, i));
    for (std::int64_t i = 0, n = r.extentSize(s_.zProcedure); i < n; ++i)
      procedures.push_back(r.extentAt(s_.zProcedure, i));
    naming = std::thread([&] {
      try {
        for (ObjectId p : procedures)
          procs_->shortest(p);
      } catch (...) {
        namingFailed = std::current_exception();
      }
    });
  }
  try {
    writeOutside();
  } catch (...) {
    if (naming.joinable())
      naming.join();
    throw;
  }
  if (naming.joinable())
    naming.join();
  if (namingFailed)
    std::rethrow_exception(namingFailed);
  if (defer_ && !deferred_.empty()) {
    Exporter first(*this), second(*this);
    Exporter *workers[2] = {&first, &second};
    // The workers take the procedures in runs as they get done, so that
    // neither waits for the other.
    constexpr std::size_t kRun = 32;
    std::atomic<std::size_t> next{0};
    auto work = [&](int k) {
      Exporter &w = *workers[k];
      w.prepare();
      w.out_.reserve(16 * repo_.objectCount());
      for (std::size_t at; (at = next.fetch_add(kRun)) < deferred_.size();)
        w.writeDeferred(deferred_, at, std::min(at + kRun, deferred_.size()),
                        k);
    };
    std::exception_ptr failed;
    std::thread helper([&] {
      try {
        work(1);
      } catch (...) {
        failed = std::current_exception();
      }
    });
    try {
      work(0);
    } catch (...) {
      helper.join();
      throw;
    }
    helper.join();
    if (failed)
      std::rethrow_exception(failed);
    splice(deferred_, workers);
  }
  // What the text does not hold.
  std::string_view source[] = {"Kernel::", "ZEVA::", "project::"};
  repo_.forEachObject([&](const zrep::Object &o) {
    if (marked(o.id))
      return;
    const std::string &cls = s_.mm.classInfo(o.cls)->name;
    bool isSource = false;
    for (std::string_view prefix : source)
      isSource = isSource || cls.compare(0, prefix.size(), prefix) == 0;
    if (isSource)
      warn(o.id, "left out: it belongs to nothing that the text shows");
    else
      ++result_.programObjects;
  });
  result_.text = std::move(out_);
  return std::move(result_);
}

void Exporter::project(ObjectId p) {
  mark(p);
  out_ += "project ";
  std::string_view n = repo_.valueView(p, s_.projName);
  std::string_view path = repo_.valueView(p, s_.projPath);
  name(n);
  if (!path.empty()) {
    out_ += " at ";
    appendQuoted(out_, path);
  }
  tail(p, {{s_.projName, n}, {s_.projPath, path}});
  out_ += ";\n";
}

void Exporter::kernelMember(ObjectId m) {
  TypeId cls = repo_.classOf(m);
  if (cls == s_.kModel || cls == s_.kPackage) {
    kernelPackage(m);
  } else if (cls == s_.kClass) {
    kernelClass(m);
  } else if (cls == s_.kPrimitive) {
    mark(m);
    indent();
    out_ += "primitive ";
    std::string_view n = repo_.valueView(m, s_.kName);
    name(n);
    out_ += sibling(m, s_.kOwningPackage, 't', n);
    tail(m, {{s_.kName, n}});
    out_ += ";\n";
  } else if (cls == s_.kEnum) {
    mark(m);
    indent();
    out_ += "enum ";
    std::string_view n = repo_.valueView(m, s_.kName);
    name(n);
    out_ += sibling(m, s_.kOwningPackage, 't', n);
    tail(m, {{s_.kName, n}});
    out_ += " {";
    bool any = false;
    forPartners(repo_, m, s_.kOwnedLiteral, [&](ObjectId l) {
      mark(l);
      out_ += any ? ", " : " ";
      any = true;
      std::string_view ln = repo_.valueView(l, s_.kName);
      name(ln);
      tail(l, {{s_.kName, ln}});
    });
    out_ += any ? " }\n" : "}\n";
  } else if (cls == s_.kAssoc) {
    mark(m);
    indent();
    out_ += "association";
    std::string_view n = repo_.valueView(m, s_.kName);
    if (!n.empty()) {
      out_ += ' ';
      name(n);
    }
    tail(m, {{s_.kName, n}});
    out_ += " (";
    bool any = false;
    forPartners(repo_, m, s_.kMemberEnd, [&](ObjectId e) {
      out_ += any ? ", " : "";
      any = true;
      std::string ref = propertyRef(e);
      if (ref == "?")
        warn(e, "an end of an association that belongs to no class is left "
                "out of it");
      out_ += ref;
    });
    out_ += ");\n";
  }
}

void Exporter::kernelPackage(ObjectId p) {
  mark(p);
  indent();
  out_ += repo_.classOf(p) == s_.kModel ? "classmodel " : "package ";
  std::string_view n = repo_.valueView(p, s_.kName);
  name(n);
  tail(p, {{s_.kName, n}});
  out_ += " {\n";
  ++depth_;
  forPartners(repo_, p, s_.kOwnedMember, [&](ObjectId m) {
    TypeId cls = repo_.classOf(m);
    if (cls == s_.kProperty || cls == s_.kLiteral)
      return; // not a member the text can show here
    zsupport::withStackRoom([&] { kernelMember(m); });
  });
  --depth_;
  indent();
  out_ += "}\n";
}

void Exporter::kernelClass(ObjectId c) {
  mark(c);
  indent();
  std::string_view abstract = repo_.valueView(c, s_.kIsAbstract);
  if (abstract == "true")
    out_ += "abstract ";
  out_ += "class ";
  std::string_view n = repo_.valueView(c, s_.kName);
  name(n);
  out_ += sibling(c, s_.kOwningPackage, 't', n);
  bool any = false;
  forPartners(repo_, c, s_.kGeneralizationOf, [&](ObjectId g) {
    mark(g);
    out_ += any ? ", " : " : ";
    any = true;
    out_ += typeRef(partner(repo_, g, s_.kGeneral));
  });
  tail(c, {{s_.kName, n}, {s_.kIsAbstract, abstract == "true" ? "true" : ""}});
  bool hasProperties = partner(repo_, c, s_.kOwnedAttribute) != 0;
  if (!hasProperties) {
    out_ += ";\n";
    return;
  }
  out_ += " {\n";
  ++depth_;
  forPartners(repo_, c, s_.kOwnedAttribute, [&](ObjectId p) { property(p); });
  --depth_;
  indent();
  out_ += "}\n";
}

void Exporter::property(ObjectId p) {
  mark(p);
  indent();
  std::string_view n = repo_.valueView(p, s_.kName);
  name(n);
  out_ += sibling(p, s_.kPropertyClass, 'p', n);
  if (ObjectId type = partner(repo_, p, s_.kPropertyType)) {
    out_ += ": ";
    out_ += typeRef(type);
  }
  std::string_view lower = repo_.valueView(p, s_.kLower);
  std::string_view upper = repo_.valueView(p, s_.kUpper);
  std::string_view shownLower, shownUpper;
  auto isNumber = [](std::string_view v) {
    if (v.empty() || v.size() > 9)
      return false;
    for (char c : v)
      if (c < '0' || c > '9')
        return false;
    return v.size() == 1 || v[0] != '0';
  };
  if (isNumber(lower) && (isNumber(upper) || upper == "-1")) {
    shownLower = lower;
    shownUpper = upper;
    out_ += " [";
    if (lower == "0" && upper == "-1") {
      out_ += '*';
    } else if (lower == upper) {
      out_ += lower;
    } else {
      out_ += lower;
      out_ += "..";
      out_ += upper == "-1" ? std::string_view("*") : upper;
    }
    out_ += ']';
  }
  std::string_view ordered = repo_.valueView(p, s_.kIsOrdered);
  std::string_view composite = repo_.valueView(p, s_.kIsComposite);
  if (ordered == "true")
    out_ += " ordered";
  if (composite == "true")
    out_ += " composite";
  tail(p, {{s_.kName, n},
           {s_.kLower, shownLower},
           {s_.kUpper, shownUpper},
           {s_.kIsOrdered, ordered == "true" ? "true" : ""},
           {s_.kIsComposite, composite == "true" ? "true" : ""}});
  out_ += ";\n";
}

void Exporter::zevaMember(ObjectId m) {
  TypeId cls = repo_.classOf(m);
  if (cls == s_.zModel || cls == s_.zPackage)
    zevaPackage(m);
  else if (cls == s_.zProc) {
    std::string ordinal =
        sibling(m, s_.zOwningPackage, 'f', repo_.valueView(m, s_.zName));
    if (defer_)
      deferred_.push_back({m, out_.size(), depth_, std::move(ordinal)});
    else
      procedure(m, ordinal);
  } else if (cls == s_.zExternal)
    external(m);
}

void Exporter::zevaPackage(ObjectId p) {
  mark(p);
  indent();
  TypeId cls = repo_.classOf(p);
  std::string_view isUnit = repo_.valueView(p, s_.zIsUnit);
  bool unit = isUnit == "true";
  bool top = !partner(repo_, p, s_.zOwningPackage);
  // A package outside every transformation can only be written as a unit.
  bool asUnit = cls == s_.zPackage && (unit || top);
  out_ += cls == s_.zModel ? "transformation " : asUnit ? "unit " : "package ";
  std::string_view n = repo_.valueView(p, s_.zName);
  name(n);
  if (cls == s_.zModel && unit)
    out_ += " unit";
  std::string_view compile = repo_.valueView(p, s_.zCompileThis);
  std::string_view noCompile = repo_.valueView(p, s_.zDoNotCompile);
  if (compile == "true")
    out_ += " compile";
  if (noCompile == "true")
    out_ += " nocompile";
  tail(p, {{s_.zName, n},
           {s_.zIsUnit, unit || asUnit ? "true" : ""},
           {s_.zCompileThis, compile == "true" ? "true" : ""},
           {s_.zDoNotCompile, noCompile == "true" ? "true" : ""}});
  out_ += " {\n";
  ++depth_;
  bool first = true;
  forPartners(repo_, p, s_.zOwnedMember, [&](ObjectId m) {
    if (!first &&
        (repo_.classOf(m) == s_.zProc || repo_.classOf(m) == s_.zPackage))
      line();
    first = false;
    zsupport::withStackRoom([&] { zevaMember(m); });
  });
  --depth_;
  indent();
  out_ += "}\n";
}

} // namespace notation
