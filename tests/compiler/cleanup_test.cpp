#include "compiler_fixture.h"

#include "../../compiler/program/chains.h"
#include "../../compiler/program/cleanup.h"

namespace zeva::test {

namespace {

struct IfThen {
  ObjectId kom, cond, thenBlock, elseBlock;
};

} // namespace

class CleanupTest : public CompilerTest {
protected:
  ObjectId skom(const char *text) { return obj("Skom", {{"text", text}}); }
  void append(ObjectId kom, ObjectId block) {
    AddKomToKomblock(at(kom), at(block));
  }
  /// An Ifthenkom in `block` with the given then and else commands and an
  /// empty condition block.
  IfThen ifThen(ObjectId block, std::initializer_list<const char *> thens,
                std::initializer_list<const char *> elses) {
    IfThen i{obj("Ifthenkom"), obj("Komblock"), obj("Komblock"),
             obj("Komblock")};
    link(i.kom, "if1", i.cond);
    link(i.kom, "then1", i.thenBlock);
    link(i.kom, "else1", i.elseBlock);
    for (const char *t : thens)
      append(skom(t), i.thenBlock);
    for (const char *e : elses)
      append(skom(e), i.elseBlock);
    append(i.kom, block);
    return i;
  }
};

TEST_F(CleanupTest, AlwaysTrueConditionsAreReplacedByTheirThenBranch) {
  ObjectId body = obj("Komblock");
  ObjectId pf = obj("ProcFunct");
  link(pf, "block", body);
  ObjectId emptyBody = obj("Komblock");
  link(obj("ProcFunct"), "block", emptyBody);
  ObjectId orphan = obj("Komblock");
  append(skom("before"), body);
  IfThen i = ifThen(body, {"t1", "t2"}, {"goto else"});
  append(skom("after"), body);
  ObjectId elseFirst = partners(i.elseBlock, "start").at(0);
  RemoveEmptyKomBlocks();
  EXPECT_EQ(chain(body), "before; t1; t2; after; | after");
  for (ObjectId gone :
       {i.kom, i.cond, i.thenBlock, i.elseBlock, elseFirst, orphan})
    EXPECT_FALSE(repo.exists(gone)) << gone;
  EXPECT_TRUE(repo.exists(emptyBody)) << "a procedure's body stays";

  // At the end of a chain there is no next command to link.
  ObjectId tail = obj("Komblock");
  link(obj("ProcFunct"), "block", tail);
  append(skom("x"), tail);
  ifThen(tail, {"y"}, {"z"});
  RemoveEmptyKomBlocks();
  // The block's "lastkom" was the Ifthenkom: it goes with it.
  EXPECT_EQ(chain(tail), "x; y; | -");
}

TEST_F(CleanupTest, BrokenShapesEndThePassEarly) {
  // An Ifthenkom whose then-branch is empty: the pass stops before it and
  // leaves later empty blocks alone.
  ObjectId body = obj("Komblock");
  link(obj("ProcFunct"), "block", body);
  append(skom("p"), body);
  IfThen i = ifThen(body, {}, {"e"});
  ObjectId later = obj("Komblock");
  RemoveEmptyKomBlocks();
  EXPECT_TRUE(repo.exists(i.kom));
  EXPECT_TRUE(repo.exists(later));
  EXPECT_EQ(chain(body), "p; ; | ");

  // No else-branch: the then-block is spliced in and deleted, then the
  // pass ends.
  repo.deleteObject(i.cond); // the first case is out of the way
  ObjectId body2 = obj("Komblock");
  link(obj("ProcFunct"), "block", body2);
  append(skom("q"), body2);
  IfThen j = ifThen(body2, {"r"}, {});
  repo.deleteObject(j.elseBlock);
  ObjectId later2 = obj("Komblock");
  RemoveEmptyKomBlocks();
  EXPECT_EQ(chain(body2), "q; r; | ");
  EXPECT_FALSE(repo.exists(j.thenBlock));
  EXPECT_TRUE(repo.exists(j.kom));
  EXPECT_TRUE(repo.exists(later2));
}

} // namespace zeva::test
