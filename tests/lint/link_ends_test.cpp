// L1-L3: association links whose ends do not fit the elements they join.
#include "lint.h"
#include "notation_support.h"

#include <gtest/gtest.h>

namespace {

using notationtest::importOk;

/// Codes of the warnings on association links, in order.
std::vector<int> linkCodes(const zrep::Repository &repo) {
  std::vector<int> codes;
  zrep::TypeId link = repo.metamodel().classId("ZEVA::AssocLink");
  for (const zlint::Warning &w : zlint::lint(repo))
    if (w.element && repo.classOf(w.element) == link)
      codes.push_back(w.code);
  return codes;
}

/// A procedure over a library, whose rule holds `pattern`.
std::string model(const std::string &pattern) {
  return R"(
classmodel M {
  package P {
    class Library { books: Book [*]; members: Member [*]; }
    class Book { library: Library [1]; }
    class Rare : Book { }
    class Member { library: Library [1]; friend: Member [*]; friendOf: Member [*]; }
    association LB (Library.books, Book.library);
    association LM (Library.members, Member.library);
    association F (Member.friend, Member.friendOf);
  }
}
transformation T {
  unit u compile {
    procedure p(lib: Library, x: Rare) {
      def b: Book;
      def m: Member;
      def n: Member;
      def r: Rare;
      start;
      rule find {
        lib; x;
        b: Book;
        m: Member;
        n: Member;
        r: Rare;
)" + pattern +
         R"(
      }
      end;
      start -> find;
      find -> end;
      find else -> end;
    }
  }
}
)";
}

TEST(LintLinkEnds, SwappedEndsAreL1) {
  EXPECT_EQ(linkCodes(*importOk(
                model("lib -(Book.library, Library.books)-> b;\n"
                      "create m -(Library.members, Member.library)-> lib;"))),
            (std::vector<int>{1, 1}));
  // The short form, either direction of one association, and a
  // self-association in both orientations are all correct.
  EXPECT_EQ(linkCodes(*importOk(model("lib -books-> b;\n"
                                      "b -library-> lib;\n"
                                      "m -friend-> n;\n"
                                      "m -(Member.friendOf, Member.friend)-> "
                                      "n;"))),
            std::vector<int>{});
}

TEST(LintLinkEnds, EndsOfTwoAssociationsOrNoDestPropAreL2) {
  auto repo = importOk(model("lib -(Library.members, Book.library)-> b;\n"
                             "lib -(Library.books, Library.books)-> b;\n"
                             "lib -?-> b;\n"
                             "lib -books-> r;"));
  // The third link has no ends at all: the compiler reports it (59). The
  // fourth loses its destProp, keeping its sourceProp.
  const zrep::Metamodel &mm = repo->metamodel();
  zrep::TypeId cls = mm.classId("ZEVA::AssocLink");
  zrep::ObjectId last = repo->extentAt(cls, repo->extentSize(cls) - 1);
  zrep::TypeId dest = mm.endId(cls, "destProp");
  repo->deleteLink(dest, last, repo->partners(last, dest).at(0));
  EXPECT_EQ(linkCodes(*repo), (std::vector<int>{2, 2, 2}));
}

TEST(LintLinkEnds, ElementsTheEndsCannotHoldAreL3) {
  // A Member reached along Library.books; a Book at the far side of
  // Member.library, along the way back.
  EXPECT_EQ(linkCodes(*importOk(
                model("lib -(Library.books, Book.library)-> m;\n"
                      "m -(Member.library, Library.members)-> lib;\n"
                      "b -(Member.library, Library.members)-> lib;"))),
            (std::vector<int>{3, 3}));
  // A special class along an end typed by its general class, and the
  // general class along an end typed by the special one, may match.
  EXPECT_EQ(linkCodes(*importOk(model("lib -books-> r;\n"
                                      "x -library-> lib;"))),
            std::vector<int>{});
}

TEST(LintLinkEnds, FaultyClassModelsDoNotStopTheCheck) {
  // Properties without type or association, elements without class, and a
  // generalization cycle.
  auto repo = importOk(R"(
classmodel M {
  package P {
    class A : B { to: B [*]; back: ? [1]; loose: B; }
    class B : A { }
    association (A.to, A.back);
  }
}
transformation T {
  unit u compile {
    procedure p() {
      def a: A;
      def b: B;
      start;
      rule r {
        a: A; b: B; c: ?; ?;
        a -to-> b;
        b -back-> a;
        a -(A.loose, A.to)-> c;
        c -(A.to, A.back)-> ?;
        a -(A.to, A.back)-> a#2;
        a: A;
      }
    }
  }
}
)");
  EXPECT_EQ(linkCodes(*repo), (std::vector<int>{2}));
}

} // namespace
