// zevac run: each construct of the compiled programs, as a small model in
// the notation compiled and run on a small instance model, checked on the
// instance model the run leaves.

#include "cli.h"

#include <rapidjson/document.h>

#include <initializer_list>

namespace {

using namespace clitest;

/// The class model of every test; the tests add the unit `u`.
const char *const kClasses = R"(project T at "t/Project.zvp";
classmodel M {
  package T {
    class Member {
      name: String;
      n: Integer;
      hit: Boolean;
      note: String;
      loans: Loan [*] ordered;
      favourites: Book [*] ordered;
    }
    class Loan {
      status: Status;
      days: Integer;
      member: Member [0..1];
      book: Book [0..1];
    }
    class Book {
      title: String;
      n: Integer;
      fans: Member [*];
      loans: Loan [*];
    }
    class ReferenceBook : Book;
    class Atlas : ReferenceBook;
    class EBook : Book;
    class Node {
      n: Integer;
      sum: Integer;
      next: Node [0..1];
      prev: Node [0..1];
      children: Node [*] ordered;
      parent: Node [0..1];
    }
    class Leaf : Node;
    class Probe {
      name: String;
      number: Integer;
      flag: Boolean;
      status: Status;
      parsed: Integer;
      length: Integer;
      found: Integer;
      missing: Integer;
      intText: String;
      boolText: String;
      enumText: String;
      from2: String;
      from2to4: String;
      lower: String;
      upper: String;
      truth: Boolean;
      joined: String;
      arith: Integer;
      left: Integer;
      wrapped: Integer;
      escapes: Integer;
    }
    enum Status { Open, Returned, Overdue }
    association MemberLoans (Member.loans, Loan.member);
    association BookLoans (Book.loans, Loan.book);
    association Favourites (Member.favourites, Book.fans);
    association Chain (Node.next, Node.prev);
    association Tree (Node.children, Node.parent);
  }
  primitive String;
  primitive Integer;
  primitive Boolean;
}
)";

/// One object of an instance model as "ID Class attr=value role->ID,ID":
/// the class without its package, values without blanks.
std::string objectJson(const std::string &line) {
  std::istringstream in(line);
  std::string id, cls, item, attrs, links;
  in >> id >> cls;
  while (in >> item) {
    std::size_t arrow = item.find("->");
    if (arrow != std::string::npos)
      links += (links.empty() ? "\"" : ", \"") + item.substr(0, arrow) +
               "\": [" + item.substr(arrow + 2) + "]";
    else
      attrs += (attrs.empty() ? "\"" : ", \"") +
               item.substr(0, item.find('=')) + "\": \"" +
               item.substr(item.find('=') + 1) + "\"";
  }
  return "{\"id\": " + id + ", \"class\": \"t::" + cls + "\", \"attrs\": {" +
         attrs + "}, \"links\": {" + links + "}}";
}

/// The objects of a saved instance model, one a line in the form of
/// objectJson without the links.
std::string summary(const std::string &json) {
  rapidjson::Document doc;
  doc.Parse(json.c_str());
  if (doc.HasParseError() || !doc.IsObject() || !doc.HasMember("objects"))
    return "unreadable model:\n" + json;
  std::string out;
  for (const rapidjson::Value &o : doc["objects"].GetArray()) {
    std::string cls = o["class"].GetString();
    out +=
        std::to_string(o["id"].GetInt()) + " " + cls.substr(cls.rfind(':') + 1);
    if (o.HasMember("attrs"))
      for (const auto &a : o["attrs"].GetObject())
        out +=
            std::string(" ") + a.name.GetString() + "=" + a.value.GetString();
    out += "\n";
  }
  return out;
}

class RunConstructsTest : public ScratchTest {
protected:
  /// Compiles the unit `u` holding `procedures` (its main procedure first)
  /// beside kClasses, runs it on the instance model of `objects` and gives
  /// the model it leaves, as summary lines.
  std::string run(const std::string &procedures,
                  std::initializer_list<std::string> objects) {
    write("t.zeva", std::string(kClasses) +
                        "transformation T {\n  unit u compile {\n" +
                        procedures + "  }\n}\n");
    Result r = zevac("compile t.zeva -o compiled.json", dir);
    if (r.status != 0)
      return "compilation failed:\n" + r.out;
    std::string model = R"({"format": "zeva-repository", "version": 1,)"
                        "\n\"objects\": [";
    for (const std::string &o : objects)
      model += (&o == objects.begin() ? "\n" : ",\n") + objectJson(o);
    write("instance.json", model + "]}\n");
    r = zevac("run compiled.json --model instance.json -o out.json", dir,
              "2>&1 >/dev/null");
    if (r.status != 0)
      return "run failed:\n" + r.out.substr(0, 2000);
    return summary(slurp(dir / "out.json"));
  }
};

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

// A procedure numbers a chain of nodes by calling itself for the next node,
// then sums the numbers from the end: each call keeps its own node and
// partner across the calls it makes. Another measures a tree, calling
// itself in a foreach over a node's children: each call has its own loop,
// which goes on after the calls its body makes.
TEST_F(RunConstructsTest, Recursion) {
  const char *procedures = R"(
    main procedure main() {
      def h: Node; def h2: Node; def x: Node; def r: Node; def k: Node;
      start;
      rule findHead {
        h: Node;
        h2: Node;
        h -next-> h2;
        not x: Node;
        x -next-> h;
      }
      call chain = number(h, 1);
      rule findRoot {
        r: Node;
        k: Node;
        r -children-> k;
        not x: Node;
        x -children-> r;
      }
      call tree = measure(r, 0);
      end;
      start -> findHead; findHead -> chain; chain -> findRoot; findRoot -> tree;
      tree -> end;
    }
    procedure number(p: Node, k: Integer) {
      def q: Node;
      start;
      text set { p.n := k; }
      rule step {
        p;
        q: Node;
        p -next-> q;
      }
      call deeper = number(q, k + 1);
      text sumUp { p.sum := p.n + q.sum; }
      text last { p.sum := p.n; }
      end;
      start -> set; set -> step; step -> deeper; step else -> last;
      deeper -> sumUp; sumUp -> end; last -> end;
    }
    procedure measure(t: Node, depth: Integer) {
      def c: Node;
      start;
      text enter {
        t.n := depth;
        t.sum := 1;
      }
      foreach kids {
        head rule eachKid {
          t;
          each c: Node;
          t -children-> c;
        }
        call down = measure(c, depth + 1);
        text add { t.sum := t.sum + c.sum; }
        eachKid -> down; down -> add;
      }
      end;
      start -> enter; enter -> kids; kids -> end;
    }
)";
  EXPECT_EQ(run(procedures,
                {"1 Node next->2", "2 Node", "3 Node next->4", "4 Node next->1",
                 "13 Node children->15", "11 Node children->13,14", "12 Node",
                 "14 Node", "15 Node", "10 Node children->11,12"}),
            R"(1 Node n=3 sum=7
2 Node n=4 sum=4
3 Node n=1 sum=10
4 Node n=2 sum=9
13 Node n=2 sum=2
11 Node n=1 sum=4
12 Node n=1 sum=1
14 Node n=2 sum=1
15 Node n=3 sum=1
10 Node n=0 sum=6
)");
}

// Assignments to inout parameters reach the caller's variables, call after
// call; a parameter passed by value leaves the caller's variable as it was.
TEST_F(RunConstructsTest, InoutParameters) {
  const char *procedures = R"(
    main procedure main() {
      def a: Member; var i: Integer; var s: String; var v: Integer;
      start;
      rule findAnn { a: Member where name = "Ann"; }
      text init {
        i := 40;
        s := "hi";
        v := 7;
      }
      call once = change(i, s, v);
      call twice = change(i, s, v);
      text save {
        a.n := i;
        a.note := s + toString(v);
      }
      end;
      start -> findAnn; findAnn -> init; init -> once; once -> twice;
      twice -> save; save -> end;
    }
    procedure change(inout i: Integer, inout s: String, v: Integer) {
      start;
      text t {
        i := i + 1;
        s := s + "!";
        v := v + 1;
      }
      end;
      start -> t; t -> end;
    }
)";
  EXPECT_EQ(run(procedures, {"1 Member name=Ann"}),
            "1 Member name=Ann n=42 note=hi!!7\n");
}

// Pointers: an inout pointer parameter set in the callee moves the
// caller's pointer; clearing a by-value one leaves the caller's as it was.
// A variable assigned a pointer reaches its object's partners, and once
// assigned NULL reaches none, so the rule using it takes its ELSE flow.
TEST_F(RunConstructsTest, PointerAssignmentsAndNull) {
  const char *procedures = R"(
    main procedure main() {
      def a: Member; def b: Member; def c: Member; def l: Loan; var v: Member;
      start;
      rule findAnn { a: Member where name = "Ann"; }
      rule findBob { b: Member where name = "Bob"; }
      call point = point(c, b);
      text markC { c.note := "via c"; }
      call clear = clear(a);
      text markA { a.n := 1; }
      text copy { v := a; }
      rule useCopy {
        v;
        l: Loan;
        v -loans-> l;
        l.days := 8;
      }
      text nullify { v := NULL; }
      rule useNull {
        v;
        l: Loan;
        v -loans-> l;
        l.days := 9;
      }
      text noV { b.n := 2; }
      end;
      start -> findAnn; findAnn -> findBob; findBob -> point; point -> markC;
      markC -> clear; clear -> markA; markA -> copy; copy -> useCopy;
      useCopy -> nullify; nullify -> useNull; useNull -> end;
      useNull else -> noV; noV -> end;
    }
    procedure point(inout p: Member, q: Member) {
      start;
      text t { p := q; }
      end;
      start -> t; t -> end;
    }
    procedure clear(p: Member) {
      start;
      text t { p := NULL; }
      end;
      start -> t; t -> end;
    }
)";
  EXPECT_EQ(run(procedures, {"1 Member name=Ann loans->11", "2 Member name=Bob",
                             "11 Loan status=OPEN"}),
            R"(1 Member name=Ann n=1
2 Member name=Bob n=2 note=via c
11 Loan status=OPEN days=8
)");
}

// Every built-in function of expressions, texts joined with +, arithmetic
// with precedence, brackets, left grouping, a unary minus and wrapping
// around, and the escapes of string constants (\t, \\, and \q as itself).
TEST_F(RunConstructsTest, BuiltinFunctionsAndArithmetic) {
  const char *procedures = R"(
    main procedure main() {
      def p: Probe;
      start;
      rule find { p: Probe; }
      text calc {
        p.status := toEnum("OVERDUE");
        p.parsed := toInteger("42");
        p.length := size("hello");
        p.found := indexOf("hello", "ll");
        p.missing := indexOf("hello", "z");
        p.intText := toString(p.number);
        p.boolText := toString(p.flag);
        p.enumText := toString(p.status);
        p.from2 := substring("abcdef", 2);
        p.from2to4 := substring("abcdef", 2, 4);
        p.lower := toLower("MiXeD");
        p.upper := toUpper("MiXeD");
        p.truth := toBoolean("true");
        p.joined := "<" + p.name + ">" + toString(1 + 2);
        p.arith := (2 + 3) * 4 - 6 * 2 - 1;
        p.left := 10 - 3 - 2 + p.number * (1 - 3) - -1;
        p.wrapped := 65536 * 65536 + 2147483647 + 1;
        p.escapes := size("a\tb\q\\");
      }
      end;
      start -> find; find -> calc; calc -> end;
    }
)";
  EXPECT_EQ(run(procedures, {"1 Probe name=Ann number=-7 flag=false"}),
            "1 Probe name=Ann number=-7 flag=false status=OVERDUE parsed=42 "
            "length=5 found=2 missing=-1 intText=-7 boolText=false "
            "enumText=OVERDUE from2=bcdef from2to4=bcd lower=mixed "
            "upper=MIXED truth=true joined=<Ann>3 arith=7 left=20 "
            "wrapped=-2147483648 escapes=6\n");
}

// Each relation on numbers (10 > 3, unlike the texts), and, or, not with
// and without brackets, enumeration comparisons and a byte-wise comparison
// of texts ("B" < "b"), as conditions of text statements whose ELSE flows
// go on to the next test.
TEST_F(RunConstructsTest, ComparisonsAndBooleanOperators) {
  const char *procedures = R"(
    main procedure main() {
      def p: Probe;
      start;
      foreach probes {
        head rule eachProbe { each p: Probe; }
        text lt { when p.number < 3; p.joined := p.joined + "lt,"; }
        text gt { when p.number > 3; p.joined := p.joined + "gt,"; }
        text le { when p.number <= 3; p.joined := p.joined + "le,"; }
        text ge { when p.number >= 3; p.joined := p.joined + "ge,"; }
        text eq { when p.number = 3; p.joined := p.joined + "eq,"; }
        text ne { when p.number <> 3; p.joined := p.joined + "ne,"; }
        text orLast {
          when p.number >= 3 and not p.flag or p.status = Open;
          p.truth := true;
        }
        text bracketed {
          when p.number >= 3 and (p.flag or p.status = Open);
          p.boolText := "yes";
        }
        text notOverdue {
          when p.status <> Overdue;
          p.enumText := "not overdue";
        }
        text beforeB {
          when p.name < "b";
          p.lower := "yes";
        }
        eachProbe -> lt; lt -> gt; lt else -> gt; gt -> le; gt else -> le;
        le -> ge; le else -> ge; ge -> eq; ge else -> eq; eq -> ne;
        eq else -> ne; ne -> orLast; ne else -> orLast; orLast -> bracketed;
        orLast else -> bracketed; bracketed -> notOverdue;
        bracketed else -> notOverdue; notOverdue -> beforeB;
        notOverdue else -> beforeB;
      }
      end;
      start -> probes; probes -> end;
    }
)";
  EXPECT_EQ(
      run(procedures, {"1 Probe name=a number=2 flag=false status=OPEN",
                       "2 Probe name=B number=3 flag=true status=OVERDUE",
                       "3 Probe name=b number=4 flag=false status=RETURNED",
                       "4 Probe name=ab number=2 flag=false status=RETURNED",
                       "5 Probe number=10 flag=false status=OPEN"}),
      R"(1 Probe name=a number=2 flag=false status=OPEN enumText=not overdue lower=yes truth=true joined=lt,le,ne,
2 Probe name=B number=3 flag=true status=OVERDUE boolText=yes lower=yes joined=le,ge,eq,
3 Probe name=b number=4 flag=false status=RETURNED enumText=not overdue truth=true joined=gt,ge,ne,
4 Probe name=ab number=2 flag=false status=RETURNED enumText=not overdue lower=yes joined=lt,le,ne,
5 Probe number=10 flag=false status=OPEN boolText=yes enumText=not overdue lower=yes truth=true joined=gt,ge,ne,
)");
}

// isKindOf takes subclasses, isTypeOf the exact class only (both name the
// class by its full name); ->isEmpty()
// and ->notEmpty() test an attribute of the element; NULL empties one.
TEST_F(RunConstructsTest, TypeTestsEmptinessAndNull) {
  const char *procedures = R"(
    main procedure main() {
      def b: Book; def p: Probe;
      start;
      foreach kinds {
        head rule kind {
          each b: Book where self.isKindOf(T::ReferenceBook);
          b.n := n + 1;
        }
      }
      foreach types {
        head rule type {
          each b: Book where b.isTypeOf(T::ReferenceBook);
          b.n := n + 10;
        }
      }
      foreach empties {
        head rule empty {
          each p: Probe where name->isEmpty();
          p.joined := "empty";
        }
      }
      foreach fulls {
        head rule full {
          each p: Probe where intText->notEmpty();
          p.intText := NULL;
          p.number := 1;
        }
      }
      end;
      start -> kinds; kinds -> types; types -> empties; empties -> fulls;
      fulls -> end;
    }
)";
  EXPECT_EQ(run(procedures, {"1 Book", "2 EBook", "3 ReferenceBook", "4 Atlas",
                             "5 Probe name=Ann intText=x", "6 Probe intText=y",
                             "7 Probe name=Bob"}),
            R"(1 Book
2 EBook
3 ReferenceBook n=11
4 Atlas n=1
5 Probe name=Ann number=1
6 Probe number=1 joined=empty
7 Probe name=Bob
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
