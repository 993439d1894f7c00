//===- resolve.cpp - Names to objects, after reading ----------------------===//

#include "parser.h"


namespace notation {

namespace {

std::vector<std::string_view>
keysOf(const std::unordered_map<std::string, std::vector<ObjectId>> &scope) {
  std::vector<std::string_view> out;
  for (const auto &[name, objs] : scope)
    out.push_back(name);
  return out;
}

/// "there is only 1 element named 'c'", "there are only 2 ...".
std::string onlyNamed(std::size_t count, const std::string &what,
                      const std::string &name) {
  return (count == 1 ? "there is only 1 " + what
                     : "there are only " + std::to_string(count) + " " +
                           (what == "property" ? std::string("properties")
                                               : what + "s")) +
         " named '" + name + "'";
}

std::string joined(const std::vector<std::string> &parts) {
  std::string out;
  for (const std::string &p : parts)
    out += (out.empty() ? "" : "::") + p;
  return out;
}

} // namespace

ObjectId Parser::resolveLocal(
    const std::unordered_map<std::string, std::vector<ObjectId>> &scope,
    const RefName &n, const char *what, bool report) {
  auto it = scope.find(n.none ? std::string() : n.text);
  std::size_t k = n.ordinal ? n.ordinal : 1;
  if (it != scope.end() && k <= it->second.size())
    return it->second[k - 1];
  if (!report)
    return 0;
  if (it != scope.end())
    diags_.error(n.offset, onlyNamed(it->second.size(), what, n.text));
  else if (n.none)
    diags_.error(n.offset,
                 std::string("there is no ") + what + " without a name here");
  else
    diags_.error(n.offset, std::string("unknown ") + what + " '" + n.text +
                               "'" + didYouMean(n.text, keysOf(scope)));
  return 0;
}

void Parser::finishProcedure() {
  Procedure &p = *proc_;
  // Elements whose definition the procedure does not declare get one,
  // made in the order in which they first appear.
  for (Local &l : p.locals) {
    if (l.kind != Local::Def)
      continue;
    auto &same = p.decls[l.name.text];
    bool declared = false;
    for (ObjectId d : same)
      declared = declared || repo_.classOf(d) == s_.zDef;
    if (declared)
      continue;
    if (!same.empty()) {
      diags_.error(
          l.name.offset,
          "'" + l.name.text +
              "' is a parameter or variable, not a "
              "definition: an element that stands for it is written '" +
              l.name.text + "' alone");
      std::uint32_t at;
      if (map_.find(same.front(), at))
        diags_.note(at, "'" + l.name.text + "' is declared here");
      l.obj = 0; // nothing more to resolve
      continue;
    }
    ObjectId def = make(s_.zDef, l.name.offset);
    set(def, s_.zRefName, l.name.text);
    link(s_.zOwnedElement, p.proc, def);
    same.push_back(def);
    if (!l.type.none)
      globals_.push_back({Global::Type, def, s_.zType, l.type, {}});
    l.type.none = true; // its type is the written one: nothing to check
  }
  for (Local &l : p.locals) {
    if (!l.obj)
      continue;
    switch (l.kind) {
    case Local::Def: {
      // The first definition of that name, or the one the ordinal picks.
      std::size_t k = l.name.ordinal ? l.name.ordinal : 1, defs = 0;
      ObjectId picked = 0;
      for (ObjectId d : p.decls[l.name.text])
        if (repo_.classOf(d) == s_.zDef && ++defs == k)
          picked = d;
      if (!picked) {
        diags_.error(l.name.offset, onlyNamed(defs, "definition", l.name.text));
        break;
      }
      link(s_.zDef_, l.obj, picked);
      if (!l.type.none)
        roles_.push_back({Role::ElementType, l.obj, l.name, {}, {}, l.type});
      break;
    }
    case Local::Refer:
      if (ObjectId d = resolveLocal(p.decls, l.name, "variable", true))
        link(s_.zReferElem, l.obj, d);
      break;
    case Local::FlowFrom:
    case Local::FlowTo: {
      auto it = p.nodes.find(l.name.text);
      if (it == p.nodes.end()) {
        std::vector<std::string_view> names;
        for (const auto &[name, node] : p.nodes)
          names.push_back(name);
        diags_.error(l.name.offset, "unknown node '" + l.name.text + "'" +
                                        didYouMean(l.name.text, names));
        break;
      }
      link(l.kind == Local::FlowFrom ? s_.zFlowFrom : s_.zFlowTo, l.obj,
           it->second.first);
      break;
    }
    case Local::LinkFrom:
    case Local::LinkTo: {
      const Rule &r = p.rules[static_cast<std::size_t>(l.rule)];
      if (ObjectId e = resolveLocal(r.elements, l.name, "element", true))
        link(l.kind == Local::LinkFrom ? s_.zLinkFrom : s_.zLinkTo, l.obj, e);
      break;
    }
    case Local::Target: {
      ObjectId target = 0;
      if (l.rule >= 0)
        target =
            resolveLocal(p.rules[static_cast<std::size_t>(l.rule)].elements,
                         l.name, "element", false);
      if (!target)
        target = resolveLocal(p.decls, l.name, "variable", true);
      if (target)
        link(s_.zAssignedElement, l.obj, target);
      break;
    }
    }
  }
  p.proc = 0;
}

ObjectId Parser::resolvePath(const PathIndex &index, const RefPath &path,
                             const char *what) {
  std::vector<ObjectId> &found = found_;
  index.matches(path.parts, found);
  if (found.size() == 1 && path.ordinal <= 1)
    return found[0];
  std::string written = joined(path.parts);
  if (found.empty()) {
    diags_.error(path.offset, std::string("unknown ") + what + " '" + written +
                                  "'" +
                                  didYouMean(path.parts.back(), index.names()));
    return 0;
  }
  if (path.ordinal) {
    if (path.ordinal <= found.size())
      return found[path.ordinal - 1];
    diags_.error(path.offset, onlyNamed(found.size(), what, written));
    return 0;
  }
  if (found.size() > 1) {
    diags_.error(path.offset,
                 std::string("the ") + what + " name '" + written +
                     "' is ambiguous: " + std::to_string(found.size()) +
                     " have it; write the package too, as in '" +
                     index.shortest(found[0]) + "'");
    std::uint32_t at;
    for (std::size_t i = 0; i < found.size() && i < 2; ++i)
      if (map_.find(found[i], at))
        diags_.note(at, "'" + written + "' is declared here");
    return 0;
  }
  return found[0];
}

ObjectId Parser::resolveProperty(const PathIndex &types,
                                 const RefProperty &ref) {
  ObjectId cls = resolvePath(types, ref.cls, "class");
  if (!cls)
    return 0;
  std::vector<ObjectId> props;
  forPartners(repo_, cls, s_.kOwnedAttribute,
              [&](ObjectId p) { props.push_back(p); });
  if (ref.index) {
    if (ref.index <= props.size())
      return props[ref.index - 1];
    diags_.error(ref.offset, "the class has only " +
                                 std::to_string(props.size()) + " properties");
    return 0;
  }
  std::vector<ObjectId> named;
  std::vector<std::string_view> names;
  for (ObjectId p : props) {
    std::string_view n = repo_.valueView(p, s_.kName);
    names.push_back(n);
    if (n == ref.name.text)
      named.push_back(p);
  }
  std::size_t k = ref.name.ordinal ? ref.name.ordinal : 1;
  if (k <= named.size())
    return named[k - 1];
  diags_.error(ref.name.offset,
               named.empty()
                   ? "the class has no property '" + ref.name.text + "'" +
                         didYouMean(ref.name.text, names)
                   : onlyNamed(named.size(), "property", ref.name.text));
  return 0;
}

void Parser::resolveGlobals() {
  PathIndex types(repo_, s_, false), procs(repo_, s_, true);
  for (const Global &g : globals_) {
    switch (g.kind) {
    case Global::Type:
      if (ObjectId t = resolvePath(types, g.path, "type"))
        link(g.end, g.obj, t);
      break;
    case Global::Proc:
      if (ObjectId p = resolvePath(procs, g.path, "procedure"))
        link(g.end, g.obj, p);
      break;
    case Global::MemberEnd:
      if (ObjectId p = resolveProperty(types, g.property))
        link(g.end, g.obj, p);
      break;
    }
  }
}

void Parser::resolveRoles() {
  // After an error an element may lack its type: no follow-up errors then.
  bool hadErrors = diags_.errorCount() != 0;
  PathIndex types(repo_, s_, false);
  // The properties of a class and of its general classes.
  auto propertyNames = [&](ObjectId cls) {
    std::vector<std::string_view> names;
    forClassAndGenerals(repo_, s_, cls, [&](const zrep::Object &c) {
      forPartners(repo_, c, s_.kOwnedAttribute, [&](ObjectId p) {
        names.push_back(repo_.valueView(p, s_.kName));
      });
      return false;
    });
    return names;
  };
  for (const Role &r : roles_) {
    switch (r.kind) {
    case Role::LinkRole:
    case Role::Attribute: {
      bool isLink = r.kind == Role::LinkRole;
      ObjectId from =
          partner(repo_, r.obj, isLink ? s_.zLinkFrom : s_.zAssignedElement);
      ObjectId cls = from ? referencableType(repo_, s_, from) : 0;
      if (!cls) {
        if (hadErrors)
          break;
        diags_.error(r.name.offset,
                     std::string("'") + r.name.text +
                         "' cannot be looked up: " +
                         (isLink ? "the link starts at"
                                 : "the assignment is "
                                   "to") +
                         " an element without a type; write it as "
                         "(Class.property)");
        break;
      }
      ObjectId p = findProperty(repo_, s_, cls, r.name.text);
      if (!p) {
        diags_.error(r.name.offset,
                     "'" + std::string(repo_.valueView(cls, s_.kName)) +
                         "' has no property '" + r.name.text + "'" +
                         didYouMean(r.name.text, propertyNames(cls)));
        break;
      }
      if (isLink) {
        link(s_.zDestProp, r.obj, p);
        if (ObjectId other = oppositeEnd(repo_, s_, p))
          link(s_.zSourceProp, r.obj, other);
      } else {
        link(s_.zAttribute, r.obj, p);
      }
      break;
    }
    case Role::LinkProps: {
      ObjectId dest = r.first.none ? 0 : resolveProperty(types, r.first);
      ObjectId source = r.second.none ? 0 : resolveProperty(types, r.second);
      if (dest)
        link(s_.zDestProp, r.obj, dest);
      if (source)
        link(s_.zSourceProp, r.obj, source);
      break;
    }
    case Role::AttributeProp:
      if (ObjectId p = resolveProperty(types, r.first))
        link(s_.zAttribute, r.obj, p);
      break;
    case Role::ElementType: {
      ObjectId written = resolvePath(types, r.type, "type");
      ObjectId def = partner(repo_, r.obj, s_.zDef_);
      ObjectId actual = def ? partner(repo_, def, s_.zType) : 0;
      if (written && written != actual) {
        diags_.error(r.type.offset,
                     "'" + r.name.text + "' is defined with " +
                         (actual ? "type '" + types.shortest(actual) + "'"
                                 : std::string("no type")) +
                         ", not '" + types.shortest(written) + "'");
        std::uint32_t at;
        if (def && map_.find(def, at))
          diags_.note(at, "'" + r.name.text + "' is defined here");
      }
      break;
    }
    }
  }
}

} // namespace notation
