//===- program.cpp - Read the Kel program of a compiled repository --------===//

#include "program.h"

#include "named_access.h"

#include <unordered_set>

namespace kel {

namespace {

using zrep::ObjectId;

/// Block nesting beyond which a command tree is not followed: a broken
/// model must not exhaust the stack.
constexpr int kMaxDepth = 400;

class Reader : zrep::NamedAccess {
public:
  Reader(const zrep::Repository &repo, std::vector<std::string> &problems)
      : NamedAccess(repo), problems_(problems) {}

  Unit unit(ObjectId t);

private:
  std::vector<Definition> definitions(ObjectId defblock);
  Procedure procedure(ObjectId pf);
  void block(ObjectId kb, std::vector<Command> &out, ObjectId &origin,
             const std::string &where, int depth);
  Command command(ObjectId kom, ObjectId &origin, const std::string &where,
                  int depth);
  std::vector<ExprElem> expression(ObjectId expr, const std::string &where);

  std::vector<std::string> &problems_;
  /// Every command and chain element read so far: one met again is a
  /// cycle or a shared tail.
  std::unordered_set<ObjectId> seen_;
};

std::vector<Definition> Reader::definitions(ObjectId defblock) {
  std::vector<Definition> defs;
  if (!defblock)
    return defs;
  for (ObjectId d : many(defblock, "def"))
    defs.push_back({attr(d, "name1"), attr(d, "type1"), cls(d) == "Po", false});
  return defs;
}

Unit Reader::unit(ObjectId t) {
  Unit u;
  u.id = t;
  u.name = attr(t, "name1");
  for (ObjectId d : many(t, "dir"))
    u.directives.push_back({attr(d, "val"), attr(d, "file_name")});
  u.globals = definitions(one(t, "block"));
  for (ObjectId pf : many(t, "pf"))
    u.procedures.push_back(procedure(pf));
  return u;
}

Procedure Reader::procedure(ObjectId pf) {
  Procedure p;
  p.id = pf;
  p.source = one(pf, "procfunctOf");
  p.name = attr(pf, "name1");
  p.isMain = flag(pf, "is_main");
  p.isNative = flag(pf, "is_native");
  p.debug = flag(pf, "debug_mode");
  p.returnType = attr(pf, "return_type");
  std::string where = "procedure " + p.name;
  std::unordered_set<ObjectId> params;
  for (ObjectId q = one(pf, "param"); q; q = one(q, "next1")) {
    if (!params.insert(q).second) {
      problems_.push_back(where + ": the parameter chain runs in a cycle");
      break;
    }
    p.params.push_back(
        {attr(q, "name1"), attr(q, "type1"), false, flag(q, "byRef")});
  }
  p.locals = definitions(one(pf, "pfblock"));
  if (ObjectId kb = one(pf, "block")) {
    p.hasBody = true;
    ObjectId origin = p.source;
    block(kb, p.body, origin, where, 0);
  }
  return p;
}

void Reader::block(ObjectId kb, std::vector<Command> &out, ObjectId &origin,
                   const std::string &where, int depth) {
  if (depth > kMaxDepth) {
    problems_.push_back(where + ": blocks nested more than " +
                        std::to_string(kMaxDepth) + " deep");
    return;
  }
  for (ObjectId kom = one(kb, "start"); kom; kom = one(kom, "next1")) {
    if (!seen_.insert(kom).second) {
      problems_.push_back(where + ": the command chain reaches " + cls(kom) +
                          " #" + std::to_string(kom) +
                          " a second time (a cycle or a shared command)");
      return;
    }
    out.push_back(command(kom, origin, where, depth));
  }
}

Command Reader::command(ObjectId kom, ObjectId &origin,
                        const std::string &where, int depth) {
  Command c;
  c.id = kom;
  const std::string &k = cls(kom);
  if (k == "Skom") {
    // A label of a flow end starts that flow end's segment; the labels a
    // loop adds belong to the loop.
    if (ObjectId fe = one(kom, "stflowend"))
      origin = c.flowEnd = fe;
    else if (ObjectId loop = one(kom, "endlabelOf"))
      origin = loop;
    c.kind = Command::Text;
    c.text = attr(kom, "text");
    c.name = attr(kom, "name");
    if (ObjectId e = one(kom, "expr2")) {
      c.hasExpr = true;
      c.expr = expression(e, where);
    }
  } else if (k == "Gotokom") {
    c.kind = Command::Goto;
    c.target = attr(kom, "labname");
  } else if (k == "Ekom") {
    c.kind = Command::Test;
    c.text = attr(kom, "text");
    c.target = attr(kom, "else1");
  } else if (k == "Ifthenkom") {
    c.kind = Command::If;
  } else if (k == "Foreachkom") {
    c.kind = Command::Foreach;
    c.name = attr(kom, "name1");
    c.text = attr(kom, "text");
  } else if (k == "FNkom") {
    c.kind = Command::First;
    c.name = attr(kom, "name1");
    c.type = attr(kom, "type1");
    c.text = attr(kom, "text");
    c.target = attr(kom, "else1");
  } else {
    problems_.push_back(where + ": " + k + " #" + std::to_string(kom) +
                        " is not a command");
    c.kind = Command::Text;
  }
  c.origin = origin;
  if (c.kind == Command::First)
    if (ObjectId el = one(kom, "komOfElement"))
      c.origin = el;

  static const char *const kRoles[3][3] = {
      {"if1", "then1", "else1"}, // If
      {"suchthat2", "foreach1", nullptr},
      {"suchthat1", nullptr, nullptr},
  };
  int row = c.kind == Command::If        ? 0
            : c.kind == Command::Foreach ? 1
            : c.kind == Command::First   ? 2
                                         : -1;
  if (row >= 0)
    for (int i = 0; i < 3 && kRoles[row][i]; ++i)
      if (ObjectId kb = one(kom, kRoles[row][i])) {
        c.hasBlock[i] = true;
        // Commands inside nested blocks come from the same flow end; a
        // label inside one does not change the origin of what follows.
        ObjectId inner = c.origin;
        block(kb, c.blocks[i], inner, where, depth + 1);
      }
  return c;
}

std::vector<ExprElem> Reader::expression(ObjectId expr,
                                         const std::string &where) {
  std::vector<ExprElem> elems;
  for (ObjectId el = one(expr, "start"); el; el = one(el, "next1")) {
    if (!seen_.insert(el).second) {
      problems_.push_back(where + ": the expression chain reaches " + cls(el) +
                          " #" + std::to_string(el) + " a second time");
      break;
    }
    ExprElem e;
    e.id = el;
    const std::string &k = cls(el);
    if (k == "Atr") {
      e.kind = ExprElem::Atr;
      e.name = attr(el, "name1");
      e.pointer = attr(el, "classPointer");
    } else if (k == "Vari") {
      e.kind = ExprElem::Vari;
      e.name = attr(el, "name1");
      e.isPointer = flag(el, "isPointer");
    } else if (k == "Funct") {
      e.kind = ExprElem::Funct;
      e.name = attr(el, "name1");
      std::unordered_set<ObjectId> params;
      for (ObjectId p = one(el, "start"); p; p = one(p, "next1")) {
        if (!params.insert(p).second)
          break;
        e.params.push_back(attr(p, "name1"));
      }
    } else {
      e.kind = k == "Op"      ? ExprElem::Op
               : k == "Brack" ? ExprElem::Brack
                              : ExprElem::Const;
      e.name = attr(el, "val");
    }
    e.type = attr(el, "type1");
    elems.push_back(std::move(e));
  }
  return elems;
}

} // namespace

Program readProgram(const zrep::Repository &repo,
                    std::vector<std::string> &problems) {
  Program program;
  zrep::TypeId transformation = repo.metamodel().classId("Transformation");
  Reader reader(repo, problems);
  for (const zrep::Object *o : repo.allObjects())
    if (o->cls == transformation)
      program.units.push_back(reader.unit(o->id));
  return program;
}

} // namespace kel
