//===- expression_fuzzer.cpp - Expression texts in a fixed model ----------===//
//
// The input is up to 12 texts separated by the byte 0x1F; each becomes one
// expression or constraint of a small fixed model (see Slot), which is then
// compiled. A 13th part holds flags: "d" turns on debugging of the procedure
// and "m" makes it the unit's main procedure. NUL bytes are dropped and the
// bytes above 0x7F of a text that is not UTF-8 become "?", as repository
// files hold neither.
//
//===----------------------------------------------------------------------===//

#include "fuzz_support.h"

#include "file_text.h"
#include "repository.h"

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using zrep::ObjectId;
using zrep::Repository;

/// Where each text of the input goes.
enum Slot {
  kConstraintX,    ///< constraint of x : C, a normal element of rule r1
  kConstraintZ,    ///< constraint of z : D, a NOT element of r1
  kAssignYn,       ///< r1 sets y.n (y : D, created)
  kAssignXs,       ///< r1 sets x.s
  kAssignI,        ///< r1 sets the Integer variable i
  kAssignV,        ///< r1 sets the pointer variable v : C
  kTextConstraint, ///< constraint of the text statement ts
  kAssignT,        ///< ts sets the String variable t
  kCallInteger,    ///< actual parameters of the call of q(Integer, C, String)
  kCallPointer,
  kCallString,
  kLoopConstraint, ///< constraint of the loop variable e : C of a foreach loop
  kSlots
};

class Builder {
public:
  explicit Builder(Repository &repo) : repo_(repo), mm_(repo.metamodel()) {}

  ObjectId
  obj(const char *cls,
      std::initializer_list<std::pair<const char *, std::string>> attrs = {}) {
    zrep::TypeId c = mm_.classId(cls);
    ObjectId id = repo_.createObject(c);
    for (const auto &[name, value] : attrs)
      check(repo_.setValue(id, mm_.attrId(c, name), value));
    return id;
  }
  void link(ObjectId a, const char *role, ObjectId b) {
    check(repo_.createLink(mm_.endId(repo_.classOf(a), role), a, b));
  }
  ObjectId named(const char *cls, const char *name, ObjectId owner) {
    ObjectId e = obj(cls, {{"name", name}});
    link(owner, "ownedMember", e);
    return e;
  }
  ObjectId property(ObjectId owner, const char *name, ObjectId type) {
    ObjectId p = obj("Kernel::Property", {{"name", name}});
    link(p, "type", type);
    link(owner, "ownedAttribute", p);
    return p;
  }
  ObjectId element(
      ObjectId proc, const char *cls,
      std::initializer_list<std::pair<const char *, std::string>> attrs = {}) {
    ObjectId e = obj(cls, attrs);
    link(proc, "ownedElement", e);
    return e;
  }
  ObjectId typed(ObjectId proc, const char *cls, const char *name,
                 ObjectId type) {
    ObjectId e = element(proc, cls, {{"refName", name}});
    link(e, "type", type);
    return e;
  }
  ObjectId param(ObjectId proc, const char *name, int number, ObjectId type,
                 bool inOut = false) {
    ObjectId p = element(proc, "ZEVA::Parameter",
                         {{"refName", name},
                          {"paramNumber", std::to_string(number)},
                          {"inOut", inOut ? "true" : "false"}});
    link(p, "type", type);
    link(proc, "params", p);
    return p;
  }
  void flow(ObjectId proc, ObjectId from, ObjectId to, bool isElse = false) {
    ObjectId f =
        element(proc, "ZEVA::Flow", {{"isElse", isElse ? "true" : "false"}});
    link(f, "from", from);
    link(f, "to", to);
  }
  /// A class element of `rule` defined by `def` (or referring to `refer`).
  ObjectId elem(ObjectId proc, ObjectId rule, ObjectId def, const char *kind,
                const std::string &constraint = "", ObjectId refer = 0,
                bool isNot = false) {
    ObjectId e = element(proc, "ZEVA::ClassElement",
                         {{"ElemType", kind},
                          {"CardConstraint", isNot ? "NOT" : "None"},
                          {"constraint", constraint}});
    link(e, def ? "def" : "referElem", def ? def : refer);
    link(rule, "ownedElem", e);
    return e;
  }
  void assocLink(ObjectId proc, ObjectId rule, ObjectId from, ObjectId to,
                 ObjectId sourceProp, ObjectId destProp, const char *kind) {
    ObjectId l = element(proc, "ZEVA::AssocLink", {{"AssocLinkType", kind}});
    link(l, "from", from);
    link(l, "to", to);
    link(l, "sourceProp", sourceProp);
    link(l, "destProp", destProp);
    link(rule, "ownedLink", l);
  }
  void assign(ObjectId owner, ObjectId target, const std::string &expr,
              ObjectId attribute = 0) {
    ObjectId a = obj("ZEVA::Assignment", {{"expr", expr}});
    link(owner, "ownedAssign", a);
    link(a, "assignedElement", target);
    if (attribute)
      link(a, "attribute", attribute);
  }

private:
  static void check(bool ok) {
    if (!ok)
      std::abort(); // the fixed model is built wrongly
  }
  Repository &repo_;
  const zrep::Metamodel &mm_;
};

/// Builds the fixed model with the input's texts in its slots.
void buildModel(Repository &repo, const std::array<std::string, kSlots> &text,
                const std::string &flags) {
  Builder b(repo);
  b.obj("project::Project", {{"name", "F"}, {"path", "f/Project.zvp"}});
  ObjectId km = b.obj("Kernel::Model", {{"name", "K"}});
  ObjectId integer = b.named("Kernel::PrimitiveType", "Integer", km);
  ObjectId string = b.named("Kernel::PrimitiveType", "String", km);
  ObjectId boolean = b.named("Kernel::PrimitiveType", "Boolean", km);
  ObjectId pk = b.named("Kernel::Package", "Pk", km);
  ObjectId color = b.named("Kernel::Enumeration", "Color", pk);
  for (const char *literal : {"Red", "Green"}) {
    ObjectId l = b.obj("Kernel::EnumerationLiteral", {{"name", literal}});
    b.link(color, "ownedLiteral", l);
  }
  ObjectId c = b.named("Kernel::Class", "C", pk);
  ObjectId d = b.named("Kernel::Class", "D", pk);
  ObjectId g = b.obj("Kernel::Generalization");
  b.link(g, "specific", d);
  b.link(g, "general", c);
  b.property(c, "n", integer);
  ObjectId s = b.property(c, "s", string);
  b.property(c, "flag", boolean);
  b.property(c, "tint", color);
  ObjectId m = b.property(d, "m", integer);
  ObjectId ds = b.property(c, "ds", d), owner = b.property(d, "owner", c);
  ObjectId cd = b.named("Kernel::Association", "CD", pk);
  b.link(cd, "memberEnd", ds);
  b.link(cd, "memberEnd", owner);

  ObjectId model = b.obj("ZEVA::Model", {{"name", "M"}});
  ObjectId unit =
      b.obj("ZEVA::Package",
            {{"name", "u"}, {"isUnit", "true"}, {"compileThis", "true"}});
  b.link(model, "ownedMember", unit);
  bool debug = flags.find('d') != std::string::npos;
  bool main = flags.find('m') != std::string::npos;
  ObjectId p =
      b.obj("ZEVA::ZEVAprocedure", {{"name", "p"},
                                    {"debugOn", debug ? "true" : "false"},
                                    {"isMain", main ? "true" : "false"}});
  b.link(unit, "ownedMember", p);
  ObjectId q = b.obj("ZEVA::ZEVAprocedure", {{"name", "q"}});
  b.link(unit, "ownedMember", q);
  b.param(q, "qi", 1, integer);
  b.param(q, "qc", 2, c);
  b.param(q, "qs", 3, string, true);
  ObjectId qStart = b.element(q, "ZEVA::Start");
  b.flow(q, qStart, b.element(q, "ZEVA::End"));

  ObjectId a = b.param(p, "a", 1, c);
  b.param(p, "k", 2, integer, true);
  ObjectId i = b.typed(p, "ZEVA::Variable", "i", integer);
  ObjectId t = b.typed(p, "ZEVA::Variable", "t", string);
  b.typed(p, "ZEVA::Variable", "b", boolean);
  ObjectId v = b.typed(p, "ZEVA::Variable", "v", c);
  b.typed(p, "ZEVA::Variable", "w", d);
  b.typed(p, "ZEVA::Variable", "col", color);
  ObjectId xDef = b.typed(p, "ZEVA::ClassElementDef", "x", c);
  ObjectId yDef = b.typed(p, "ZEVA::ClassElementDef", "y", d);
  ObjectId zDef = b.typed(p, "ZEVA::ClassElementDef", "z", d);
  ObjectId eDef = b.typed(p, "ZEVA::ClassElementDef", "e", d);

  ObjectId start = b.element(p, "ZEVA::Start");
  ObjectId end = b.element(p, "ZEVA::End");
  ObjectId r1 = b.element(p, "ZEVA::Rule");
  ObjectId ra = b.elem(p, r1, 0, "Normal", "", a);
  ObjectId x = b.elem(p, r1, xDef, "Normal", text[kConstraintX]);
  ObjectId y = b.elem(p, r1, yDef, "Create");
  ObjectId z = b.elem(p, r1, zDef, "Normal", text[kConstraintZ], 0, true);
  b.assocLink(p, r1, ra, z, owner, ds, "Normal");
  b.assocLink(p, r1, x, y, owner, ds, "Create");
  b.assign(r1, y, text[kAssignYn], m);
  b.assign(r1, x, text[kAssignXs], s);
  b.assign(r1, i, text[kAssignI]);
  b.assign(r1, v, text[kAssignV]);

  ObjectId ts = b.element(p, "ZEVA::TextStatement",
                          {{"constraint", text[kTextConstraint]}});
  b.assign(ts, t, text[kAssignT]);

  ObjectId call = b.element(p, "ZEVA::CallStatement");
  b.link(call, "proc", q);
  for (int n = 0; n < 3; ++n) {
    ObjectId actual =
        b.obj("ZEVA::CallParam", {{"paramNumber", std::to_string(n + 1)},
                                  {"expr", text[kCallInteger + n]}});
    b.link(call, "params", actual);
  }

  ObjectId loop = b.element(p, "ZEVA::ForeachLoop");
  ObjectId head = b.element(p, "ZEVA::Rule");
  b.link(loop, "loophead", head);
  b.link(loop, "ownedFlowEnd", head);
  ObjectId la = b.elem(p, head, 0, "Normal", "", a);
  ObjectId le = b.elem(p, head, eDef, "LoopVariable", text[kLoopConstraint]);
  b.assocLink(p, head, la, le, owner, ds, "Normal");

  b.flow(p, start, r1);
  b.flow(p, r1, ts);
  b.flow(p, r1, end, true);
  b.flow(p, ts, call);
  b.flow(p, call, loop);
  b.flow(p, loop, end);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  std::array<std::string, kSlots> text;
  std::string flags;
  std::size_t part = 0;
  for (std::size_t at = 0; at < size && part <= kSlots; ++at) {
    char ch = static_cast<char>(data[at]);
    if (ch == '\x1f')
      ++part;
    else if (ch != '\0')
      (part < kSlots ? text[part] : flags) += ch;
  }
  // Repository files hold UTF-8 only.
  for (std::string &t : text)
    if (!zrep::isValidUtf8(t))
      for (char &c : t)
        if (static_cast<unsigned char>(c) >= 0x80)
          c = '?';
  Repository repo;
  buildModel(repo, text, flags);
  zeva::fuzz::compile(repo);
  return 0;
}
