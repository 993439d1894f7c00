//===- parse_procedure.cpp - Transformations, procedures, flows -----------===//

#include "parser.h"

#include "stack_segments.h"

namespace notation {

namespace {

/// Package flags after a name: unit, compile, nocompile.
struct PackageFlags {
  bool unit = false, compile = false, noCompile = false;
};

} // namespace

void Parser::transformation() { zevaPackage(0, s_.zModel, false); }

void Parser::zevaBlock(ObjectId owner) {
  if (!expect(Tok::LBrace, "'{'"))
    return recover();
  while (lex_.peek().kind != Tok::RBrace && lex_.peek().kind != Tok::End) {
    if (!zevaItem(owner)) {
      errorHere("expected 'unit', 'package', 'procedure' or 'external'");
      lex_.take();
      recover();
    }
  }
  expect(Tok::RBrace, "'}'");
}

bool Parser::zevaItem(ObjectId owner) {
  if (lex_.isWord("unit"))
    zevaPackage(owner, s_.zPackage, true);
  else if (owner && lex_.isWord("package"))
    zevaPackage(owner, s_.zPackage, false);
  else if (owner && lex_.isWord("transformation"))
    zevaPackage(owner, s_.zModel, false);
  else if (lex_.isWord("procedure") || lex_.isWord("main") ||
           lex_.isWord("debug") || lex_.isWord("nocompile") ||
           lex_.isWord("external"))
    procedure(owner);
  else
    return false;
  return true;
}

void Parser::zevaPackage(ObjectId owner, TypeId cls, bool unit) {
  std::uint32_t at = lex_.take().offset;
  RefName n;
  if (!name(n, "the package's name"))
    return recover();
  ObjectId p = make(cls, at);
  set(p, s_.zName, n.text);
  own(owner, p);
  PackageFlags flags;
  flags.unit = unit;
  for (;;) {
    if (lex_.isWord("unit"))
      flags.unit = true;
    else if (lex_.isWord("compile"))
      flags.compile = true;
    else if (lex_.isWord("nocompile"))
      flags.noCompile = true;
    else
      break;
    lex_.take();
  }
  if (flags.unit)
    set(p, s_.zIsUnit, "true");
  if (flags.compile)
    set(p, s_.zCompileThis, "true");
  if (flags.noCompile)
    set(p, s_.zDoNotCompile, "true");
  tail(p);
  zsupport::withStackRoom([&] { zevaBlock(p); });
}

void Parser::procedure(ObjectId owner) {
  std::uint32_t at = lex_.peek().offset;
  bool isMain = false, debug = false, noCompile = false;
  for (;;) {
    if (lex_.isWord("main"))
      isMain = true;
    else if (lex_.isWord("debug"))
      debug = true;
    else if (lex_.isWord("nocompile"))
      noCompile = true;
    else
      break;
    lex_.take();
  }
  if (lex_.isWord("external")) {
    if (isMain || debug)
      diags_.error(at, "an external procedure is neither 'main' nor 'debug'");
    lex_.take();
    RefName n;
    if (!declName(n, "the procedure's name"))
      return recover();
    checkSibling(owner, 'f', n);
    ObjectId p = make(s_.zExternal, at);
    set(p, s_.zName, n.text);
    if (noCompile)
      set(p, s_.zDoNotCompile, "true");
    own(owner, p);
    parameters(p, false);
    tail(p);
    if (!expect(Tok::Semi, "';'"))
      recover();
    return;
  }
  if (!expectWord("procedure"))
    return recover();
  RefName n;
  if (!declName(n, "the procedure's name"))
    return recover();
  checkSibling(owner, 'f', n);
  ObjectId p = make(s_.zProc, at);
  set(p, s_.zName, n.text);
  if (isMain)
    set(p, s_.zIsMain, "true");
  if (debug)
    set(p, s_.zDebugOn, "true");
  if (noCompile)
    set(p, s_.zDoNotCompile, "true");
  own(owner, p);
  // One procedure's scope at a time: cleared, its tables keep their room.
  if (!proc_)
    proc_ = std::make_unique<Procedure>();
  proc_->clear();
  proc_->proc = p;
  parameters(p, true);
  if (lex_.peek().kind == Tok::Colon) {
    lex_.take();
    RefPath type;
    if (!path(type, "the return type"))
      return recover();
    if (!type.none)
      globals_.push_back({Global::Type, p, s_.zReturnType, type, {}});
  }
  tail(p);
  procedureBody();
  finishProcedure();
}

void Parser::parameters(ObjectId proc, bool owned) {
  if (!expect(Tok::LParen, "'(' and the parameters"))
    return;
  int number = 0;
  while (lex_.peek().kind != Tok::RParen) {
    std::uint32_t at = lex_.peek().offset;
    bool inOut = lex_.isWord("inout");
    if (inOut)
      lex_.take();
    RefName n;
    if (!name(n, "a parameter's name"))
      break;
    ObjectId param = make(s_.zParameter, at);
    set(param, s_.zRefName, n.text);
    set(param, s_.zParamNumber, std::to_string(++number));
    if (inOut)
      set(param, s_.zInOut, "true");
    if (owned) {
      link(s_.zOwnedElement, proc, param);
      proc_->decls[n.text].push_back(param);
    }
    link(s_.zParams, proc, param);
    if (lex_.peek().kind == Tok::Colon) {
      lex_.take();
      RefPath type;
      if (!path(type, "the parameter's type"))
        break;
      if (!type.none)
        globals_.push_back({Global::Type, param, s_.zType, type, {}});
    }
    tail(param);
    if (lex_.peek().kind != Tok::Comma)
      break;
    lex_.take();
  }
  expect(Tok::RParen, "',' or ')'");
}

void Parser::procedureBody() {
  if (!expect(Tok::LBrace, "'{' and the procedure's body"))
    return recover();
  while (procedureItem(0)) {
  }
  expect(Tok::RBrace, "'}'");
}

bool Parser::procedureItem(ObjectId container) {
  const Token &t = lex_.peek();
  if (t.kind == Tok::RBrace || t.kind == Tok::End)
    return false;
  if (t.kind == Tok::Ident) {
    std::string_view w = t.text;
    if (w == "var")
      return declaration(s_.zVariable), true;
    if (w == "def")
      return declaration(s_.zDef), true;
    if (w == "rule")
      return rule(container, false), true;
    if (w == "head") {
      std::uint32_t at = lex_.take().offset;
      if (!container)
        diags_.error(at, "only a loop has a head");
      if (!lex_.isWord("rule")) {
        errorHere("expected 'rule' after 'head'");
        return recover(), true;
      }
      return rule(container, true), true;
    }
    if (w == "call")
      return call(container), true;
    if (w == "text")
      return textStatement(container), true;
    if (w == "foreach")
      return loop(s_.zForeach, container), true;
    if (w == "while")
      return loop(s_.zWhile, container), true;
    if (w == "start" || w == "end") {
      Token word = lex_.take();
      if (lex_.peek().kind == Tok::Arrow || lex_.isWord("else")) {
        RefName from;
        from.text = word.text;
        from.offset = word.offset;
        flow(std::move(from));
      } else {
        simpleNode(w == "start" ? s_.zStart : s_.zEnd, container,
                   word.text == "start" ? "start" : "end", word.offset);
      }
      return true;
    }
  }
  if (t.kind == Tok::Ident || t.kind == Tok::Quoted ||
      t.kind == Tok::Question) {
    RefName from;
    if (!refName(from, "a node's name"))
      return recover(), true;
    flow(std::move(from));
    return true;
  }
  errorHere("expected a declaration, a node or a flow");
  lex_.take();
  recover();
  return true;
}

void Parser::declaration(TypeId cls) {
  std::uint32_t at = lex_.take().offset;
  RefName n;
  if (!refName(n, "the name being declared"))
    return recover();
  auto &same = proc_->decls[n.text];
  if (!same.empty() && n.ordinal != same.size() + 1) {
    diags_.error(n.offset, "'" + n.text +
                               "' is declared twice in this "
                               "procedure");
    std::uint32_t first;
    if (map_.find(same.front(), first))
      diags_.note(first, "'" + n.text + "' is first declared here");
  }
  ObjectId d = make(cls, at);
  set(d, s_.zRefName, n.text);
  link(s_.zOwnedElement, proc_->proc, d);
  same.push_back(d);
  if (lex_.peek().kind == Tok::Colon) {
    lex_.take();
    RefPath type;
    if (!path(type, "the type"))
      return recover();
    if (!type.none)
      globals_.push_back({Global::Type, d, s_.zType, type, {}});
  }
  tail(d);
  if (!expect(Tok::Semi, "';'"))
    recover();
}

ObjectId Parser::node(TypeId cls, ObjectId container, const char *kind) {
  std::uint32_t at = lex_.take().offset;
  RefName n;
  if (!name(n, (std::string("the ") + kind + "'s name").c_str()))
    return 0;
  return makeNode(cls, container, n, at);
}

ObjectId Parser::makeNode(TypeId cls, ObjectId container, const RefName &n,
                          std::uint32_t at) {
  ObjectId id = make(cls, at);
  link(s_.zOwnedElement, proc_->proc, id);
  if (container)
    link(s_.zOwnedFlowEnd, container, id);
  auto [it, fresh] = proc_->nodes.try_emplace(n.text, id, n.offset);
  if (!fresh) {
    diags_.error(n.offset, "a node named '" + n.text +
                               "' is already in this "
                               "procedure");
    diags_.note(it->second.second, "'" + n.text + "' is first named here");
  }
  map_.setNodeName(id, n.text);
  tail(id);
  return id;
}

void Parser::simpleNode(TypeId cls, ObjectId container, const char *kind,
                        std::uint32_t at) {
  // The keyword is taken: the name is optional and defaults to it.
  RefName n;
  n.text = kind;
  n.offset = at;
  if (lex_.peek().kind == Tok::Ident || lex_.peek().kind == Tok::Quoted)
    name(n, "a name");
  makeNode(cls, container, n, at);
  if (!expect(Tok::Semi, "';'"))
    recover();
}

void Parser::call(ObjectId container) {
  ObjectId c = node(s_.zCall, container, "call");
  if (!c || !expect(Tok::Eq, "'=' and the called procedure"))
    return recover();
  RefPath callee;
  if (!path(callee, "the called procedure's name"))
    return recover();
  if (!callee.none)
    globals_.push_back({Global::Proc, c, s_.zProc_, callee, {}});
  if (!expect(Tok::LParen, "'(' and the arguments"))
    return recover();
  int number = 0;
  if (lex_.nextChar() != ')') {
    for (;;) {
      lex_.nextChar();
      ObjectId arg = make(s_.zCallParam, lex_.offset());
      set(arg, s_.zArgNumber, std::to_string(++number));
      link(s_.zCallParams, c, arg);
      if (lex_.nextIs("@{")) {
        lex_.take();
        if (lex_.peek().kind != Tok::LBrace || !attributeValues(arg)) {
          errorHere("expected attribute values in '{...}' after '@'");
          return recover();
        }
      }
      std::uint32_t at;
      if (!lex_.expression(ExprEnd::Argument, text_, at))
        return recover();
      set(arg, s_.zArgExpr, text_);
      if (lex_.peek().kind != Tok::Comma)
        break;
      lex_.take();
    }
  }
  if (!expect(Tok::RParen, "',' or ')'") || !expect(Tok::Semi, "';'"))
    recover();
}

void Parser::loop(TypeId cls, ObjectId container) {
  ObjectId l = node(cls, container, "loop");
  if (!l)
    return recover();
  if (cls == s_.zForeach && lex_.isWord("notfixed")) {
    lex_.take();
    set(l, s_.zNotFixed, "true");
  }
  tail(l);
  if (!expect(Tok::LBrace, "'{' and the loop's body"))
    return recover();
  zsupport::withStackRoom([&] {
    while (procedureItem(l)) {
    }
  });
  expect(Tok::RBrace, "'}'");
}

void Parser::flow(RefName from) {
  ObjectId f = make(s_.zFlow, from.offset);
  link(s_.zOwnedElement, proc_->proc, f);
  if (lex_.isWord("else")) {
    lex_.take();
    set(f, s_.zIsElse, "true");
  }
  if (!expect(Tok::Arrow, "'->' (a flow) or a declaration"))
    return recover();
  RefName to;
  if (!refName(to, "the name of the node the flow goes to"))
    return recover();
  if (from.ordinal || to.ordinal)
    diags_.error(from.ordinal ? from.offset : to.offset,
                 "a node's name is unique in its procedure: it has no '#'");
  if (!from.none)
    proc_->locals.push_back({Local::FlowFrom, f, std::move(from), -1, {}});
  if (!to.none)
    proc_->locals.push_back({Local::FlowTo, f, std::move(to), -1, {}});
  tail(f);
  if (!expect(Tok::Semi, "';'"))
    recover();
}

} // namespace notation
