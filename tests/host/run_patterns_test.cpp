// zevac run: searches, NOT elements and links, subclass exclusion, flows and
// loops of compiled programs, each construct as a small model run on a small
// instance model.

#include "run_constructs.h"

namespace {

using namespace runconstructs;

// The first member has only loans of other books: the search of the loan's
// book fails for each of its loans, so the member moves on. In the second
// rule the search reaches the book before the link test to the member,
// which fails for the first loan and moves the loan search on.
TEST_F(RunConstructsTest, BacktrackingAcrossNestedSearches) {
  const char *procedures = R"(
    main procedure main() {
      def m: Member; def l: Loan; def b: Book;
      start;
      rule byTitle {
        m: Member @start;
        l: Loan;
        b: Book where title = "X";
        m -loans-> l;
        l -book-> b;
        m.hit := true;
        l.days := 1;
      }
      rule favouriteLoan {
        m: Member @start where name = "Cat";
        l: Loan;
        b: Book;
        m -loans-> l;
        l -book-> b;
        m -favourites-> b;
        l.days := 2;
        b.n := 2;
      }
      end;
      start -> byTitle; byTitle -> favouriteLoan; favouriteLoan -> end;
    }
)";
  EXPECT_EQ(
      run(procedures,
          {"1 Member name=Ann loans->11,12", "2 Member name=Bob loans->13,14",
           "3 Member name=Cat loans->15,16 favourites->31", "11 Loan book->30",
           "12 Loan book->31", "13 Loan book->31", "14 Loan book->32",
           "15 Loan book->30", "16 Loan book->31", "30 Book title=A",
           "31 Book title=B", "32 Book title=X"}),
      R"(1 Member name=Ann
2 Member name=Bob hit=true
3 Member name=Cat
11 Loan
12 Loan
13 Loan
14 Loan days=1
15 Loan
16 Loan days=2
30 Book title=A
31 Book title=B n=2
32 Book title=X
)");
}

// A NOT element without conditions only asks whether a partner exists:
// the search passes over members with loans, however many, to the first
// without; when every member has one, the rule fails.
TEST_F(RunConstructsTest, NotElementOfAnyPartner) {
  const char *procedures = R"(
    main procedure main() {
      def m: Member; def l: Loan; def k: Book; def r: Loan;
      start;
      rule idle {
        m: Member;
        not l: Loan;
        m -loans-> l;
        m.note := "idle";
      }
      rule unread {
        k: Book;
        not r: Loan;
        k -loans-> r;
        k.title := "unread";
      }
      text none { m.note := "none"; }
      end;
      start -> idle; idle -> unread; idle else -> unread;
      unread -> end; unread else -> none; none -> end;
    }
)";
  EXPECT_EQ(run(procedures, {"1 Member loans->11,12", "2 Member loans->13",
                             "3 Member", "4 Member", "11 Loan book->20",
                             "12 Loan", "13 Loan", "20 Book"}),
            R"(1 Member
2 Member
3 Member note=none
4 Member
11 Loan
12 Loan
13 Loan
20 Book
)");
}

// A NOT element rejects a member with an overdue loan, whether the loan
// comes before or after ones failing the constraint; a member whose loans
// all fail the constraint, or who has none, passes. In the rule the NOT
// search is entered again for each member after it rejected the ones
// before. A NOT link passes the books that the member does not favour.
TEST_F(RunConstructsTest, NotElementsAndNotLinks) {
  const char *procedures = R"(
    main procedure main() {
      def m: Member; def od: Loan; def a: Member; def b: Book;
      start;
      rule firstWithout {
        m: Member;
        not od: Loan where status = Overdue;
        m -loans-> od;
        m.note := "first";
      }
      foreach members {
        head rule noOverdue {
          each m: Member;
          not od: Loan where status = Overdue;
          m -loans-> od;
          m.hit := true;
        }
      }
      rule findAnn { a: Member where name = "Ann"; }
      while books {
        head rule notFavourite {
          a;
          b: Book where n = 0;
          not a -favourites-> b;
          b.n := 1;
        }
      }
      end;
      start -> firstWithout; firstWithout -> members; members -> findAnn;
      findAnn -> books; books -> end;
    }
)";
  EXPECT_EQ(
      run(procedures,
          {"1 Member name=Cat loans->13,14", "2 Member name=Dan loans->15,16",
           "3 Member name=Bob loans->11,12", "4 Member name=Ann favourites->21",
           "11 Loan status=OPEN", "12 Loan status=RETURNED",
           "13 Loan status=OPEN", "14 Loan status=OVERDUE",
           "15 Loan status=OVERDUE", "16 Loan status=OPEN", "20 Book title=A",
           "21 Book title=B", "22 Book title=C fans->2"}),
      R"(1 Member name=Cat
2 Member name=Dan
3 Member name=Bob hit=true note=first
4 Member name=Ann hit=true
11 Loan status=OPEN
12 Loan status=RETURNED
13 Loan status=OPEN
14 Loan status=OVERDUE
15 Loan status=OVERDUE
16 Loan status=OPEN
20 Book title=A n=1
21 Book title=B
22 Book title=C n=1
)");
}

// The extent of Book lists its subclasses' objects first, class by class
// after the class list, subclasses before their superclass. Along a role
// typed Book, an element of class ReferenceBook matches the reference books
// and their subclass Atlas, not plain books nor the sibling subclass EBook;
// a reference book that is no favourite is not reached.
TEST_F(RunConstructsTest, SubclassExclusionAlongASuperclassRole) {
  const char *procedures = R"(
    main procedure main() {
      def a: Member; def rb: ReferenceBook; def b: Book;
      start;
      rule findAnn { a: Member where name = "Ann"; }
      foreach books {
        head rule eachBook {
          each b: Book;
          a;
          a.note := note + b.title + ",";
        }
      }
      while refs {
        head rule referenceFavourite {
          a;
          rb: ReferenceBook where n = 0;
          a -favourites-> rb;
          rb.n := 1;
        }
      }
      end;
      start -> findAnn; findAnn -> books; books -> refs; refs -> end;
    }
)";
  EXPECT_EQ(run(procedures,
                {"1 Member name=Ann favourites->10,11,12,13", "10 Book title=B",
                 "11 EBook title=E", "12 ReferenceBook title=R",
                 "13 Atlas title=A", "14 ReferenceBook title=R2"}),
            R"(1 Member name=Ann note=A,R,R2,E,B,
10 Book title=B
11 EBook title=E
12 ReferenceBook title=R n=1
13 Atlas title=A n=1
14 ReferenceBook title=R2
)");
}

// A rule that does not match, and a text statement whose condition does not
// hold, take their ELSE flows; the ones that do take their normal flows.
TEST_F(RunConstructsTest, ElseFlows) {
  const char *procedures = R"(
    main procedure main() {
      def a: Member; def z: Member;
      start;
      rule findAnn { a: Member where name = "Ann"; }
      rule findZed { z: Member where name = "Zed"; }
      text noZed { a.note := "no Zed"; }
      text zed { a.note := "Zed"; }
      text big {
        when a.n > 5;
        a.hit := true;
      }
      text small { a.n := a.n + 100; }
      end;
      start -> findAnn; findAnn -> findZed; findAnn else -> end; findZed -> zed;
      findZed else -> noZed; zed -> big; noZed -> big; big -> end;
      big else -> small; small -> end;
    }
)";
  EXPECT_EQ(run(procedures, {"1 Member name=Bob", "2 Member name=Ann n=3"}),
            "1 Member name=Bob\n2 Member name=Ann n=103 note=no Zed\n");
}

// The body deletes the loop variable's object on each pass and branches in
// two, so its flow ends lie outside the loop and jump back to its end: each
// loan is visited once, in extent order, and all are gone afterwards.
TEST_F(RunConstructsTest, ForeachDeletingItsObjectWithBranchingBody) {
  const char *procedures = R"(
    main procedure main() {
      def a: Member; def l: Loan; var open: Integer; var other: Integer;
      start;
      rule findAnn { a: Member where name = "Ann"; }
      foreach loans {
        head rule eachLoan { each l: Loan; }
        rule isOpen { l where status = Open; }
        text countOpen { open := open + 1; }
        text countOther { other := other + 1; }
        text visit { a.note := a.note + toString(l.days) + ","; }
        rule kill { delete l; }
        eachLoan -> isOpen; isOpen -> countOpen; isOpen else -> countOther;
        countOpen -> visit; countOther -> visit; visit -> kill;
      }
      text report { a.n := open * 100 + other; }
      end;
      start -> findAnn; findAnn -> loans; loans -> report; report -> end;
    }
)";
  EXPECT_EQ(
      run(procedures,
          {"1 Member name=Ann loans->11,12", "11 Loan status=OPEN days=1",
           "12 Loan status=RETURNED days=2", "13 Loan status=OVERDUE days=3",
           "14 Loan status=OPEN days=4 member->1"}),
      "1 Member name=Ann n=202 note=1,2,3,4,\n");
}

// A while loop applies its head rule until it no longer matches: one loop
// deletes Ann's returned loans one by one, counting them, the other moves
// Bob's counter up to 5, and on each of its 4 passes a foreach in its body
// runs afresh over both members.
TEST_F(RunConstructsTest, WhileLoops) {
  const char *procedures = R"(
    main procedure main() {
      def a: Member; def x: Loan; def c: Member; def m: Member;
      var passes: Integer;
      start;
      rule findAnn { a: Member where name = "Ann"; }
      while drop {
        head rule returned {
          a;
          delete x: Loan where status = Returned;
          a -loans-> x;
          a.n := n + 1;
        }
      }
      while count {
        head rule below {
          c: Member where name = "Bob" and n < 5;
          c.n := n + 1;
        }
        foreach members {
          head rule eachMember { each m: Member; }
          text tally { passes := passes + 1; }
          eachMember -> tally;
        }
        below -> members;
      }
      text save { a.note := toString(passes); }
      end;
      start -> findAnn; findAnn -> drop; drop -> count; count -> save;
      save -> end;
    }
)";
  EXPECT_EQ(
      run(procedures,
          {"1 Member name=Ann loans->11,12,13,14",
           "2 Member name=Bob n=1 loans->15", "11 Loan status=RETURNED days=1",
           "12 Loan status=OPEN days=2", "13 Loan status=RETURNED days=3",
           "14 Loan status=RETURNED days=4", "15 Loan status=RETURNED days=5"}),
      R"(1 Member name=Ann n=3 note=8
2 Member name=Bob n=5
12 Loan status=OPEN days=2
15 Loan status=RETURNED days=5
)");
}

// A foreach body changes what its loop walks. New objects of the loop's
// class extent are visited when they come later in it: new Nodes go to its
// end, new Leafs to the Leaf part before the Nodes, which the loop has
// passed. Partners linked at the end of the list a loop walks are visited.
// Objects deleted ahead of the loop are skipped.
TEST_F(RunConstructsTest, ChangesUnderARunningForeach) {
  const char *creating = R"(
    main procedure main() {
      def x: Node; def y: Node; def z: Leaf; def a: Member; def b: Book;
      def nb: Book;
      start;
      foreach nodes {
        head rule eachNode {
          each x: Node;
          x.sum := 1;
        }
        rule grow {
          x where n < 2;
          create y: Node;
          create z: Leaf;
          y.n := x.n + 1;
          z.n := 9;
        }
        eachNode -> grow;
      }
      rule findAnn { a: Member where name = "Ann"; }
      foreach favourites {
        head rule eachFavourite {
          a;
          each b: Book;
          a -favourites-> b;
          b.title := "seen";
        }
        rule add {
          a;
          b where n < 2;
          create nb: Book;
          create a -favourites-> nb;
          nb.n := b.n + 1;
        }
        eachFavourite -> add;
      }
      end;
      start -> nodes; nodes -> findAnn; findAnn -> favourites;
      favourites -> end;
    }
)";
  EXPECT_EQ(run(creating,
                {"1 Leaf n=9", "2 Node n=0", "3 Member name=Ann favourites->5",
                 "4 Book n=0", "5 Book n=0"}),
            R"(1 Leaf n=9 sum=1
2 Node n=0 sum=1
3 Member name=Ann
4 Book n=0
5 Book title=seen n=0
6 Node n=1 sum=1
7 Leaf n=9
8 Node n=2 sum=1
9 Leaf n=9
10 Book title=seen n=1
11 Book title=seen n=2
)");

  const char *deleting = R"(
    main procedure main() {
      def x: Node; def q: Node;
      start;
      foreach nodes {
        head rule eachNode {
          each x: Node;
          x.sum := 1;
        }
        rule dropNext {
          x;
          delete q: Node;
          x -next-> q;
        }
        eachNode -> dropNext;
      }
      end;
      start -> nodes; nodes -> end;
    }
)";
  EXPECT_EQ(run(deleting, {"1 Node next->2", "2 Node next->3", "3 Node next->4",
                           "4 Node", "5 Node"}),
            "1 Node sum=1\n3 Node sum=1\n5 Node sum=1\n");
}

// A foreach in the body of another walks the partners of the outer loop's
// object on each pass; the outer body goes on after the inner loop.
TEST_F(RunConstructsTest, NestedForeachLoops) {
  const char *procedures = R"(
    main procedure main() {
      def m: Member; def l: Loan;
      start;
      foreach members {
        head rule eachMember { each m: Member; }
        foreach loans {
          head rule eachLoan {
            m;
            each l: Loan;
            m -loans-> l;
          }
          text count { m.n := m.n + l.days; }
          eachLoan -> count;
        }
        text after { m.note := "done"; }
        eachMember -> loans; loans -> after;
      }
      end;
      start -> members; members -> end;
    }
)";
  EXPECT_EQ(run(procedures,
                {"1 Member name=Ann loans->3,4", "2 Member name=Bob loans->5",
                 "3 Loan days=1", "4 Loan days=2", "5 Loan days=4"}),
            R"(1 Member name=Ann n=3 note=done
2 Member name=Bob n=4 note=done
3 Loan days=1
4 Loan days=2
5 Loan days=4
)");
}

} // namespace
