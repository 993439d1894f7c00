//===- parse_rule.cpp - Rules, text statements and assignments ------------===//

#include "parser.h"

namespace notation {

void Parser::rule(ObjectId container, bool head) {
  ObjectId r = node(s_.zRule, container, "rule");
  if (!r)
    return recover();
  if (head && container)
    link(s_.zLoophead, container, r);
  int index = static_cast<int>(proc_->rules.size());
  proc_->rules.push_back({r, {}});
  if (!expect(Tok::LBrace, "'{' and the rule's pattern"))
    return recover();
  while (ruleItem(index)) {
  }
  expect(Tok::RBrace, "'}'");
}

bool Parser::ruleItem(int rule) {
  const Token &t = lex_.peek();
  if (t.kind == Tok::RBrace || t.kind == Tok::End)
    return false;
  std::uint32_t at = t.offset;
  bool isNot = false;
  const char *kind = nullptr;
  for (;;) {
    if (lex_.isWord("not") && !isNot)
      isNot = true;
    else if (!kind && lex_.isWord("create"))
      kind = "Create";
    else if (!kind && lex_.isWord("delete"))
      kind = "Delete";
    else if (!kind && lex_.isWord("each"))
      kind = "LoopVariable";
    else
      break;
    lex_.take();
  }
  Tok k = lex_.peek().kind;
  if (k != Tok::Ident && k != Tok::Quoted && k != Tok::Question) {
    errorHere("expected an element, a link or an assignment");
    lex_.take();
    recover();
    return true;
  }
  RefName first;
  if (!refName(first, "an element's name")) {
    recover();
    return true;
  }
  k = lex_.peek().kind;
  if (k == Tok::Dash || k == Tok::DashDash) {
    assocLink(rule, std::move(first), isNot, kind, at);
  } else if (k == Tok::Dot || k == Tok::Assign) {
    if (isNot || kind)
      diags_.error(at, "an assignment has no 'not', 'create', 'delete' or "
                       "'each'");
    // The target is read: hand it over through a local.
    ObjectId a = make(s_.zAssignment, first.offset);
    link(s_.zOwnedAssign, proc_->rules[static_cast<std::size_t>(rule)].rule, a);
    if (!first.none)
      proc_->locals.push_back({Local::Target, a, std::move(first), rule, {}});
    assignmentRest(a);
  } else {
    element(rule, std::move(first), isNot, kind, at);
  }
  return true;
}

void Parser::element(int rule, RefName n, bool isNot, const char *kind,
                     std::uint32_t at) {
  ObjectId e = make(s_.zElement, at);
  Rule &r = proc_->rules[static_cast<std::size_t>(rule)];
  link(s_.zOwnedElement, proc_->proc, e);
  link(s_.zOwnedElem, r.rule, e);
  set(e, s_.zElemType, kind ? kind : "Normal");
  if (isNot)
    set(e, s_.zElemCard, "NOT");
  r.elements[n.none ? std::string() : n.text].push_back(e);
  if (lex_.peek().kind == Tok::Colon) {
    lex_.take();
    RefPath type;
    if (!path(type, "the element's class (or '?')"))
      return recover();
    if (n.none)
      diags_.error(n.offset, "an element without a name has no class");
    else
      proc_->locals.push_back({Local::Def, e, std::move(n), rule, type});
  } else if (!n.none) {
    proc_->locals.push_back({Local::Refer, e, std::move(n), rule, {}});
  }
  tail(e);
  if (lex_.isWord("where")) {
    lex_.take();
    std::uint32_t at;
    if (!lex_.expression(ExprEnd::Semicolon, text_, at))
      return recover();
    set(e, s_.zConstraint, text_);
  }
  if (!expect(Tok::Semi, "';'"))
    recover();
}

void Parser::assocLink(int rule, RefName from, bool isNot, const char *kind,
                       std::uint32_t start) {
  Rule &r = proc_->rules[static_cast<std::size_t>(rule)];
  bool plain = lex_.peek().kind == Tok::DashDash;
  std::uint32_t at = lex_.take().offset;
  ObjectId l = make(plain ? s_.zLink : s_.zAssocLink, start);
  link(s_.zOwnedElement, proc_->proc, l);
  link(s_.zOwnedLink, r.rule, l);
  if (plain && (isNot || kind))
    diags_.error(at, "a plain connector '--' has no 'not', 'create' or "
                     "'delete'");
  if (!plain) {
    if (kind && std::string_view(kind) == "LoopVariable")
      diags_.error(at, "a link is not 'each'");
    set(l, s_.zLinkType, kind ? kind : "Normal");
    if (isNot)
      set(l, s_.zLinkCard, "NOT");
    Role role{Role::LinkRole, l, {}, {}, {}, {}};
    if (lex_.peek().kind == Tok::LParen) {
      lex_.take();
      role.kind = Role::LinkProps;
      if (!propertyRef(role.first) || !expect(Tok::Comma, "','") ||
          !propertyRef(role.second) || !expect(Tok::RParen, "')'"))
        return recover();
    } else if (!refName(role.name, "the role (the property at the far end)")) {
      return recover();
    }
    if (!expect(Tok::Arrow, "'->'"))
      return recover();
    if (role.kind == Role::LinkProps || !role.name.none)
      roles_.push_back(std::move(role));
  }
  RefName to;
  if (!refName(to, "the element the link goes to"))
    return recover();
  if (!from.none)
    proc_->locals.push_back({Local::LinkFrom, l, std::move(from), rule, {}});
  if (!to.none)
    proc_->locals.push_back({Local::LinkTo, l, std::move(to), rule, {}});
  tail(l);
  if (!expect(Tok::Semi, "';'"))
    recover();
}

void Parser::assignmentRest(ObjectId a) {
  if (lex_.peek().kind == Tok::Dot) {
    lex_.take();
    Role role{Role::Attribute, a, {}, {}, {}, {}};
    if (lex_.peek().kind == Tok::LParen) {
      lex_.take();
      role.kind = Role::AttributeProp;
      if (!propertyRef(role.first) || !expect(Tok::RParen, "')'"))
        return recover();
    } else if (!refName(role.name, "an attribute's name")) {
      return recover();
    }
    if (role.kind == Role::AttributeProp ? !role.first.none : !role.name.none)
      roles_.push_back(std::move(role));
  }
  if (!expect(Tok::Assign, "':='"))
    return recover();
  std::uint32_t at;
  if (!lex_.expression(ExprEnd::Semicolon, text_, at))
    return recover();
  set(a, s_.zAssignExpr, text_);
  if (!expect(Tok::Semi, "';'"))
    recover();
}

void Parser::textStatement(ObjectId container) {
  ObjectId t = node(s_.zText, container, "text statement");
  if (!t || !expect(Tok::LBrace, "'{'"))
    return recover();
  if (lex_.isWord("when")) {
    lex_.take();
    std::uint32_t at;
    if (!lex_.expression(ExprEnd::Semicolon, text_, at)) {
      recover();
    } else {
      set(t, s_.zTextConstraint, text_);
      if (!expect(Tok::Semi, "';'"))
        recover();
    }
  }
  while (lex_.peek().kind != Tok::RBrace && lex_.peek().kind != Tok::End) {
    RefName target;
    if (!refName(target, "an assignment or '}'")) {
      lex_.take();
      recover();
      continue;
    }
    ObjectId a = make(s_.zAssignment, target.offset);
    link(s_.zOwnedAssign, t, a);
    if (!target.none)
      proc_->locals.push_back({Local::Target, a, std::move(target), -1, {}});
    assignmentRest(a);
  }
  expect(Tok::RBrace, "'}'");
}

} // namespace notation
