// zevac run: calls, parameters, pointers and expressions of compiled
// programs, each as a small model run on a small instance model.

#include "run_constructs.h"

namespace {

using namespace runconstructs;

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

// A procedure that calls nothing runs in its caller's frame, yet each call
// starts with fresh variables and gets its argument (the count grows by
// 1 + 0, 1 + 1 and 1 + 2, not by 1, 3 and 5), and a fault in it names it.
TEST_F(RunConstructsTest, ShortProceduresStartAfreshAndNameTheirFaults) {
  const char *procedures = R"(
    main procedure main() {
      def b: Book;
      var i: Integer;
      start;
      text zero { i := 0; }
      while again {
        head rule more { b: Book where n > i; }
        call once = tally(i);
        text up { i := i + 1; }
        more -> once; once -> up;
      }
      end;
      start -> zero; zero -> again; again -> end;
    }
    procedure tally(step: Integer) {
      def m: Member; var k: Integer;
      start;
      rule find { m: Member; }
      text count {
        k := k + 1;
        m.n := m.n + k + step;
      }
      end;
      start -> find; find -> count; find else -> end; count -> end;
    }
)";
  EXPECT_EQ(run(procedures, {"1 Member n=10", "2 Book n=3"}),
            "1 Member n=16\n2 Book n=3\n");

  const char *broken = R"(
    main procedure main() {
      start;
      call first = fine();
      call second = broken();
      end;
      start -> first; first -> second; second -> end;
    }
    procedure fine() {
      start;
      end;
      start -> end;
    }
    procedure broken() {
      def m: Member;
      start;
      text write { m.n := 1; }
      end;
      start -> write; write -> end;
    }
)";
  std::string out = run(broken, {"1 Member n=10"});
  EXPECT_NE(out.find("run-time fault in procedure u_broken, at `setAttr m.n="),
            std::string::npos)
      << out;
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

} // namespace
