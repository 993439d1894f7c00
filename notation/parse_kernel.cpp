//===- parse_kernel.cpp - Tokens, top level and the class model -----------===//

#include "parser.h"

#include "file_text.h"
#include "stack_segments.h"

namespace notation {

Parser::Parser(const SourceFile &file, Diagnostics &diags,
               zrep::Repository &repo, SourceMap &map)
    : file_(file), diags_(diags), lex_(file, diags), repo_(repo), map_(map),
      s_(Schema::builtin()) {}

void Parser::errorHere(const std::string &message) {
  lex_.errorBeforeNext(message);
}

bool Parser::expect(Tok kind, const char *what) {
  return lex_.expect(kind, what);
}

bool Parser::expectWord(const char *word) {
  if (lex_.isWord(word)) {
    lex_.take();
    return true;
  }
  errorHere(std::string("expected '") + word + "'");
  return false;
}

void Parser::recover() {
  int depth = 0;
  for (;;) {
    Tok k = lex_.peek().kind;
    if (k == Tok::End)
      return;
    if (k == Tok::RBrace && depth == 0)
      return;
    lex_.take();
    if (k == Tok::Semi && depth == 0)
      return;
    if (k == Tok::LBrace)
      ++depth;
    if (k == Tok::RBrace && --depth == 0)
      return;
  }
}

bool Parser::name(RefName &out, const char *what) {
  const Token &t = lex_.peek();
  out.offset = t.offset;
  if (t.kind == Tok::Ident) {
    out.text = t.text;
  } else if (t.kind == Tok::Quoted) {
    out.text = t.value;
  } else {
    errorHere(std::string("expected ") + what);
    return false;
  }
  lex_.take();
  return true;
}

bool Parser::ordinal(std::uint32_t &out) {
  if (lex_.peek().kind != Tok::Hash)
    return true;
  lex_.take();
  const Token &n = lex_.peek();
  if (n.kind != Tok::Int || n.text.size() > 9 || n.text[0] == '0') {
    errorHere("expected an ordinal (1, 2, ...) after '#'");
    return false;
  }
  out = static_cast<std::uint32_t>(std::stoul(std::string(n.text)));
  lex_.take();
  return true;
}

bool Parser::refName(RefName &out, const char *what) {
  if (lex_.peek().kind == Tok::Question) {
    out.offset = lex_.take().offset;
    out.none = true;
  } else if (!name(out, what)) {
    return false;
  }
  return ordinal(out.ordinal);
}

bool Parser::path(RefPath &out, const char *what) {
  out.offset = lex_.peek().offset;
  if (lex_.peek().kind == Tok::Question) {
    lex_.take();
    out.none = true;
    return true;
  }
  RefName part;
  if (!name(part, what))
    return false;
  out.parts.push_back(std::move(part.text));
  while (lex_.peek().kind == Tok::ColonColon) {
    lex_.take();
    if (!name(part, what))
      return false;
    out.parts.push_back(std::move(part.text));
  }
  return ordinal(out.ordinal);
}

bool Parser::propertyRef(RefProperty &out) {
  out.offset = lex_.peek().offset;
  if (lex_.peek().kind == Tok::Question) {
    lex_.take();
    out.none = true;
    return true;
  }
  if (!path(out.cls, "a class name") || !expect(Tok::Dot, "'.' and a "
                                                          "property name"))
    return false;
  if (lex_.peek().kind == Tok::Hash) {
    lex_.take();
    const Token &n = lex_.peek();
    if (n.kind != Tok::Int || n.text.size() > 9 || n.text[0] == '0') {
      errorHere("expected a position (1, 2, ...) after '#'");
      return false;
    }
    out.index = static_cast<std::uint32_t>(std::stoul(std::string(n.text)));
    lex_.take();
    return true;
  }
  return refName(out.name, "a property name");
}

bool Parser::stringValue(std::string &out, const char *what) {
  if (lex_.peek().kind != Tok::Quoted) {
    errorHere(std::string("expected ") + what);
    return false;
  }
  out = lex_.take().value;
  return true;
}

bool Parser::declName(RefName &out, const char *what) {
  if (lex_.peek().kind == Tok::Question) {
    errorHere(std::string("expected ") + what);
    return false;
  }
  return refName(out, what);
}

void Parser::checkSibling(ObjectId owner, char group, const RefName &n) {
  std::string key = std::to_string(owner);
  key += group;
  key += n.text;
  auto [it, fresh] = siblings_.try_emplace(std::move(key), 0, n.offset);
  std::uint32_t count = ++it->second.first;
  if (n.ordinal == (count > 1 ? count : 0) || (count == 1 && n.ordinal == 1))
    return;
  if (count > 1 && !n.ordinal) {
    diags_.error(n.offset, "'" + n.text + "' is declared twice here; write '" +
                               n.text + "#" + std::to_string(count) +
                               "' if that is meant");
    diags_.note(it->second.second, "'" + n.text + "' is first declared here");
  } else {
    diags_.error(n.offset, "this is declaration " + std::to_string(count) +
                               " of '" + n.text + "' here, not " +
                               std::to_string(n.ordinal));
  }
}

ObjectId Parser::make(TypeId cls, std::uint32_t offset) {
  ObjectId id = repo_.createObject(cls);
  if (!id) {
    diags_.error(offset, "too many objects: every object id is used");
    return 0;
  }
  map_.add(id, offset);
  return id;
}

void Parser::set(ObjectId obj, TypeId attr, std::string_view value) {
  if (obj && !value.empty())
    repo_.setValue(obj, attr, value);
}

bool Parser::attributeValues(ObjectId obj) {
  lex_.take(); // "{"
  while (lex_.peek().kind != Tok::RBrace) {
    RefName attr;
    std::string value;
    if (!name(attr, "an attribute name") || !expect(Tok::Eq, "'='") ||
        !stringValue(value, "the attribute's value in double quotes"))
      return false;
    const zrep::AttrInfo *info = nullptr;
    if (obj) {
      TypeId id = s_.mm.attrId(repo_.classOf(obj), attr.text);
      info = s_.mm.attrInfo(id);
      if (!info) {
        const zrep::ClassInfo *c = s_.mm.classInfo(repo_.classOf(obj));
        std::vector<std::string_view> names;
        for (TypeId a : c->attrs)
          names.push_back(s_.mm.attrInfo(a)->name);
        diags_.error(attr.offset, "'" + c->name + "' has no attribute '" +
                                      attr.text + "'" +
                                      didYouMean(attr.text, names));
      } else if (!value.empty() && !repo_.checkValue(id, value)) {
        diags_.error(attr.offset, "\"" + zrep::printable(value, 40) +
                                      "\" is no value of attribute '" +
                                      attr.text + "'");
      } else {
        repo_.setValue(obj, id, value);
      }
    }
    if (lex_.peek().kind != Tok::Comma)
      break;
    lex_.take();
  }
  return expect(Tok::RBrace, "',' or '}'");
}

void Parser::tail(ObjectId obj) {
  while (lex_.peek().kind == Tok::At) {
    std::uint32_t at = lex_.take().offset;
    const Token &t = lex_.peek();
    if (t.kind == Tok::LBrace) {
      if (!attributeValues(obj))
        return;
      continue;
    }
    std::string text;
    if (t.kind == Tok::Ident || t.kind == Tok::Quoted) {
      text = t.kind == Tok::Ident ? std::string(t.text) : t.value;
      lex_.take();
    } else {
      errorHere("expected an annotation after '@' (a word, a text in double "
                "quotes, or attribute values in '{...}')");
      return;
    }
    if (!obj)
      continue;
    if (!s_.mm.isKindOf(repo_.classOf(obj), s_.zProcElement)) {
      diags_.error(at, "only the elements of a procedure have annotations");
      continue;
    }
    ObjectId annotation = make(s_.zAnnotation, at);
    set(annotation, s_.zAnnText, text);
    link(s_.zAnnotationOf, obj, annotation);
  }
}

void Parser::parseFile() {
  while (lex_.peek().kind != Tok::End) {
    if (lex_.peek().kind == Tok::RBrace) {
      errorHere("unexpected '}'");
      lex_.take();
      continue;
    }
    topItem();
  }
  resolveGlobals();
  resolveRoles();
}

void Parser::topItem() {
  if (lex_.isWord("project"))
    return project();
  if (lex_.isWord("transformation"))
    return transformation();
  if (kernelItem(0) || zevaItem(0))
    return;
  errorHere("expected 'project', 'classmodel', 'transformation' or a "
            "declaration");
  lex_.take();
  recover();
}

void Parser::project() {
  std::uint32_t at = lex_.take().offset;
  RefName n;
  if (!name(n, "the project's name"))
    return recover();
  ObjectId p = make(s_.project, at);
  set(p, s_.projName, n.text);
  if (lex_.isWord("at")) {
    lex_.take();
    std::string path;
    if (!stringValue(path, "the project's path in double quotes"))
      return recover();
    set(p, s_.projPath, path);
  }
  tail(p);
  if (!expect(Tok::Semi, "';'"))
    recover();
}

void Parser::own(ObjectId owner, ObjectId member) {
  if (owner && member)
    link(repo_.classOf(owner) == s_.kModel ||
                 repo_.classOf(owner) == s_.kPackage
             ? s_.kOwnedMember
             : s_.zOwnedMember,
         owner, member);
}

void Parser::kernelBlock(ObjectId owner) {
  if (!expect(Tok::LBrace, "'{'"))
    return recover();
  while (lex_.peek().kind != Tok::RBrace && lex_.peek().kind != Tok::End) {
    if (!kernelItem(owner)) {
      errorHere("expected 'package', 'class', 'enum', 'primitive' or "
                "'association'");
      lex_.take();
      recover();
    }
  }
  expect(Tok::RBrace, "'}'");
}

bool Parser::kernelItem(ObjectId owner) {
  if (lex_.isWord("classmodel"))
    kernelPackage(owner, s_.kModel);
  else if (lex_.isWord("package"))
    kernelPackage(owner, s_.kPackage);
  else if (lex_.isWord("class") || lex_.isWord("abstract"))
    kernelClass(owner);
  else if (lex_.isWord("enum"))
    enumeration(owner);
  else if (lex_.isWord("association"))
    association(owner);
  else if (lex_.isWord("primitive")) {
    std::uint32_t at = lex_.take().offset;
    RefName n;
    if (!declName(n, "the type's name"))
      return recover(), true;
    checkSibling(owner, 't', n);
    ObjectId t = make(s_.kPrimitive, at);
    set(t, s_.kName, n.text);
    own(owner, t);
    tail(t);
    if (!expect(Tok::Semi, "';'"))
      recover();
  } else {
    return false;
  }
  return true;
}

void Parser::kernelPackage(ObjectId owner, TypeId cls) {
  std::uint32_t at = lex_.take().offset;
  RefName n;
  if (!name(n, "the package's name"))
    return recover();
  ObjectId p = make(cls, at);
  set(p, s_.kName, n.text);
  own(owner, p);
  tail(p);
  zsupport::withStackRoom([&] { kernelBlock(p); });
}

void Parser::kernelClass(ObjectId owner) {
  std::uint32_t at = lex_.peek().offset;
  bool isAbstract = lex_.isWord("abstract");
  if (isAbstract)
    lex_.take();
  if (!expectWord("class"))
    return recover();
  RefName n;
  if (!declName(n, "the class's name"))
    return recover();
  checkSibling(owner, 't', n);
  ObjectId c = make(s_.kClass, at);
  set(c, s_.kName, n.text);
  if (isAbstract)
    set(c, s_.kIsAbstract, "true");
  own(owner, c);
  if (lex_.peek().kind == Tok::Colon) {
    do {
      lex_.take();
      RefPath general;
      std::uint32_t gat = lex_.peek().offset;
      if (!path(general, "the name of a general class"))
        return recover();
      ObjectId g = make(s_.kGeneralization, gat);
      link(s_.kGeneralizationOf, c, g);
      if (!general.none)
        globals_.push_back({Global::Type, g, s_.kGeneral, general, {}});
    } while (lex_.peek().kind == Tok::Comma);
  }
  tail(c);
  if (lex_.peek().kind == Tok::Semi) {
    lex_.take();
    return;
  }
  if (!expect(Tok::LBrace, "'{' or ';'"))
    return recover();
  while (lex_.peek().kind != Tok::RBrace && lex_.peek().kind != Tok::End)
    property(c);
  expect(Tok::RBrace, "'}'");
}

void Parser::property(ObjectId cls) {
  std::uint32_t at = lex_.peek().offset;
  RefName n;
  if (!declName(n, "a property's name or '}'")) {
    lex_.take();
    return recover();
  }
  checkSibling(cls, 'p', n);
  ObjectId p = make(s_.kProperty, at);
  set(p, s_.kName, n.text);
  link(s_.kOwnedAttribute, cls, p);
  if (lex_.peek().kind == Tok::Colon) {
    lex_.take();
    RefPath type;
    if (!path(type, "the property's type"))
      return recover();
    if (!type.none)
      globals_.push_back({Global::Type, p, s_.kPropertyType, type, {}});
  }
  if (lex_.peek().kind == Tok::LBracket) {
    lex_.take();
    auto bound = [&](std::string &out) {
      const Token &t = lex_.peek();
      if (t.kind == Tok::Star)
        out = "-1";
      else if (t.kind == Tok::Int && t.text.size() <= 9)
        out = t.text;
      else
        return errorHere("expected a number or '*'"), false;
      lex_.take();
      return true;
    };
    std::string lower, upper;
    if (!bound(lower))
      return recover();
    if (lex_.peek().kind == Tok::DotDot) {
      lex_.take();
      if (!bound(upper))
        return recover();
      if (lower == "-1") {
        diags_.error(at, "a lower bound cannot be '*'");
      }
    } else {
      upper = lower;
      if (lower == "-1")
        lower = "0";
    }
    if (!expect(Tok::RBracket, "']'"))
      return recover();
    set(p, s_.kLower, lower);
    set(p, s_.kUpper, upper);
  }
  for (;;) {
    if (lex_.isWord("ordered"))
      set(p, s_.kIsOrdered, "true");
    else if (lex_.isWord("composite"))
      set(p, s_.kIsComposite, "true");
    else
      break;
    lex_.take();
  }
  tail(p);
  if (!expect(Tok::Semi, "';'"))
    recover();
}

void Parser::enumeration(ObjectId owner) {
  std::uint32_t at = lex_.take().offset;
  RefName n;
  if (!declName(n, "the enumeration's name"))
    return recover();
  checkSibling(owner, 't', n);
  ObjectId e = make(s_.kEnum, at);
  set(e, s_.kName, n.text);
  own(owner, e);
  tail(e);
  if (!expect(Tok::LBrace, "'{'"))
    return recover();
  while (lex_.peek().kind != Tok::RBrace) {
    RefName literal;
    std::uint32_t lat = lex_.peek().offset;
    if (!name(literal, "a literal's name"))
      return recover();
    ObjectId l = make(s_.kLiteral, lat);
    set(l, s_.kName, literal.text);
    link(s_.kOwnedLiteral, e, l);
    tail(l);
    if (lex_.peek().kind != Tok::Comma)
      break;
    lex_.take();
  }
  if (!expect(Tok::RBrace, "',' or '}'"))
    recover();
}

void Parser::association(ObjectId owner) {
  std::uint32_t at = lex_.take().offset;
  RefName n;
  if (lex_.peek().kind != Tok::LParen && !name(n, "the association's name"))
    return recover();
  ObjectId a = make(s_.kAssoc, at);
  set(a, s_.kName, n.text);
  own(owner, a);
  tail(a);
  if (!expect(Tok::LParen, "'(' and the association's ends"))
    return recover();
  while (lex_.peek().kind != Tok::RParen) {
    RefProperty end;
    if (!propertyRef(end))
      return recover();
    if (!end.none)
      globals_.push_back({Global::MemberEnd, a, s_.kMemberEnd, {}, end});
    if (lex_.peek().kind != Tok::Comma)
      break;
    lex_.take();
  }
  if (!expect(Tok::RParen, "',' or ')'") || !expect(Tok::Semi, "';'"))
    recover();
}

} // namespace notation
