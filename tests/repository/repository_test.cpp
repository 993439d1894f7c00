#include "connection.h"
#include "qta_rep.h"
#include "repository.h"

#include <gtest/gtest.h>

using namespace zrep;

namespace {

class RepositoryTest : public ::testing::Test {
protected:
  TypeId cls(const char *name) { return mm.classId(name); }
  TypeId end(const char *c, const char *role) { return mm.endId(cls(c), role); }
  TypeId attr(const char *c, const char *name) {
    return mm.attrId(cls(c), name);
  }
  ObjectId make(const char *c) { return repo.createObject(cls(c)); }
  std::vector<ObjectId> extent(const char *c) {
    std::vector<ObjectId> out;
    for (std::int64_t i = 0; i < repo.extentSize(cls(c)); ++i)
      out.push_back(repo.extentAt(cls(c), i));
    return out;
  }

  const Metamodel &mm = Metamodel::builtin();
  Repository repo;
};

using Ids = std::vector<ObjectId>;

} // namespace

TEST_F(RepositoryTest, ExtentListsOwnObjectsBeforeSubclassesInOrder) {
  ObjectId rule = make("ZEVA::Rule");
  ObjectId end1 = make("ZEVA::End");
  ObjectId start = make("ZEVA::Start");
  ObjectId loop = make("ZEVA::WhileLoop");
  ObjectId text = make("ZEVA::TextStatement");
  ObjectId end2 = make("ZEVA::End");
  EXPECT_EQ(extent("ZEVA::FlowEnd"),
            (Ids{start, end1, end2, rule, text, loop}));
  EXPECT_EQ(extent("ZEVA::DecisionStatement"), (Ids{rule, text}));
  EXPECT_EQ(extent("ZEVA::End"), (Ids{end1, end2}));
  EXPECT_EQ(repo.extentAt(cls("ZEVA::FlowEnd"), 6), 0);
  // Abstract classes have no objects of their own; unknown ids none at all.
  EXPECT_EQ(repo.createObject(cls("ZEVA::FlowEnd")), 0);
  EXPECT_EQ(repo.createObject(0), 0);

  // Deleting keeps the order of the rest and never reuses an id.
  ASSERT_TRUE(repo.deleteObject(end1));
  EXPECT_FALSE(repo.deleteObject(end1));
  EXPECT_EQ(extent("ZEVA::FlowEnd"), (Ids{start, end2, rule, text, loop}));
  ObjectId end3 = make("ZEVA::End");
  EXPECT_GT(end3, end2);
  EXPECT_EQ(extent("ZEVA::End"), (Ids{end2, end3}));
  // Loaded ids push new ids above them.
  EXPECT_EQ(repo.createObjectWithId(cls("ZEVA::End"), 500), 500);
  EXPECT_EQ(repo.createObjectWithId(cls("ZEVA::End"), 500), 0);
  EXPECT_EQ(make("ZEVA::End"), 501);
}

TEST_F(RepositoryTest, SingleValuedEndsReplaceAndPairsStayUnique) {
  ObjectId block = make("Komblock");
  ObjectId a = make("Skom"), b = make("Skom"), c = make("Gotokom");
  TypeId start = end("Komblock", "start");
  TypeId next = end("Skom", "next1");
  TypeId namekb = end("Skom", "Namekb");
  TypeId name = end("Skom", "Name");

  ASSERT_TRUE(repo.createLink(start, block, a));
  ASSERT_TRUE(repo.createLink(start, block, b)); // replaces block->a
  EXPECT_EQ(repo.partners(block, start), (Ids{b}));
  EXPECT_EQ(repo.partnerCount(a, namekb), 0);
  EXPECT_EQ(repo.partners(b, namekb), (Ids{block}));

  // next1 is single at both ends: a second predecessor takes c over.
  ASSERT_TRUE(repo.createLink(next, a, c));
  ASSERT_TRUE(repo.createLink(next, b, c));
  EXPECT_EQ(repo.partnerCount(a, next), 0);
  EXPECT_EQ(repo.partners(c, name), (Ids{b}));
  EXPECT_TRUE(repo.connected(name, c, b));
  EXPECT_FALSE(repo.connected(next, a, c));

  // Linking a linked pair again leaves one link in its old place.
  ObjectId pkg = make("ZEVA::Package");
  ObjectId p1 = make("ZEVA::ZEVAprocedure"), p2 = make("ZEVA::ZEVAprocedure");
  TypeId owned = end("ZEVA::Package", "ownedMember");
  for (ObjectId p : {p1, p2, p1})
    ASSERT_TRUE(repo.createLink(owned, pkg, p));
  EXPECT_EQ(repo.partners(pkg, owned), (Ids{p1, p2}));
  EXPECT_EQ(repo.partners(p1, end("ZEVA::ZEVAprocedure", "owningPackage")),
            (Ids{pkg}));

  // Wrong partner class, wrong end for the class, missing objects.
  EXPECT_FALSE(repo.createLink(owned, pkg, block));
  EXPECT_FALSE(repo.createLink(start, a, block));
  EXPECT_FALSE(repo.createLink(owned, pkg, 9999));
  EXPECT_TRUE(repo.deleteLink(owned, pkg, block)); // nothing to delete
  EXPECT_FALSE(repo.deleteLink(start, a, block));
}

TEST_F(RepositoryTest, RemovalKeepsPartnerOrderOnBothEnds) {
  ObjectId pkg = make("ZEVA::Package");
  TypeId owned = end("ZEVA::Package", "ownedMember");
  Ids procs;
  for (int i = 0; i < 40; ++i) {
    procs.push_back(make("ZEVA::ZEVAprocedure"));
    ASSERT_TRUE(repo.createLink(owned, pkg, procs.back()));
  }
  // Remove most links, by deleting objects and by unlinking, so that the
  // partner list is compacted along the way.
  Ids kept;
  for (int i = 0; i < 40; ++i) {
    if (i % 5 == 0)
      kept.push_back(procs[i]);
    else if (i % 2)
      ASSERT_TRUE(repo.deleteObject(procs[i]));
    else
      ASSERT_TRUE(repo.deleteLink(owned, pkg, procs[i]));
  }
  EXPECT_EQ(repo.partners(pkg, owned), kept);
  ASSERT_EQ(repo.partnerCount(pkg, owned), 8);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(repo.partnerAt(pkg, owned, i), kept[i]);
  for (ObjectId p : kept)
    EXPECT_TRUE(repo.connected(owned, pkg, p));
  ObjectId late = make("ZEVA::ZEVAprocedure");
  ASSERT_TRUE(
      repo.createLink(end("ZEVA::ZEVAprocedure", "owningPackage"), late, pkg));
  EXPECT_EQ(repo.partnerAt(pkg, owned, 8), late);

  // Deleting the owner removes every link from the partners' side.
  ASSERT_TRUE(repo.deleteObject(pkg));
  for (ObjectId p : kept)
    EXPECT_EQ(repo.partnerCount(p, end("ZEVA::ZEVAprocedure", "owningPackage")),
              0);
}

TEST_F(RepositoryTest, ValuesAreCheckedAndNormalised) {
  ObjectId param = make("ZEVA::Parameter");
  ObjectId elem = make("ZEVA::ClassElement");
  TypeId number = attr("ZEVA::Parameter", "paramNumber");
  TypeId elemType = attr("ZEVA::ClassElement", "ElemType");
  for (const char *ok : {"0", "-12", "2147483647", ""})
    EXPECT_TRUE(repo.checkValue(number, ok)) << ok;
  for (const char *bad : {"1.5", "x", " 1", "+1", "2147483648"})
    EXPECT_FALSE(repo.checkValue(number, bad)) << bad;
  EXPECT_TRUE(repo.setValue(param, number, "7"));
  EXPECT_EQ(repo.value(param, number), "7");
  EXPECT_FALSE(repo.setValue(param, number, "seven"));
  EXPECT_EQ(repo.value(param, number), "7");

  EXPECT_TRUE(repo.setValue(elem, elemType, "ElemType::Delete"));
  EXPECT_EQ(repo.value(elem, elemType), "Delete");
  EXPECT_FALSE(repo.setValue(elem, elemType, "CardConstraint::NOT"));
  EXPECT_FALSE(repo.setValue(elem, elemType, "delete"));
  // An attribute of another class is not the object's.
  EXPECT_FALSE(repo.setValue(elem, number, "1"));
  EXPECT_EQ(repo.value(elem, number), "");

  // Values that are not UTF-8 are counted while any object holds one.
  TypeId name = attr("ZEVA::Parameter", "refName");
  ObjectId other = make("ZEVA::Parameter");
  EXPECT_FALSE(repo.holdsNonUtf8());
  EXPECT_TRUE(repo.setValue(param, name, "\xC8"));
  EXPECT_TRUE(repo.setValue(other, name, "\xC8"));
  EXPECT_TRUE(repo.holdsNonUtf8());
  EXPECT_TRUE(repo.setValue(param, name, "ȸ"));
  EXPECT_TRUE(repo.holdsNonUtf8());
  EXPECT_TRUE(repo.deleteObject(other));
  EXPECT_FALSE(repo.holdsNonUtf8());
}

TEST_F(RepositoryTest, CInterfaceWorksOnTheConnectedRepository) {
  EXPECT_EQ(connect(nullptr), nullptr);
  EXPECT_EQ(_CreateObject(cls("Skom")), 0); // nothing connected
  connect(&repo);
  EXPECT_NE(_StartSaveTransaction1(0, 0, ""), 0);
  EXPECT_EQ(_StartSaveTransaction1(0, 0, ""), 0); // one at a time
  TypeId skom = _GetObjectTypeIdByName("Skom");
  ASSERT_EQ(skom, cls("Skom"));
  EXPECT_STREQ(_GetTypeName(skom), "Skom");
  TypeId next = _GetLinkTypeIdByName(skom, "next1");
  EXPECT_STREQ(_GetTypeName(_GetInverseLinkTypeId(next)), "Name");
  EXPECT_STREQ(_GetTypeName(12345678), "");

  IdList *subs = _GetExtensionIdList(_GetObjectTypeIdByName("Kom"));
  ASSERT_EQ(subs->count, 6);
  EXPECT_EQ(subs->items[0], skom);
  _FreeIdList(subs);

  int32_t a = _CreateObject(skom), b = _CreateObject(skom);
  EXPECT_EQ(_CreateLinkReporting(next, a, b), 1);
  EXPECT_EQ(_CreateLinkReporting(next, a, b), 2); // linked already
  EXPECT_EQ(_CreateLinkReporting(next, a, 999999), 0);
  // The counters read in place move with the counts asked for.
  RemovalCounters counters = _GetRemovalCounters();
  auto linkCount = [&](int32_t type) {
    return *counters.objects +
           counters.links[static_cast<uint32_t>(type) %
                          static_cast<uint32_t>(counters.linkCounters)];
  };
  uint64_t before = linkCount(next);
  EXPECT_NE(_DeleteLink(next, a, b), 0);
  EXPECT_EQ(linkCount(next), _GetLinkRemovalCount(next));
  EXPECT_GT(linkCount(next), before);
  EXPECT_EQ(*counters.all, _GetRemovalCount());
  EXPECT_EQ(*counters.objects, _GetObjectRemovalCount());
  EXPECT_NE(_CreateLink(next, a, b), 0);
  EXPECT_EQ(_GetLinkedObjectNum(b, _GetInverseLinkTypeId(next)), 1);
  EXPECT_EQ(_GetLinkedObjectIdByIndex(a, next, 0), b);
  EXPECT_EQ(_GetObjectNum(_GetObjectTypeIdByName("Kom")), 2);
  EXPECT_EQ(_GetObjectIdByIndex(_GetObjectTypeIdByName("Kom"), 1), b);

  int32_t text = _GetPropertyTypeIdByName(skom, "text");
  EXPECT_NE(_AddProperty(a, text, "setVar x := 1"), 0);
  EXPECT_STREQ(_GetPropertyValue(a, text), "setVar x := 1");
  EXPECT_STREQ(_GetPropertyValue(a, 0), "");
  int32_t code = 0;
  const char *en = nullptr;
  ASSERT_NE(_GetPropertyTypeAttributes(
                _GetPropertyTypeIdByName(
                    _GetObjectTypeIdByName("ZEVA::ClassElement"), "ElemType"),
                &code, &en),
            0);
  EXPECT_EQ(code, kRepEnumeration);
  EXPECT_STREQ(en, "ElemType");
  EXPECT_EQ(_GetPropertyTypeAttributes(0, &code, &en), 0);

  EXPECT_NE(_DeleteObjectHard(b), 0);
  EXPECT_EQ(_ObjectExists(b), 0);
  EXPECT_EQ(_AlreadyConnected(next, a, b), 0);
  failNextTransactionStep(false, true);
  EXPECT_EQ(_CommitSaveTransaction(), 0);
  EXPECT_NE(_CommitSaveTransaction(), 0);
  connect(nullptr);
}
