//===- model_generator_classes.cpp - The generated class model ------------===//
//
// A few hundred classes in six packages: inheritance up to five levels,
// String, Integer, Boolean and enumeration attributes, and associations,
// some of them in triangles so that rules can have NOT-links.
//
//===----------------------------------------------------------------------===//

#include "model_generator.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>

namespace gen {

std::vector<Id> &Obj::links_of(const char *role) {
  for (auto &[name, partners] : links)
    if (std::string(name) == role)
      return partners;
  links.emplace_back(role, std::vector<Id>{});
  return links.back().second;
}

Writer::Writer(std::FILE *out) : out_(out) {
  buffer_ = "{\n  \"format\": \"zeva-repository\",\n  \"version\": 1,\n"
            "  \"objects\": [\n";
}

void Writer::quoted(const std::string &text) {
  buffer_ += '"';
  for (char c : text) {
    if (c == '"' || c == '\\')
      buffer_ += '\\';
    buffer_ += c;
  }
  buffer_ += '"';
}

void Writer::write(const Obj &obj) {
  buffer_ += first_ ? "    {\"id\": " : ",\n    {\"id\": ";
  first_ = false;
  ++count_;
  buffer_ += std::to_string(obj.id);
  buffer_ += ", \"class\": \"";
  buffer_ += obj.cls;
  buffer_ += '"';
  if (!obj.attrs.empty()) {
    buffer_ += ", \"attrs\": {";
    const char *sep = "";
    for (const auto &[name, value] : obj.attrs) {
      buffer_ += sep;
      buffer_ += '"';
      buffer_ += name;
      buffer_ += "\": ";
      quoted(value);
      sep = ", ";
    }
    buffer_ += '}';
  }
  if (!obj.links.empty()) {
    buffer_ += ", \"links\": {";
    const char *sep = "";
    for (const auto &[role, partners] : obj.links) {
      buffer_ += sep;
      buffer_ += '"';
      buffer_ += role;
      buffer_ += "\": [";
      for (std::size_t i = 0; i < partners.size(); ++i) {
        if (i)
          buffer_ += ", ";
        buffer_ += std::to_string(partners[i]);
      }
      buffer_ += ']';
      sep = ", ";
    }
    buffer_ += '}';
  }
  buffer_ += '}';
  if (buffer_.size() > (1u << 20)) {
    std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    buffer_.clear();
  }
}

bool Writer::finish() {
  buffer_ += "\n  ]\n}\n";
  std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
  return std::fflush(out_) == 0 && !std::ferror(out_);
}

bool ClassModel::conforms(int cls, int ancestor) const {
  for (; cls >= 0; cls = classes[cls].parent)
    if (cls == ancestor)
      return true;
  return false;
}

namespace {

constexpr int kPackages = 6;
constexpr int kClassesPerPackage = 50;
constexpr int kEnumerationsPerPackage = 4;
constexpr int kTrianglesPerPackage = 12;

const std::array<const char *, kPackages> kPackageNames = {
    "Sales", "Logistics", "Finance", "Staff", "Support", "Catalog"};
const std::vector<std::string> kPrefixes = {
    "Retail",   "Wholesale", "Online",  "Local",     "Global",
    "Internal", "External",  "Primary", "Secondary", "Central",
    "Regional", "Corporate", "Private", "Public",    "Standard",
    "Premium",  "Basic",     "Legacy",  "Digital",   "Mobile"};
const std::vector<std::string> kNouns = {
    "Order",     "Invoice",  "Account",  "Customer", "Product",
    "Shipment",  "Payment",  "Contract", "Employee", "Department",
    "Warehouse", "Supplier", "Ticket",   "Report",   "Document",
    "Vehicle",   "Booking",  "Course",   "Student",  "Device"};
const std::vector<std::string> kStringWords = {
    "name",  "title",   "description", "remark",  "email",
    "phone", "city",    "region",      "summary", "keyword",
    "alias", "caption", "street",      "country"};
const std::vector<std::string> kIntegerWords = {
    "amount",   "quantity", "priority", "score",  "weight", "rating",
    "capacity", "duration", "version",  "points", "volume", "position"};
const std::vector<std::string> kBooleanWords = {
    "active", "archived", "verified", "visible",
    "locked", "urgent",   "shared",   "approved"};
const std::vector<std::string> kEnumWords = {
    "Status", "Phase", "Level", "State", "Mode", "Grade", "Stage", "Severity"};
const std::vector<std::string> kLiterals = {
    "Open",    "Closed",  "Pending", "Draft",   "Rejected", "Cancelled",
    "Overdue", "Low",     "Medium",  "High",    "Critical", "Fresh",
    "Done",    "Waiting", "Blocked", "Started", "Finished", "Expired"};

std::string lowerFirst(std::string s) {
  s[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[0])));
  return s;
}

class Builder {
public:
  Builder(Rng &rng, Id &nextId) : rng_(rng), nextId_(nextId) {}

  ClassModel make() {
    m_.model = nextId_++;
    m_.string = nextId_++;
    m_.integer = nextId_++;
    m_.boolean = nextId_++;
    std::vector<std::string> names;
    for (const auto &p : kPrefixes)
      for (const auto &n : kNouns)
        names.push_back(p + n);
    shuffle(names);
    for (int p = 0; p < kPackages; ++p) {
      m_.packages.push_back({nextId_++, kPackageNames[p], {}, {}, {}});
      makeEnumerations(p);
      for (int k = 0; k < kClassesPerPackage; ++k)
        makeClass(p, names[m_.classes.size()]);
    }
    for (Class &c : m_.classes)
      c.isAbstract = !c.children.empty() && rng_.chance(40);
    m_.triangles.resize(m_.classes.size());
    for (int p = 0; p < kPackages; ++p)
      makeAssociations(p);
    for (int c = 0; c < static_cast<int>(m_.classes.size()); ++c)
      collectInherited(c);
    return std::move(m_);
  }

private:
  template <class T> void shuffle(std::vector<T> &v) {
    for (int i = static_cast<int>(v.size()) - 1; i > 0; --i)
      std::swap(v[i], v[rng_.below(i + 1)]);
  }

  void makeEnumerations(int p) {
    std::vector<std::string> words = kEnumWords;
    shuffle(words);
    for (int e = 0; e < kEnumerationsPerPackage; ++e) {
      Enumeration en{nextId_++, words[e], {}, {}};
      std::vector<std::string> literals = kLiterals;
      shuffle(literals);
      int count = 3 + rng_.below(4);
      for (int l = 0; l < count; ++l) {
        en.literals.push_back(literals[l]);
        en.literalIds.push_back(nextId_++);
      }
      m_.packages[p].enumerations.push_back(
          static_cast<int>(m_.enumerations.size()));
      m_.enumerations.push_back(std::move(en));
    }
  }

  /// Whether `name` is a member of `cls`, one of its superclasses or one
  /// of its subclasses.
  bool taken(int cls, const std::string &name) const {
    auto own = [&](int c) {
      for (int a : m_.classes[c].attributes)
        if (m_.attributes[a].name == name)
          return true;
      for (int e : m_.classes[c].ends)
        if (m_.ends[e].name == name)
          return true;
      return false;
    };
    for (int c = m_.classes[cls].parent; c >= 0; c = m_.classes[c].parent)
      if (own(c))
        return true;
    std::function<bool(int)> down = [&](int c) {
      if (own(c))
        return true;
      for (int child : m_.classes[c].children)
        if (down(child))
          return true;
      return false;
    };
    return down(cls);
  }

  std::string freeName(int cls, const std::string &base) const {
    std::string name = base;
    for (int n = 2; taken(cls, name); ++n)
      name = base + std::to_string(n);
    return name;
  }

  void makeClass(int p, const std::string &name) {
    int index = static_cast<int>(m_.classes.size());
    Class c{nextId_++, name, "", p, -1, 0, false, 0, {}, {}, {}, {}, {}};
    for (const auto &noun : kNouns)
      if (name.size() > noun.size() &&
          name.compare(name.size() - noun.size(), noun.size(), noun) == 0)
        c.noun = noun;
    auto &own = m_.packages[p].classes;
    if (own.size() >= 3 && rng_.chance(55)) {
      int parent = own[rng_.below(static_cast<int>(own.size()))];
      if (m_.classes[parent].depth < 4) {
        c.parent = parent;
        c.depth = m_.classes[parent].depth + 1;
        c.generalization = nextId_++;
        m_.classes[parent].children.push_back(index);
      }
    }
    own.push_back(index);
    m_.classes.push_back(std::move(c));
    int count = 2 + rng_.below(4);
    for (int k = 0; k < count; ++k) {
      int roll = rng_.below(100);
      Kind kind = roll < 35   ? Kind::String
                  : roll < 70 ? Kind::Integer
                  : roll < 85 ? Kind::Boolean
                              : Kind::Enum;
      Attribute a{nextId_++, "", kind, -1};
      if (kind == Kind::Enum) {
        a.enumeration = rng_.pick(m_.packages[p].enumerations);
        a.name = lowerFirst(m_.enumerations[a.enumeration].name);
      } else {
        a.name = rng_.pick(kind == Kind::String    ? kStringWords
                           : kind == Kind::Integer ? kIntegerWords
                                                   : kBooleanWords);
      }
      a.name = freeName(index, a.name);
      m_.classes[index].attributes.push_back(
          static_cast<int>(m_.attributes.size()));
      m_.attributes.push_back(std::move(a));
    }
  }

  int makeEnd(int owner, int target, bool many) {
    std::string base = lowerFirst(m_.classes[target].name) + (many ? "s" : "");
    End e{nextId_++, freeName(owner, base), owner, target, -1, many};
    int index = static_cast<int>(m_.ends.size());
    m_.ends.push_back(std::move(e));
    m_.classes[owner].ends.push_back(index);
    return index;
  }

  /// An association between x and y; returns the end owned by x (typed y).
  int associate(int p, int x, int y) {
    Association a{nextId_++, m_.classes[x].name + m_.classes[y].name, 0, 0};
    int kind = rng_.below(3); // one to many, many to one, many to many
    a.first = makeEnd(x, y, kind != 1);
    a.second = makeEnd(y, x, kind != 0);
    m_.ends[a.first].opposite = a.second;
    m_.ends[a.second].opposite = a.first;
    m_.packages[p].associations.push_back(
        static_cast<int>(m_.associations.size()));
    m_.associations.push_back(std::move(a));
    return m_.associations.back().first;
  }

  void makeAssociations(int p) {
    const auto &own = m_.packages[p].classes;
    int n = static_cast<int>(own.size());
    for (int k = 1; k < n; ++k)
      if (rng_.chance(70)) {
        int other = own[rng_.below(n)];
        if (other != own[k])
          associate(p, own[k], other);
      }
    for (int t = 0; t < kTrianglesPerPackage; ++t) {
      int x = own[rng_.below(n)], y = own[rng_.below(n)],
          z = own[rng_.below(n)];
      if (x == y || y == z || x == z)
        continue;
      Triangle tri{associate(p, x, y), associate(p, y, z), associate(p, x, z)};
      m_.triangles[x].push_back(tri);
      if (m_.triangles[x].size() == 1 && m_.anchors.size() < 4u * (p + 1))
        m_.anchors.push_back(x);
    }
    for (int k = 0; k < 5; ++k) {
      int q = (p + 1 + rng_.below(kPackages - 1)) % kPackages;
      const auto &far = m_.packages[q].classes;
      if (!far.empty())
        associate(p, own[rng_.below(n)], far[rng_.below(int(far.size()))]);
    }
  }

  void collectInherited(int cls) {
    Class &c = m_.classes[cls];
    for (int k = cls; k >= 0; k = m_.classes[k].parent) {
      const Class &from = m_.classes[k];
      c.allAttributes.insert(c.allAttributes.end(), from.attributes.begin(),
                             from.attributes.end());
      c.allEnds.insert(c.allEnds.end(), from.ends.begin(), from.ends.end());
    }
  }

  Rng &rng_;
  Id &nextId_;
  ClassModel m_;
};

Obj property(Id id, const std::string &name, Id type, const char *lower,
             const char *upper) {
  Obj o{id, "Kernel::Property", {}, {}};
  o.attr("name", name).attr("lower", lower).attr("upper", upper);
  o.link("type", {type});
  return o;
}

} // namespace

ClassModel makeClassModel(Rng &rng, Id &nextId) {
  return Builder(rng, nextId).make();
}

void writeClassModel(const ClassModel &m, Writer &out) {
  Obj root{m.model, "Kernel::Model", {}, {}};
  root.attr("name", "Domain");
  auto &members = root.links_of("ownedMember");
  members = {m.string, m.integer, m.boolean};
  for (const Package &p : m.packages)
    members.push_back(p.id);
  out.write(root);
  out.write(Obj{m.string, "Kernel::PrimitiveType", {{"name", "String"}}, {}});
  out.write(Obj{m.integer, "Kernel::PrimitiveType", {{"name", "Integer"}}, {}});
  out.write(Obj{m.boolean, "Kernel::PrimitiveType", {{"name", "Boolean"}}, {}});
  for (const Package &p : m.packages) {
    Obj pkg{p.id, "Kernel::Package", {{"name", p.name}}, {}};
    auto &owned = pkg.links_of("ownedMember");
    for (int c : p.classes)
      owned.push_back(m.classes[c].id);
    for (int e : p.enumerations)
      owned.push_back(m.enumerations[e].id);
    for (int a : p.associations)
      owned.push_back(m.associations[a].id);
    out.write(pkg);
    for (int e : p.enumerations) {
      const Enumeration &en = m.enumerations[e];
      out.write(Obj{en.id, "Kernel::Enumeration", {{"name", en.name}}, {}}.link(
          "ownedLiteral", en.literalIds));
      for (std::size_t l = 0; l < en.literals.size(); ++l)
        out.write(Obj{en.literalIds[l],
                      "Kernel::EnumerationLiteral",
                      {{"name", en.literals[l]}},
                      {}});
    }
    for (int ci : p.classes) {
      const Class &c = m.classes[ci];
      Obj cls{c.id, "Kernel::Class", {}, {}};
      cls.attr("name", c.name)
          .attr("isAbstract", c.isAbstract ? "true" : "false");
      auto &attrs = cls.links_of("ownedAttribute");
      for (int a : c.attributes)
        attrs.push_back(m.attributes[a].id);
      for (int e : c.ends)
        attrs.push_back(m.ends[e].id);
      if (c.parent >= 0)
        cls.link("generalization", {c.generalization});
      out.write(cls);
      if (c.parent >= 0)
        out.write(Obj{c.generalization, "Kernel::Generalization", {}, {}}.link(
            "general", {m.classes[c.parent].id}));
      for (int ai : c.attributes) {
        const Attribute &a = m.attributes[ai];
        Id type = a.kind == Kind::Enum ? m.enumerations[a.enumeration].id
                                       : m.primitive(a.kind);
        out.write(property(a.id, a.name, type, "1", "1"));
      }
    }
    for (int ai : p.associations) {
      const Association &a = m.associations[ai];
      out.write(Obj{a.id, "Kernel::Association", {{"name", a.name}}, {}}.link(
          "memberEnd", {m.ends[a.first].id, m.ends[a.second].id}));
      for (int ei : {a.first, a.second}) {
        const End &e = m.ends[ei];
        Obj end = property(e.id, e.name, m.classes[e.target].id,
                           e.many ? "0" : "1", e.many ? "-1" : "1");
        end.attr("isOrdered", e.many && ei == a.first ? "true" : "false");
        end.attr("isComposite",
                 e.many && ei == a.first && e.id % 3 == 0 ? "true" : "false");
        out.write(end);
      }
    }
  }
}

} // namespace gen
