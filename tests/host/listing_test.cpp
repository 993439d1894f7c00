//===- listing_test.cpp - Listing of the Kel program model ----------------===//

#include "../../host/messages.h"
#include "listing.h"
#include "repository.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace zrep;

namespace {

using Ids = std::initializer_list<ObjectId>;

class ListingTest : public ::testing::Test {
protected:
  /// Makes an object from "Class|attr=value|attr=value".
  ObjectId make(const std::string &spec) {
    std::istringstream in(spec);
    std::string part;
    std::getline(in, part, '|');
    ObjectId id = repo.createObject(mm.classId(part));
    while (std::getline(in, part, '|')) {
      std::size_t eq = part.find('=');
      TypeId attr = mm.attrId(repo.classOf(id), part.substr(0, eq));
      EXPECT_TRUE(repo.setValue(id, attr, part.substr(eq + 1))) << part;
    }
    return id;
  }
  void link(ObjectId from, const char *role, ObjectId to) {
    EXPECT_TRUE(repo.createLink(mm.endId(repo.classOf(from), role), from, to));
  }
  /// Links `items` from `head` by `start`, then each to the next by "next1".
  void chain(ObjectId head, Ids items, const char *start = "start") {
    for (ObjectId item : items) {
      link(head, start, item);
      head = item, start = "next1";
    }
  }
  ObjectId block(Ids koms) {
    ObjectId kb = make("Komblock");
    chain(kb, koms);
    return kb;
  }
  std::string listing(ObjectId pf = 0) {
    std::ostringstream out;
    pf ? zevac::printProcFunctListing(repo, pf, out)
       : zevac::printListing(repo, out);
    return out.str();
  }

  const Metamodel &mm = Metamodel::builtin();
  Repository repo;
};

} // namespace

TEST_F(ListingTest, ListsTransformationsWithDeclarationsAndCommands) {
  EXPECT_EQ(listing(), "// no Kel program\n");
  ObjectId t = make("Transformation|name1=lib");
  ObjectId globals = make("Defblock"), locals = make("Defblock");
  link(t, "dir", make("Directive|val=useMM|file_name=MM"));
  link(t, "block", globals);
  link(globals, "def", make("Po|name1=b|type1=lib::Book"));
  ObjectId native = make("ProcFunct|name1=Id|is_native=true|return_type=S");
  chain(native, {make("Parameter|name1=o|type1=C|byRef=true")}, "param");
  ObjectId main = make("ProcFunct|name1=main|is_main=true");
  link(main, "pfblock", locals);
  link(locals, "def", make("Va|name1=i|type1=Integer"));
  ObjectId assign = make("Skom|text=setVar i="), expr = make("Expression");
  ObjectId funct = make("Funct|name1=f");
  chain(funct, {make("Param|name1=p"), make("Param|name1=q")});
  link(assign, "expr2", expr);
  chain(expr, {funct, make("Op|val=*"), make("Brack|val=("),
               make("Atr|name1=n|classPointer=b"), make("Op|val=+"),
               make("Const|val=1"), make("Brack|val=)")});
  ObjectId search = make("FNkom|type1=first|name1=b|text=B|else1=L3");
  link(search, "suchthat1", block({make("Ekom|text=var v==true|else1=L4")}));
  ObjectId ifthen = make("Ifthenkom");
  link(ifthen, "if1",
       block({search, make("FNkom|type1=first|name1=m|text=M")}));
  link(ifthen, "then1", block({}));
  link(ifthen, "else1", block({make("Skom|text=addObj x")}));
  ObjectId loop = make("Foreachkom|name1=x|text=C from m by r");
  link(loop, "foreach1", block({make("Gotokom|labname=L1")}));
  link(main, "block",
       block({make("Skom|text=label L1|name=L1"),
              make("Skom|text=setVar i=0;\nlabel start;"), assign, ifthen, loop,
              make("Gotokom")}));
  link(t, "pf", native);
  link(t, "pf", main);
  make("Transformation|name1=other");

  EXPECT_EQ(listing(), R"(transformation lib
  useMM "MM"
  pointer b : lib::Book

  native procedure Id(ref o : C) : S

  main procedure main()
    var i : Integer
  begin
    L1:
    setVar i=0;
    label start;
    setVar i=f(p, q) * (b.n + 1)
    if
      first b : B else goto L3
      suchthat
        var v==true else goto L4
      end
      first m : M
    else
      addObj x
    end
    foreach x : C from m by r
    do
      goto L1
    end
    goto
  end

transformation other
)");
}

TEST_F(ListingTest, BrokenModelsEndInMarkers) {
  // Chain a -> if -> b -> a, and the condition block starts at b as well.
  ObjectId a = make("Skom|text=a"), b = make("Skom|text=b");
  ObjectId ifthen = make("Ifthenkom"), pf = make("ProcFunct|name1=p");
  link(pf, "block", block({a, ifthen, b}));
  link(b, "next1", a);
  ObjectId cond = make("Komblock");
  link(cond, "start", b);
  link(ifthen, "if1", cond);
  ObjectId assign = make("Skom|text=setVar v="), expr = make("Expression");
  ObjectId v = make("Vari|name1=v"), plus = make("Op|val=+");
  link(assign, "expr2", expr);
  chain(expr, {v, plus});
  link(plus, "next1", v);
  link(ifthen, "then1",
       block({assign, make("Skom"), make("Ekom|else1=L"), make("FNkom")}));
  ObjectId x = make("Parameter|name1=x"), y = make("Parameter|name1=y|type1=I");
  chain(pf, {x, y}, "param");
  link(y, "next1", x);

  EXPECT_EQ(listing(pf), R"(procedure p(x : <missing>, y : I, <cycle>)
begin
  a
  if
    b
    <cycle>
  then
    setVar v=v + <cycle>
    <missing>
    <missing> else goto L
    <missing> <missing> : <missing>
  end
  <shared #)" + std::to_string(b) +
                             R"(>
end
)");

  // Nesting beyond the bound is cut off instead of recursing on.
  ObjectId inner = make("Komblock");
  link(pf, "block", inner);
  for (int i = 0; i < 300; ++i) {
    ObjectId nested = make("Ifthenkom");
    link(inner, "start", nested);
    link(nested, "if1", inner = make("Komblock"));
  }
  std::string text = listing(pf);
  EXPECT_NE(text.find("<too deep>"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 10), "  end\nend\n");
}

// A message's path names every owner however deep, and ends where owners
// lead back to an element it has named.
TEST_F(ListingTest, ReadablePathsGoAllTheWayUpAndEndAtCycles) {
  ObjectId owner = make("ZEVA::Model|name=M");
  std::string expected;
  for (int i = 0; i < 1000; ++i) {
    ObjectId p = make("ZEVA::Package|name=p" + std::to_string(i));
    link(owner, "ownedMember", p);
    owner = p;
    expected += (i ? "_p" : "p") + std::to_string(i);
  }
  EXPECT_EQ(zevac::readablePath(repo, owner), expected);
  ObjectId a = make("ZEVA::Package|name=a"), b = make("ZEVA::Package|name=b");
  link(a, "ownedMember", b);
  link(b, "ownedMember", a);
  EXPECT_EQ(zevac::readablePath(repo, a), "a_b_a");
}
