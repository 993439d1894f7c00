#include "connection.h"
#include "qta_rep.h"
#include "repository.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>

using namespace zrep;

namespace {

using Ids = std::vector<ObjectId>;

/// The links of a repository kept the plain way: one list per object and
/// end, with the documented rules for linking and unlinking.
struct Reference {
  const Metamodel &mm;
  std::map<std::pair<ObjectId, TypeId>, Ids> lists;

  Ids &list(ObjectId o, TypeId end) { return lists[{o, end}]; }
  bool has(ObjectId a, TypeId end, ObjectId b) {
    Ids &l = list(a, end);
    return std::find(l.begin(), l.end(), b) != l.end();
  }
  void unlink(ObjectId a, TypeId end, ObjectId b) {
    std::erase(list(a, end), b);
    std::erase(list(b, mm.endInfo(end)->inverse), a);
  }
  void link(ObjectId a, TypeId end, ObjectId b) {
    if (has(a, end, b))
      return;
    TypeId inverse = mm.endInfo(end)->inverse;
    if (!mm.endInfo(end)->many && !list(a, end).empty())
      unlink(a, end, list(a, end).front());
    if (!mm.endInfo(inverse)->many && !list(b, inverse).empty())
      unlink(b, inverse, list(b, inverse).front());
    list(a, end).push_back(b);
    list(b, inverse).push_back(a);
  }
  void erase(ObjectId o) {
    for (auto &[key, partners] : lists)
      if (key.first == o)
        for (ObjectId p : Ids(partners))
          unlink(o, key.second, p);
  }
};

} // namespace

TEST(RepositoryStorage, LinksAgreeWithPlainListsUnderRandomChanges) {
  // Rules own elements and links; markers mark many elements and elements
  // carry many markers; a few hubs make lists long enough to be indexed.
  Repository repo;
  const Metamodel &mm = repo.metamodel();
  Reference ref{mm, {}};
  TypeId rule = mm.classId("ZEVA::Rule");
  TypeId elem = mm.classId("ZEVA::ClassElement");
  TypeId marker = mm.classId("PatternElementMarker");
  TypeId ownedElem = mm.endId(rule, "ownedElem");
  TypeId markedel = mm.endId(marker, "markedel");
  TypeId markedelOf = mm.endId(elem, "markedelOf");
  TypeId owningRule = mm.endId(elem, "owningRule");
  std::mt19937 rng(7);
  Ids rules, elems, markers;
  for (int i = 0; i < 3; ++i) {
    rules.push_back(repo.createObject(rule));
    markers.push_back(repo.createObject(marker));
  }
  auto pick = [&](Ids &v) { return v[rng() % v.size()]; };
  auto check = [&](ObjectId o, TypeId end) {
    const Ids &want = ref.list(o, end);
    ASSERT_EQ(repo.partners(o, end), want);
    ASSERT_EQ(repo.partnerCount(o, end), std::int64_t(want.size()));
    for (std::size_t i = 0; i < want.size(); i += 7)
      ASSERT_EQ(repo.partnerAt(o, end, std::int64_t(i)), want[i]);
  };
  for (int step = 0; step < 6000; ++step) {
    int op = static_cast<int>(rng() % 20);
    if (elems.size() < 20 || op < 4) {
      elems.push_back(repo.createObject(elem));
      continue;
    }
    ObjectId e = pick(elems), r = pick(rules), m = pick(markers);
    if (op < 9) { // re-owning moves the element: its end is single-valued
      ASSERT_TRUE(repo.createLink(ownedElem, r, e));
      ref.link(r, ownedElem, e);
    } else if (op < 14) {
      ASSERT_TRUE(repo.createLink(markedelOf, e, m));
      ref.link(e, markedelOf, m);
    } else if (op < 16) {
      ASSERT_TRUE(repo.deleteLink(markedel, m, e));
      ref.unlink(m, markedel, e);
    } else if (op < 18) {
      ASSERT_TRUE(repo.deleteLink(owningRule, e, r));
      ref.unlink(e, owningRule, r);
    } else {
      ASSERT_TRUE(repo.deleteObject(e));
      ref.erase(e);
      std::erase(elems, e);
    }
    ASSERT_EQ(repo.connected(markedel, m, e), ref.has(m, markedel, e));
    ASSERT_EQ(repo.connected(markedelOf, e, m), ref.has(m, markedel, e));
    ASSERT_EQ(repo.connected(owningRule, e, r), ref.has(r, ownedElem, e));
    check(step % 2 ? r : m, step % 2 ? ownedElem : markedel);
  }
  std::size_t longest = 0;
  for (ObjectId o : rules)
    longest = std::max(longest, ref.list(o, ownedElem).size());
  EXPECT_GT(longest, 64u); // long enough to be indexed
  for (ObjectId o : rules)
    check(o, ownedElem);
  for (ObjectId o : markers)
    check(o, markedel);
  for (ObjectId o : elems) {
    check(o, owningRule);
    check(o, markedelOf);
  }
}

TEST(RepositoryStorage, TextsAreSharedYetChangeOneValueAtATime) {
  Repository repo;
  connect(&repo);
  TypeId skom = _GetObjectTypeIdByName("Skom");
  TypeId text = _GetPropertyTypeIdByName(skom, "text");
  ObjectId a = _CreateObject(skom), b = _CreateObject(skom);
  ASSERT_TRUE(_AddProperty(a, text, "return"));
  ASSERT_TRUE(_AddProperty(b, text, "return"));
  const char *kept = _GetPropertyValue(b, text);
  // Changing or deleting a's value leaves b's text where it was.
  ASSERT_TRUE(_AddProperty(a, text, "goto x"));
  ASSERT_TRUE(_DeleteObjectHard(a));
  EXPECT_EQ(_GetPropertyValue(b, text), kept);
  EXPECT_STREQ(kept, "return");
  // The empty text unsets; texts may hold NULs.
  ASSERT_TRUE(_AddProperty(b, text, ""));
  EXPECT_STREQ(_GetPropertyValue(b, text), "");
  std::string withNul("a\0b", 3);
  ASSERT_TRUE(repo.setValue(b, text, withNul));
  EXPECT_EQ(repo.value(b, text), withNul);
  connect(nullptr);
}

TEST(RepositoryStorage, IdsFarApartAndDeletedObjects) {
  Repository repo;
  TypeId skom = repo.metamodel().classId("Skom");
  TypeId kom = repo.metamodel().classId("Kom");
  ASSERT_EQ(repo.createObjectWithId(skom, 2000000000), 2000000000);
  ASSERT_EQ(repo.createObjectWithId(skom, 3), 3);
  EXPECT_EQ(repo.createObject(skom), 2000000001);
  EXPECT_EQ(repo.createObjectWithId(skom, 3), 0);
  EXPECT_EQ(repo.classOf(2000000000), skom);
  // Deleting most objects squeezes the holes out of the repository order.
  Ids made;
  for (int i = 0; i < 300; ++i)
    made.push_back(repo.createObject(skom));
  for (int i = 0; i < 300; ++i)
    if (i % 10) {
      ASSERT_TRUE(repo.deleteObject(made[i]));
    }
  ASSERT_TRUE(repo.deleteObject(2000000000));
  Ids order;
  for (const Object *o : repo.allObjects())
    order.push_back(o->id);
  Ids want{3, 2000000001};
  for (int i = 0; i < 300; i += 10)
    want.push_back(made[i]);
  EXPECT_EQ(order, want);
  ASSERT_EQ(repo.extentSize(kom), std::int64_t(want.size()));
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_EQ(repo.extentAt(kom, std::int64_t(i)), want[i]);
  EXPECT_FALSE(repo.exists(2000000000));
  EXPECT_TRUE(repo.exists(made[290]));
}
