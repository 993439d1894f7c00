// Builders for rules: a class model in package "Pk" and a procedure "u_p"
// whose rules hold class elements and association links.
#pragma once

#include "compiler_fixture.h"

#include <string>

namespace zeva::test {

class RulesTest : public CompilerTest {
protected:
  void SetUp() override {
    CompilerTest::SetUp();
    ObjectId km = obj("Kernel::Model", {{"name", "K"}});
    pk = named("Kernel::Package", "Pk", km);
    proc = procedure(package(model(), "u"), "p");
    start = element(proc, "ZEVA::Start");
    end = element(proc, "ZEVA::End");
  }
  void TearDown() override {
    // No runtime fault may show on the way.
    EXPECT_EQ(dialogs(), std::vector<std::string>{});
    CompilerTest::TearDown();
  }

  ObjectId cls(const char *name, ObjectId general = 0) {
    ObjectId c = named("Kernel::Class", name, pk);
    if (general)
      generalize(c, general);
    return c;
  }
  /// An association end named `role`, typed by `type` (none when 0).
  ObjectId end_(const char *role, ObjectId type) {
    ObjectId p = named("Kernel::Property", role);
    if (type)
      link(p, "type", type);
    return p;
  }
  /// A rule reached from `from` (no flow when 0) and leading to `to`.
  ObjectId rule(ObjectId from, ObjectId to) {
    ObjectId r = element(proc, "ZEVA::Rule");
    if (from)
      flow(proc, from, r);
    if (to)
      flow(proc, r, to);
    return r;
  }
  /// A class element `name` : `type` of kind `kind` in `owner`.
  ObjectId elem(ObjectId owner, const char *name, ObjectId type,
                const char *kind = "Normal", bool isNot = false) {
    ObjectId def = element(proc, "ZEVA::ClassElementDef", {{"refName", name}});
    if (type)
      link(def, "type", type);
    ObjectId e = element(
        proc, "ZEVA::ClassElement",
        {{"ElemType", kind}, {"CardConstraint", isNot ? "NOT" : "None"}});
    link(e, "def", def);
    link(owner, "ownedElem", e);
    return e;
  }
  /// A reference element of `owner` that stands for `target`, a parameter,
  /// variable or definition of the procedure.
  ObjectId ref(ObjectId owner, ObjectId target, const char *kind = "Normal") {
    ObjectId e = element(proc, "ZEVA::ClassElement", {{"ElemType", kind}});
    link(e, "referElem", target);
    link(owner, "ownedElem", e);
    return e;
  }
  ObjectId variable(const char *name, ObjectId type) {
    ObjectId v = element(proc, "ZEVA::Variable", {{"refName", name}});
    link(v, "type", type);
    return v;
  }
  /// An association link from `a` to `b`; `toEnd` names `b`'s role.
  ObjectId assoc(ObjectId owner, ObjectId a, ObjectId b, ObjectId toEnd,
                 ObjectId fromEnd = 0, const char *kind = "Normal",
                 bool isNot = false) {
    ObjectId l = element(
        proc, "ZEVA::AssocLink",
        {{"AssocLinkType", kind}, {"CardConstraint", isNot ? "NOT" : "None"}});
    link(l, "from", a);
    link(l, "to", b);
    if (toEnd)
      link(l, "destProp", toEnd);
    if (fromEnd)
      link(l, "sourceProp", fromEnd);
    link(owner, "ownedLink", l);
    return l;
  }
  /// An assignment of `expr`, owned by `owner`, to the property `attribute`
  /// of `target` (a whole value when 0); 0 leaves a link out.
  ObjectId assign(ObjectId owner, ObjectId target, const char *expr,
                  ObjectId attribute = 0) {
    ObjectId a = obj("ZEVA::Assignment", {{"expr", expr}});
    if (owner)
      link(owner, "ownedAssign", a);
    if (target)
      link(a, "assignedElement", target);
    if (attribute)
      link(a, "attribute", attribute);
    return a;
  }
  /// A formal parameter, in "params" as well: a call compiled before its
  /// callee finds the formals there.
  ObjectId param(ObjectId owner, const char *name, int number, ObjectId type) {
    ObjectId p = obj(
        "ZEVA::Parameter",
        {{"refName", name}, {"paramNumber", std::to_string(number).c_str()}});
    if (type)
      link(p, "type", type);
    link(owner, "ownedElement", p);
    link(owner, "params", p);
    return p;
  }
  ObjectId call(ObjectId callee, std::initializer_list<const char *> actuals) {
    ObjectId k = element(proc, "ZEVA::CallStatement");
    if (callee)
      link(k, "proc", callee);
    int n = 0;
    for (const char *text : actuals) {
      std::string number = std::to_string(++n);
      ObjectId a = obj("ZEVA::CallParam",
                       {{"paramNumber", number.c_str()}, {"expr", text}});
      link(k, "params", a);
    }
    return k;
  }

  void annotate(ObjectId e, const char *text) {
    ObjectId a = obj("ZEVA::Annotation", {{"text", text}});
    link(e, "annotation", a);
  }
  /// The body of the compiled procedure, without its header lines.
  std::string body() {
    std::string all = listing("u_p");
    std::size_t begin = all.find("begin\n");
    return begin == std::string::npos ? all : all.substr(begin + 6);
  }

  /// The first `n` lines of `text`.
  static std::string firstLines(const std::string &text, int n) {
    std::size_t at = 0;
    while (n-- > 0 && at != std::string::npos)
      at = text.find('\n', at) + 1;
    return text.substr(0, at);
  }

  ObjectId pk = 0, proc = 0, start = 0, end = 0;
};

} // namespace zeva::test
