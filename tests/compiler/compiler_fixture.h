// A connected repository, a builder for source models, and helpers to run
// the compiler and read its products in compiler tests.
#pragma once

#include "connection.h"
#include "dialogs.h"
#include "kel_var.h"
#include "listing.h"
#include "repository.h"
#include "test_env.h"
#include "transprg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zeva::test {

using kel::ObjectId;
using Attrs = std::initializer_list<std::pair<const char *, const char *>>;

using testenv::dialogs;

class CompilerTest : public ::testing::Test {
protected:
  void SetUp() override {
    testenv::enterScratchFolder("zeva_compiler_");
    zrep::connect(&repo);
    kel::RepositoryUser::raiseGeneration();
    testenv::captureDialogs();
  }
  void TearDown() override {
    kel::setDialogHooks({});
    zrep::connect(nullptr);
  }

  // Building source models. Objects and links are made through the
  // runtime, so that lists it has cached in this run see them too.
  ObjectId obj(const char *cls, Attrs attrs = {}) {
    const zrep::Metamodel &mm = repo.metamodel();
    ObjectId id = kel::RepositoryUser::createObject(mm.classId(cls));
    EXPECT_NE(id, 0) << cls;
    for (auto [name, value] : attrs)
      EXPECT_TRUE(repo.setValue(id, mm.attrId(mm.classId(cls), name), value))
          << cls << "." << name;
    return id;
  }
  void link(ObjectId a, const char *role, ObjectId b) {
    const zrep::Metamodel &mm = repo.metamodel();
    EXPECT_TRUE(repo.createLink(mm.endId(repo.classOf(a), role), a, b)) << role;
  }
  ObjectId model(const char *name = "M") {
    return obj("ZEVA::Model", {{"name", name}});
  }
  ObjectId package(ObjectId owner, const char *name, bool unit = true,
                   bool selected = true) {
    ObjectId p =
        obj("ZEVA::Package", {{"name", name},
                              {"isUnit", unit ? "true" : "false"},
                              {"compileThis", selected ? "true" : "false"}});
    link(owner, "ownedMember", p);
    return p;
  }
  ObjectId procedure(ObjectId owner, const char *name, Attrs attrs = {}) {
    ObjectId p = obj("ZEVA::ZEVAprocedure", {{"name", name}});
    for (auto [a, v] : attrs)
      setAttr(p, a, v);
    link(owner, "ownedMember", p);
    return p;
  }
  /// An element owned by a procedure ("ownedElement").
  ObjectId element(ObjectId proc, const char *cls, Attrs attrs = {}) {
    ObjectId e = obj(cls, attrs);
    link(proc, "ownedElement", e);
    return e;
  }
  ObjectId flow(ObjectId proc, ObjectId from, ObjectId to,
                bool isElse = false) {
    ObjectId f =
        element(proc, "ZEVA::Flow", {{"isElse", isElse ? "true" : "false"}});
    link(f, "from", from);
    link(f, "to", to);
    return f;
  }
  /// A named element of the class model, owned through "ownedMember".
  ObjectId named(const char *cls, const char *name, ObjectId owner = 0) {
    ObjectId e = obj(cls, {{"name", name}});
    if (owner)
      link(owner, "ownedMember", e);
    return e;
  }
  /// A generalization; 0 leaves that end unlinked.
  void generalize(ObjectId specific, ObjectId general) {
    ObjectId g = obj("Kernel::Generalization");
    if (specific)
      link(g, "specific", specific);
    if (general)
      link(g, "general", general);
  }
  /// A procedure whose start leads straight to its end.
  ObjectId straightProcedure(ObjectId owner, const char *name,
                             Attrs attrs = {}) {
    ObjectId p = procedure(owner, name, attrs);
    ObjectId s = element(p, "ZEVA::Start");
    ObjectId e = element(p, "ZEVA::End");
    flow(p, s, e);
    return p;
  }
  void setAttr(ObjectId id, const char *name, const char *value) {
    const zrep::Metamodel &mm = repo.metamodel();
    EXPECT_TRUE(repo.setValue(id, mm.attrId(repo.classOf(id), name), value))
        << name;
  }
  std::string attr(ObjectId id, const char *name) const {
    const zrep::Metamodel &mm = repo.metamodel();
    return repo.value(id, mm.attrId(repo.classOf(id), name));
  }
  std::vector<ObjectId> partners(ObjectId id, const char *role) const {
    const zrep::Metamodel &mm = repo.metamodel();
    return repo.partners(id, mm.endId(repo.classOf(id), role));
  }
  std::vector<ObjectId> all(const char *cls) const {
    std::vector<ObjectId> out;
    zrep::TypeId c = repo.metamodel().classId(cls);
    for (const zrep::Object *o : repo.allObjects())
      if (o->cls == c)
        out.push_back(o->id);
    return out;
  }

  /// A model variable declared with the object's class and positioned on it.
  kel::Kel_Var_2 at(ObjectId id) const {
    std::string cls = repo.metamodel().classInfo(repo.classOf(id))->name;
    kel::Kel_Var_2 v(cls);
    for (bool found = kel::First(v, cls); found && kel::CurId(v) != id;)
      found = kel::Next(v);
    EXPECT_EQ(kel::CurId(v), id);
    return v;
  }
  /// Texts of a block's chain ("start", then "next1"); labels by name,
  /// jumps as "goto L"; then "| last" and the "lastkom" text.
  std::string chain(ObjectId block) const {
    std::string out;
    auto show = [&](ObjectId k) {
      std::string cls = repo.metamodel().classInfo(repo.classOf(k))->name;
      return cls == "Gotokom" ? "goto " + attr(k, "labname") : attr(k, "text");
    };
    auto first = partners(block, "start");
    int guard = 0;
    for (ObjectId k = first.empty() ? 0 : first[0]; k && guard++ < 100;) {
      out += show(k) + "; ";
      auto next = partners(k, "next1");
      k = next.empty() ? 0 : next[0];
    }
    auto last = partners(block, "lastkom");
    return out + "| " + (last.empty() ? "-" : show(last[0]));
  }

  // Running the compiler and reading its products.
  void compile() { Kel_LibMain(); }
  /// "text" of every compiler message, in creation order.
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (ObjectId m : all("Utility::CompilerMessages"))
      out.push_back(attr(m, "text"));
    return out;
  }
  /// The listing of the ProcFunct named `name1`.
  std::string listing(const std::string &name1) const {
    for (ObjectId pf : all("ProcFunct"))
      if (attr(pf, "name1") == name1) {
        std::ostringstream out;
        zevac::printProcFunctListing(repo, pf, out);
        return out.str();
      }
    return "<no ProcFunct " + name1 + ">";
  }
  /// The commands of a flow end's segment: from its label to its
  /// "lastkom" (or on to the chain's end without one).
  std::string segment(ObjectId flowEnd) const {
    std::vector<ObjectId> label = partners(flowEnd, "label");
    std::vector<ObjectId> last = partners(flowEnd, "lastkom");
    if (label.empty())
      return "<no label>";
    std::ostringstream out;
    zevac::printCommandsListing(repo, label[0], out,
                                last.empty() ? 0 : last[0]);
    return out.str();
  }

  zrep::Repository repo;
};

} // namespace zeva::test
