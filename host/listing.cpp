//===- listing.cpp - Readable listing of the Kel program model ------------===//

#include "listing.h"

#include "file_text.h"
#include "named_access.h"
#include "repository.h"

#include <functional>
#include <ostream>
#include <string>
#include <unordered_set>
#include <vector>

namespace zevac {

namespace {

using zrep::ObjectId;

constexpr const char *kMissing = "<missing>";
/// Nesting of command blocks beyond which a block is not expanded; keeps a
/// looping or absurdly deep model from exhausting the stack.
constexpr int kMaxDepth = 200;

class Lister : zrep::NamedAccess {
public:
  Lister(const zrep::Repository &repo, ListingObserver &out)
      : NamedAccess(repo), out_(out) {}

  void transformation(ObjectId t);
  void head(ObjectId t);
  void procFunct(ObjectId pf, int depth);
  void commands(ObjectId first, int depth, ObjectId last = 0);

private:
  /// The attribute as shown, or "<missing>" when it is empty.
  std::string required(ObjectId id, const char *name) const {
    const std::string &v = attr(id, name);
    return v.empty() ? kMissing : zrep::printableWhole(v);
  }
  void line(int depth, const std::string &text) { out_.line(depth, text); }

  /// Stops after `last` when it is given.
  std::string walk(ObjectId first, const std::function<void(ObjectId)> &visit,
                   ObjectId last = 0);
  void definitions(ObjectId defblock, int depth);
  std::string parameters(ObjectId pf);
  void block(ObjectId kb, int depth);
  void section(const char *keyword, ObjectId kb, int depth, bool always);
  void command(ObjectId kom, int depth);
  void text(const std::string &t, const std::string &suffix, int depth);
  std::string expression(ObjectId expr);
  std::string element(ObjectId el);

  ListingObserver &out_;
  /// Chain members listed so far; a chain that reaches one again stops.
  std::unordered_set<ObjectId> listed_;
  /// Chain members whose walk has not finished: reaching one is a cycle.
  std::unordered_set<ObjectId> open_;
};

/// Follows "next1" from `first` and visits each object once. Returns the
/// marker that ends a broken chain, or the empty text at a proper end.
std::string Lister::walk(ObjectId first,
                         const std::function<void(ObjectId)> &visit,
                         ObjectId last) {
  std::vector<ObjectId> chain;
  std::string marker;
  for (ObjectId id = first; id; id = id == last ? 0 : one(id, "next1")) {
    if (!listed_.insert(id).second) {
      marker =
          open_.count(id) ? "<cycle>" : "<shared #" + std::to_string(id) + ">";
      break;
    }
    open_.insert(id);
    chain.push_back(id);
    visit(id);
  }
  for (ObjectId id : chain)
    open_.erase(id);
  return marker;
}

void Lister::transformation(ObjectId t) {
  head(t);
  for (ObjectId pf : many(t, "pf")) {
    line(0, "");
    procFunct(pf, 1);
  }
}

/// The name, directives and global definitions of a Transformation.
void Lister::head(ObjectId t) {
  line(0, "transformation " + required(t, "name1"));
  for (ObjectId d : many(t, "dir"))
    line(1, required(d, "val") + " \"" +
                zrep::printableWhole(attr(d, "file_name")) + "\"");
  definitions(one(t, "block"), 1);
}

void Lister::definitions(ObjectId defblock, int depth) {
  if (!defblock)
    return;
  for (ObjectId d : many(defblock, "def"))
    line(depth, (cls(d) == "Po" ? "pointer " : "var ") + required(d, "name1") +
                    " : " + required(d, "type1"));
}

std::string Lister::parameters(ObjectId pf) {
  std::string list;
  std::string end = walk(one(pf, "param"), [&](ObjectId p) {
    list += list.empty() ? "" : ", ";
    list += (flag(p, "byRef") ? "ref " : "") + required(p, "name1") + " : " +
            required(p, "type1");
  });
  if (!end.empty())
    list += (list.empty() ? "" : ", ") + end;
  return list;
}

void Lister::procFunct(ObjectId pf, int depth) {
  std::string head;
  if (flag(pf, "is_native"))
    head += "native ";
  if (flag(pf, "is_main"))
    head += "main ";
  if (flag(pf, "debug_mode"))
    head += "debug ";
  head += "procedure " + required(pf, "name1") + '(' + parameters(pf) + ')';
  if (const std::string &ret = attr(pf, "return_type"); !ret.empty())
    head += " : " + zrep::printableWhole(ret);
  line(depth, head);
  definitions(one(pf, "pfblock"), depth + 1);
  // Native declarations have no body at all; an empty body still shows.
  if (ObjectId kb = one(pf, "block")) {
    line(depth, "begin");
    block(kb, depth + 1);
    line(depth, "end");
  }
}

void Lister::block(ObjectId kb, int depth) {
  commands(one(kb, "start"), depth);
}

void Lister::commands(ObjectId first, int depth, ObjectId last) {
  if (depth > kMaxDepth) {
    line(depth, "<too deep>");
    return;
  }
  std::string end = walk(
      first,
      [&](ObjectId kom) {
        out_.beginCommand(kom);
        command(kom, depth);
        out_.endCommand(kom);
      },
      last);
  if (!end.empty())
    line(depth, end);
}

/// A keyword line with the block's commands indented under it; an empty or
/// missing block prints nothing unless `always`.
void Lister::section(const char *keyword, ObjectId kb, int depth, bool always) {
  bool empty = !kb || !one(kb, "start");
  if (empty && !always)
    return;
  line(depth, keyword);
  if (!empty)
    block(kb, depth + 1);
}

/// Prints the statement text `t` one output line per Kel statement, with
/// `suffix` after the last. The compiler ends each statement but the last
/// of a command with ";" and a line feed; every other line feed came from
/// the model and is shown escaped.
void Lister::text(const std::string &t, const std::string &suffix, int depth) {
  std::size_t from = 0;
  for (std::size_t nl = t.find(";\n"); nl != std::string::npos;
       nl = t.find(";\n", from)) {
    line(depth,
         zrep::printableWhole(std::string_view(t).substr(from, nl + 1 - from)));
    from = nl + 2;
  }
  line(depth, zrep::printableWhole(std::string_view(t).substr(from)) + suffix);
}

void Lister::command(ObjectId kom, int depth) {
  const std::string &c = cls(kom);
  std::string elseGoto;
  if (const std::string &e = attr(kom, "else1"); !e.empty())
    elseGoto = " else goto " + zrep::printableWhole(e);
  if (c == "Skom") {
    const std::string &name = attr(kom, "name");
    const std::string &t = attr(kom, "text");
    // The value of an assignment is an Expression after the text.
    ObjectId expr = one(kom, "expr2");
    if (!name.empty() && t == "label " + name)
      line(depth, zrep::printableWhole(name) + ":");
    else if (t.empty() && !expr)
      line(depth, kMissing);
    else
      text(t, expression(expr), depth);
  } else if (c == "Gotokom") {
    const std::string &label = attr(kom, "labname");
    line(depth, "goto" + std::string(label.empty() ? "" : " ") +
                    zrep::printableWhole(label));
  } else if (c == "Ekom") {
    if (const std::string &t = attr(kom, "text"); t.empty())
      line(depth, kMissing + elseGoto);
    else
      text(t, elseGoto, depth);
  } else if (c == "Ifthenkom") {
    section("if", one(kom, "if1"), depth, true);
    section("then", one(kom, "then1"), depth, false);
    section("else", one(kom, "else1"), depth, false);
    line(depth, "end");
  } else if (c == "Foreachkom") {
    line(depth,
         "foreach " + required(kom, "name1") + " : " + required(kom, "text"));
    section("suchthat", one(kom, "suchthat2"), depth, false);
    section("do", one(kom, "foreach1"), depth, false);
    line(depth, "end");
  } else if (c == "FNkom") {
    line(depth, required(kom, "type1") + ' ' + required(kom, "name1") + " : " +
                    required(kom, "text") + elseGoto);
    // A search without conditions is a single line.
    ObjectId kb = one(kom, "suchthat1");
    if (kb && one(kb, "start")) {
      section("suchthat", kb, depth, false);
      line(depth, "end");
    }
  } else {
    line(depth, '<' + c + " #" + std::to_string(kom) + '>');
  }
}

/// The elements of an expression, blank-separated except inside brackets.
std::string Lister::expression(ObjectId expr) {
  if (!expr)
    return {};
  std::string result;
  bool afterOpen = true;
  auto add = [&](const std::string &token) {
    if (!afterOpen && token != ")")
      result += ' ';
    result += token;
    afterOpen = token == "(";
  };
  std::string end =
      walk(one(expr, "start"), [&](ObjectId el) { add(element(el)); });
  if (!end.empty())
    add(end);
  return result;
}

std::string Lister::element(ObjectId el) {
  const std::string &c = cls(el);
  if (c == "Atr") {
    const std::string &pointer = attr(el, "classPointer");
    return (pointer.empty() ? "" : zrep::printableWhole(pointer) + ".") +
           required(el, "name1");
  }
  if (c == "Vari")
    return required(el, "name1");
  if (c == "Funct") {
    std::string call = required(el, "name1") + "(";
    bool first = true;
    std::string end = walk(one(el, "start"), [&](ObjectId p) {
      call += (first ? "" : ", ") + required(p, "name1");
      first = false;
    });
    if (!end.empty())
      call += (first ? "" : ", ") + end;
    return call + ")";
  }
  // Const, Op and Brack hold their text in "val".
  return required(el, "val");
}

} // namespace

void ListingObserver::beginCommand(int) {}
void ListingObserver::endCommand(int) {}

namespace {

/// Prints each line indented by two blanks a level.
class StreamLines : public ListingObserver {
public:
  explicit StreamLines(std::ostream &out) : out_(out) {}
  void line(int depth, const std::string &text) override {
    out_ << std::string(2 * depth, ' ') << text << '\n';
  }

private:
  std::ostream &out_;
};

} // namespace

void printListing(const zrep::Repository &repo, std::ostream &out) {
  zrep::TypeId transformation = repo.metamodel().classId("Transformation");
  StreamLines lines(out);
  Lister lister(repo, lines);
  bool any = false;
  for (const zrep::Object *o : repo.allObjects()) {
    if (o->cls != transformation)
      continue;
    if (any)
      out << '\n';
    lister.transformation(o->id);
    any = true;
  }
  if (!any)
    out << "// no Kel program\n";
}

void printProcFunctListing(const zrep::Repository &repo, int procFunct,
                           std::ostream &out) {
  StreamLines lines(out);
  Lister(repo, lines).procFunct(procFunct, 0);
}

void printCommandsListing(const zrep::Repository &repo, int kom,
                          std::ostream &out, int last) {
  StreamLines lines(out);
  Lister(repo, lines).commands(kom, 0, last);
}

void listTransformationHead(const zrep::Repository &repo, int transformation,
                            ListingObserver &out) {
  Lister(repo, out).head(transformation);
}

void listProcFunct(const zrep::Repository &repo, int procFunct,
                   ListingObserver &out) {
  Lister(repo, out).procFunct(procFunct, 0);
}

} // namespace zevac
