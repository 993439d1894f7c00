//===- parser.h - Recursive-descent reader of the notation ------*- C++ -*-===//
//
// Objects are made as their declarations are read, so that the repository
// order is the text's order, and links to owners are made at once. Names
// are resolved later: those inside a procedure when the procedure ends,
// types, procedures and properties when the file ends, and association
// roles and attributes, which need the types of rule elements, last. Every
// phase goes in text order, so each partner list is in text order.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "lexer.h"
#include "queries.h"
#include "schema.h"
#include "source_map.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace notation {

/// A name as written: "?" (nothing), or a name with an optional ordinal.
struct RefName {
  std::string text;
  std::uint32_t offset = 0;
  std::uint32_t ordinal = 0; ///< #k; 0 when not written
  bool none = false;         ///< written "?"
};

/// A qualified name: a::b::c#k.
struct RefPath {
  std::vector<std::string> parts;
  std::uint32_t offset = 0;
  std::uint32_t ordinal = 0;
  bool none = false;
};

/// A property: Class.name#k or Class.#index, or "?".
struct RefProperty {
  RefPath cls;
  RefName name;
  std::uint32_t index = 0; ///< Class.#index
  bool none = false;
  std::uint32_t offset = 0;
};

class Parser {
public:
  Parser(const SourceFile &file, Diagnostics &diags, zrep::Repository &repo,
         SourceMap &map);
  void parseFile();

private:
  // Procedure scope.
  struct Rule {
    ObjectId rule;
    std::unordered_map<std::string, std::vector<ObjectId>> elements;
  };
  /// A name inside a procedure, resolved when the procedure ends.
  struct Local {
    enum Kind { Def, Refer, FlowFrom, FlowTo, LinkFrom, LinkTo, Target };
    Kind kind;
    ObjectId obj;
    RefName name;
    int rule = -1; ///< index into rules, for elements
    RefPath type;  ///< Def: the type written with the element
  };
  struct Procedure {
    ObjectId proc = 0;
    std::unordered_map<std::string, std::vector<ObjectId>> decls;
    std::unordered_map<std::string, std::pair<ObjectId, std::uint32_t>> nodes;
    std::vector<Rule> rules;
    std::vector<Local> locals;
    void clear() {
      proc = 0;
      decls.clear();
      nodes.clear();
      rules.clear();
      locals.clear();
    }
  };
  /// A name resolved when the file ends.
  struct Global {
    enum Kind { Type, Proc, MemberEnd };
    Kind kind;
    ObjectId obj;
    TypeId end;
    RefPath path;
    RefProperty property;
  };
  /// Resolved last: needs the types of elements.
  struct Role {
    enum Kind { LinkRole, LinkProps, Attribute, AttributeProp, ElementType };
    Kind kind;
    ObjectId obj;
    RefName name;
    RefProperty first, second;
    RefPath type;
  };

  // Tokens.
  bool expect(Tok kind, const char *what);
  bool expectWord(const char *word);
  void errorHere(const std::string &message);
  /// Skips to the end of the statement: past the next ";" or a balanced
  /// "{...}", or before a "}" that closes the block around it.
  void recover();
  bool name(RefName &out, const char *what);
  bool refName(RefName &out, const char *what);
  /// An optional "#k" after a name; false after an error.
  bool ordinal(std::uint32_t &out);
  bool path(RefPath &out, const char *what);
  bool propertyRef(RefProperty &out);
  bool stringValue(std::string &out, const char *what);
  /// A declared name, with the ordinal that a repeated name must carry.
  bool declName(RefName &out, const char *what);
  /// Checks that a type, procedure or property is the first of its name
  /// among its siblings, or carries the right ordinal.
  void checkSibling(ObjectId owner, char group, const RefName &n);

  // Objects.
  ObjectId make(TypeId cls, std::uint32_t offset);
  void set(ObjectId obj, TypeId attr, std::string_view value);
  void link(TypeId end, ObjectId a, ObjectId b) { repo_.createLink(end, a, b); }
  /// Annotations (@word, @"text") and attribute values (@{a = "v"}).
  void tail(ObjectId obj);
  bool attributeValues(ObjectId obj);

  // Top level and class model.
  void topItem();
  void project();
  void kernelBlock(ObjectId owner);
  bool kernelItem(ObjectId owner);
  void kernelPackage(ObjectId owner, TypeId cls);
  void kernelClass(ObjectId owner);
  void property(ObjectId cls);
  void enumeration(ObjectId owner);
  void association(ObjectId owner);
  void own(ObjectId owner, ObjectId member);

  // Transformations (parse_procedure.cpp).
  void transformation();
  void zevaBlock(ObjectId owner);
  bool zevaItem(ObjectId owner);
  void zevaPackage(ObjectId owner, TypeId cls, bool unit);
  void procedure(ObjectId owner);
  void external(ObjectId owner);
  void parameters(ObjectId proc, bool owned);
  void procedureBody();
  /// One item of a procedure or loop body; false at "}" or the end.
  bool procedureItem(ObjectId container);
  void declaration(TypeId cls);
  ObjectId node(TypeId cls, ObjectId container, const char *kind);
  ObjectId makeNode(TypeId cls, ObjectId container, const RefName &name,
                    std::uint32_t at);
  void simpleNode(TypeId cls, ObjectId container, const char *kind,
                  std::uint32_t at);
  void call(ObjectId container);
  void loop(TypeId cls, ObjectId container);
  void flow(RefName from);
  void finishProcedure();

  // Rules and text statements (parse_rule.cpp).
  void rule(ObjectId container, bool head);
  bool ruleItem(int rule);
  void element(int rule, RefName name, bool isNot, const char *kind,
               std::uint32_t at);
  void assocLink(int rule, RefName from, bool isNot, const char *kind,
                 std::uint32_t at);
  /// After an assignment's target: [.attribute] := expression ;
  void assignmentRest(ObjectId assignment);
  void textStatement(ObjectId container);

  // Resolution (resolve.cpp).
  ObjectId resolveLocal(
      const std::unordered_map<std::string, std::vector<ObjectId>> &scope,
      const RefName &name, const char *what, bool report);
  void resolveGlobals();
  void resolveRoles();
  ObjectId resolvePath(const PathIndex &index, const RefPath &path,
                       const char *what);
  ObjectId resolveProperty(const PathIndex &types, const RefProperty &ref);

  const SourceFile &file_;
  Diagnostics &diags_;
  Lexer lex_;
  zrep::Repository &repo_;
  SourceMap &map_;
  const Schema &s_;
  std::unique_ptr<Procedure> proc_; ///< the procedure being read
  std::vector<Global> globals_;
  std::vector<Role> roles_;
  /// Declarations by owner, group and name: how many, and the first's place.
  std::unordered_map<std::string, std::pair<std::uint32_t, std::uint32_t>>
      siblings_;
  std::vector<ObjectId> found_; ///< resolvePath's matches
  std::string text_;            ///< an expression's text as it is read
};

} // namespace notation
