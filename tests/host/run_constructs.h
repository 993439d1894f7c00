// zevac run: the fixture of the construct tests. Each test is a small model
// in the notation, compiled and run on a small instance model, and checked on
// the instance model the run leaves.
#pragma once

#include "cli.h"

#include <rapidjson/document.h>

#include <initializer_list>

namespace runconstructs {

using namespace clitest;

/// The class model of every test; the tests add the unit `u`.
inline const char *const kClasses = R"(project T at "t/Project.zvp";
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
inline std::string objectJson(const std::string &line) {
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
inline std::string summary(const std::string &json) {
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

} // namespace runconstructs
