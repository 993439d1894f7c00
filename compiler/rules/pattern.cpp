//===- pattern.cpp - A rule's pattern as nested searches ------------------===//

#include "pattern.h"

#include "../driver/run_state.h"
#include "../program/chains.h"
#include "../program/names.h"
#include "../queries/names.h"
#include "constraint.h"
#include "elements.h"
#include "messages.h"
#include "stack_room.h"
#include "subclasses.h"

#include <string_view>
#include <tuple>

using namespace kel;

namespace zeva {

using namespace rules;

namespace {

// The bodies of the recursive procedures, which may run on a fresh stack.
void printPatternElementHere(Kel_Var_2 &previous, Kel_Var_2 &link,
                             Kel_Var_2 &element, Kel_Var_2 &block, int dir);
bool findRootNodeHere(Kel_Var_2 &link, int dir, Kel_Var_2 &root,
                      Kel_Var_2 &marker, Kel_Var_2 &searchMarker);

MarkBook &marks() { return currentRun().marks; }

void unmark(const Kel_Var_2 &marker, const Kel_Var_2 &target,
            const char *role) {
  if (!LinkExists(marker, target, role))
    return;
  DeleteLink(marker, target, role);
  marks().remove(CurId(target), std::string_view(role) == "markedlink");
}

void mark(const Kel_Var_2 &target, const char *role) {
  Kel_Var_2 marker("PatternElementMarker");
  if (!First(marker, "PatternElementMarker") ||
      LinkExists(marker, target, role))
    return;
  AddLink(marker, target, role);
  marks().add(CurId(target), std::string_view(role) == "markedlink");
}

/// Puts a deletion at the start of the rule's temporary block, so that the
/// block lists later findings first.
void collectDeletion(const Kel_Var_2 &rule, const std::string &text) {
  Kel_Var_2 temp("Komblock");
  if (!FirstByLink(temp, rule, "tempblock"))
    return;
  Kel_Var_2 kom("Skom");
  AddObj(kom, "Skom");
  SetAttrStr(kom, "text", text);
  AddKomToKomblockStart(kom, temp);
}

void appendTest(const Kel_Var_2 &block, const std::string &text) {
  Kel_Var_2 test("Ekom");
  AddObj(test, "Ekom");
  SetAttrStr(test, "text", text);
  AddKomToKomblock(test, block);
}

/// The FNkom that searches `element` (linked as its "kom"), in no block.
Kel_Var_2 createSearch(const Kel_Var_2 &element, const std::string &name,
                       const std::string &text) {
  Kel_Var_2 search("FNkom");
  AddObj(search, "FNkom");
  AddLink(element, search, "kom");
  SetAttrStr(search, "type1", "first");
  SetAttrStr(search, "name1", name);
  SetAttrStr(search, "text", text);
  return search;
}

/// A new block linked as the search's "suchthat1".
Kel_Var_2 addSearchBlock(const Kel_Var_2 &search) {
  Kel_Var_2 block("Komblock");
  AddObj(block, "Komblock");
  AddLink(search, block, "suchthat1");
  return block;
}

std::string roleName(int dir, const Kel_Var_2 &link) {
  return GetAssocLinkRoleName(dir == 1, link);
}

/// Step 8: every unmarked traversed link of `element`, outgoing ones first.
/// Marks are read as each link is reached, so a link used deeper in the
/// recursion is not followed again.
void followLinks(const Kel_Var_2 &element, const Kel_Var_2 &block,
                 const Kel_Var_2 &marker) {
  Kel_Var_2 link("ZEVA::Link"), next("ZEVA::ClassElement");
  for (int dir : {0, 1}) {
    for (bool found =
             FirstByLink(link, element, dir ? "destination" : "source");
         found; found = Next(link)) {
      if (!isTraversedLink(link) || isMarkedBy(marker, link))
        continue;
      if (!FirstByLink(next, link, dir ? "from" : "to"))
        return;
      PrintPatternElement(element, link, next, block, dir);
    }
  }
}

/// Step 4: a NOT-link or a link annotated "c" does not lead to `element`;
/// the search restarts from a bound element near it, and `element` and
/// `link` are reached again later.
void reRoot(const Kel_Var_2 &previous, const Kel_Var_2 &link,
            const Kel_Var_2 &element, const Kel_Var_2 &block, int dir,
            const Kel_Var_2 &marker) {
  // A re-rooting removes the marks it made before it recurses, so one that
  // starts again for the same link with the same marks as an unfinished
  // one would repeat it forever.
  MarkBook &book = marks();
  auto state = std::make_tuple(CurId(link), book.count, book.fingerprint);
  unmark(marker, element, "markedel");
  Kel_Var_2 searchMarker("PatternElementMarker"), root("ZEVA::ClassElement");
  AddObj(searchMarker, "PatternElementMarker");
  FindRootNode(link, dir, root, marker, searchMarker);
  DeleteObj(searchMarker);
  unmark(marker, link, "markedlink");
  if (PtrEq(root, previous))
    return;
  if (!book.unfinishedReRoots.insert(state).second) {
    printError(1001, link, "");
    return;
  }
  struct Finish {
    MarkBook &book;
    decltype(state) key;
    ~Finish() { book.unfinishedReRoots.erase(key); }
  } finish{book, state};
  PrintPatternElement(Kel_Var_2("ZEVA::ClassElement"),
                      Kel_Var_2("ZEVA::AssocLink"), root, block, 0);
}

/// Step 5: both ends are bound; the link becomes a test in `block`.
void printLinkTest(const Kel_Var_2 &previous, const Kel_Var_2 &link,
                   const Kel_Var_2 &element, const Kel_Var_2 &block, int dir,
                   const Kel_Var_2 &rule) {
  if (isNot(element))
    return;
  std::string a, b;
  if (!sourceName(previous, a) || !sourceName(element, b))
    return;
  std::string path = a + "." + roleName(dir, link) + "." + b;
  if (isNot(link)) {
    appendTest(block, "noLink " + path);
    return;
  }
  appendTest(block, "link " + path);
  if (GetAttrEnum(link, "AssocLinkType") == "AssocLinkType::Delete")
    collectDeletion(rule, "deleteLink " + path);
}

/// Step 6: a search that must find nothing. Its neighbours are searched
/// first, and the search goes in the innermost of their blocks; a match
/// reaches the unlabelled jump after it, a failure continues at its label.
void printNotElementSearch(const Kel_Var_2 &previous, const Kel_Var_2 &link,
                           const Kel_Var_2 &element, const Kel_Var_2 &block,
                           int dir, const Kel_Var_2 &marker,
                           const Kel_Var_2 &def, const Kel_Var_2 &type) {
  std::string e = GetAttrStr(def, "refName");
  std::string cls = GetKernelElementFullName(type);
  // 1. The search and its condition block.
  Kel_Var_2 search = createSearch(element, e, cls);
  Kel_Var_2 conditions = addSearchBlock(search);
  if (!IsNull(link)) {
    std::string a;
    if (!sourceName(previous, a))
      return;
    SetAttrStr(search, "text",
               cls + " from " + a + " by " + roleName(dir, link));
    if (IsLinkToClassElementToAbstractClass(link, type, dir) &&
        !appendSubclassTest(type, conditions, def))
      return;
  }
  // 2. The neighbours, each from a root of its own.
  Kel_Var_2 target("Komblock"), root("ZEVA::ClassElement");
  SetPointer(target, block);
  Kel_Var_2 other("ZEVA::Link"), far("ZEVA::ClassElement");
  Kel_Var_2 farSearch("FNkom"), farBlock("Komblock");
  for (int farDir : {0, 1}) {
    for (bool found =
             FirstByLink(other, element, farDir ? "destination" : "source");
         found; found = Next(other)) {
      if (!isTraversedLink(other) || isMarkedBy(marker, other) ||
          !FirstByLink(far, other, farDir ? "from" : "to"))
        continue;
      MarkAssocLink(other);
      Kel_Var_2 searchMarker("PatternElementMarker");
      AddObj(searchMarker, "PatternElementMarker");
      FindRootNode(other, farDir, root, marker, searchMarker);
      DeleteObj(searchMarker);
      PrintPatternElement(Kel_Var_2("ZEVA::ClassElement"),
                          Kel_Var_2("ZEVA::AssocLink"), root, target, 0);
      if (FirstByLink(farSearch, far, "kom") &&
          FirstByLink(farBlock, farSearch, "suchthat1"))
        SetPointer(target, farBlock);
    }
  }
  // 3. The label past the search, and the element's constraint.
  Kel_Var_2 label = CreateLabel();
  SetAttrStr(search, "else1", GetAttrStr(label, "name"));
  PrintConstraint(GetAttrStr(element, "constraint"), element, conditions);
  // 4. Every other link of the element becomes a test.
  for (int farDir : {0, 1}) {
    for (bool found =
             FirstByLink(other, element, farDir ? "destination" : "source");
         found; found = Next(other)) {
      if (PtrEq(other, link) || !isTraversedLink(other))
        continue;
      std::string b;
      if (!FirstByLink(far, other, farDir ? "from" : "to") ||
          !sourceName(far, b) || !sourceName(element, e))
        return;
      appendTest(conditions,
                 "link " + b + "." + roleName(farDir ? 0 : 1, other) + "." + e);
    }
  }
  // 5.
  AddKomToKomblock(search, target);
  AddKomToKomblock(CreateGoto(Kel_Var_2("Skom")), target);
  AddKomToKomblock(label, target);
}

} // namespace

void MarkClassElement(Kel_Var_2 element) { mark(element, "markedel"); }

void MarkAssocLink(Kel_Var_2 link) { mark(link, "markedlink"); }

void PrintRulePattern(Kel_Var_2 rule, Kel_Var_2 block) {
  Kel_Var_2 temp("Komblock");
  AddObj(temp, "Komblock");
  AddLink(rule, temp, "tempblock");
  Kel_Var_2 element("ZEVA::ClassElement"),
      referred("ZEVA::ReferencableElement");
  Kel_Var_2 none("ZEVA::ClassElement"), noLink("ZEVA::AssocLink");
  auto isReference = [&] {
    return FirstByLink(referred, element, "referElem");
  };
  // Pass 1: constraints of reference elements, which are bound already.
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element))
    if (isSearchedKind(element) && isReference())
      PrintConstraint(GetAttrStr(element, "constraint"), element, block);
  Kel_Var_2 marker("PatternElementMarker");
  if (!First(marker, "PatternElementMarker"))
    return;
  // Pass 2: the loop variable, bound by the foreach loop.
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element))
    if (hasElemType(element, "ElemType::LoopVariable")) {
      PrintConstraint(GetAttrStr(element, "constraint"), element, block);
      PrintPatternElement(none, noLink, element, block, 0);
      break;
    }
  // Pass 3: elements the rule's author made roots.
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element))
    if (isSearchedKind(element) &&
        (hasAnnotation(element, "single") || hasAnnotation(element, "start")))
      PrintPatternElement(none, noLink, element, block, 0);
  // Pass 4: reference elements.
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element))
    if (isSearchedKind(element) && isReference())
      PrintPatternElement(none, noLink, element, block, 0);
  // Pass 5: whatever no root has reached.
  Kel_Var_2 def("ZEVA::ClassElementDef");
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element))
    if (isSearchedKind(element) && FirstByLink(def, element, "def") &&
        !isMarkedBy(marker, element))
      PrintPatternElement(none, noLink, element, block, 0);
}

void PrintPatternElement(Kel_Var_2 previous, Kel_Var_2 link, Kel_Var_2 element,
                         Kel_Var_2 block, int dir) {
  // Patterns nest their searches as deep as their chains of elements go.
  withStackRoom(
      [&] { printPatternElementHere(previous, link, element, block, dir); });
}

namespace {

void printPatternElementHere(Kel_Var_2 &previous, Kel_Var_2 &link,
                             Kel_Var_2 &element, Kel_Var_2 &block, int dir) {
  // 1.
  Kel_Var_2 marker("PatternElementMarker"), rule("ZEVA::Rule");
  if (IsNull(element) || !First(marker, "PatternElementMarker") ||
      !FirstByLink(rule, element, "owningRule"))
    return;
  Kel_Var_2 current("Komblock"), def("ZEVA::ClassElementDef"),
      type("Kernel::Type");
  SetPointer(current, block);
  bool hasDef = FirstByLink(def, element, "def");
  if (IsNull(link)) {
    // 2. A root.
    if (isMarkedBy(marker, element)) {
      followLinks(element, current, marker);
      return;
    }
    MarkClassElement(element);
    if (hasElemType(element, "ElemType::Delete")) {
      std::string b;
      if (!sourceName(element, b))
        return;
      collectDeletion(rule, "deleteObj " + b);
    }
    if (!hasDef) {
      followLinks(element, current, marker);
      return;
    }
    if (!FirstByLink(type, def, "type"))
      return;
    if (isNot(element)) {
      printNotElementSearch(previous, link, element, block, dir, marker, def,
                            type);
      return;
    }
    Kel_Var_2 search = createSearch(element, GetAttrStr(def, "refName"),
                                    GetKernelElementFullName(type));
    AddKomToKomblock(search, block);
    if (!hasAnnotation(element, "single"))
      current = addSearchBlock(search);
  } else {
    // 3. Reached from `previous` along `link`.
    MarkAssocLink(link);
    Kel_Var_2 previousRule("ZEVA::Rule");
    if (!FirstByLink(previousRule, previous, "owningRule") ||
        !PtrEq(previousRule, rule)) {
      printError(1001, link, "");
      return;
    }
    if (hasElemType(element, "ElemType::Create")) {
      printError(56, link, "");
      return;
    }
    if (isMarkedBy(marker, element) || !hasDef) {
      printLinkTest(previous, link, element, block, dir, rule);
      return;
    }
    if (!FirstByLink(type, def, "type"))
      return;
    MarkClassElement(element);
    if (isNot(element)) {
      printNotElementSearch(previous, link, element, block, dir, marker, def,
                            type);
      return;
    }
    if (isNot(link) || hasAnnotation(link, "c")) {
      reRoot(previous, link, element, block, dir, marker);
      return;
    }
    std::string b = GetAttrStr(def, "refName");
    if (hasElemType(element, "ElemType::Delete"))
      collectDeletion(rule, "deleteObj " + b);
    std::string a;
    if (!sourceName(previous, a))
      return;
    std::string r = roleName(dir, link);
    Kel_Var_2 search = createSearch(
        element, b, GetKernelElementFullName(type) + " from " + a + " by " + r);
    AddKomToKomblock(search, block);
    current = addSearchBlock(search);
    if (GetAttrEnum(link, "AssocLinkType") == "AssocLinkType::Delete" &&
        !hasElemType(element, "ElemType::Delete"))
      collectDeletion(rule, "deleteLink " + a + "." + r + "." + b);
    if (IsLinkToClassElementToAbstractClass(link, type, dir) &&
        !appendSubclassTest(type, current, def))
      return;
  }
  // 7.
  Kel_Var_2 classElement("ZEVA::ClassElement");
  SetPointer(classElement, element);
  PrintConstraint(GetAttrStr(classElement, "constraint"), element, current);
  // 8.
  followLinks(element, current, marker);
}

} // namespace

bool FindRootNode(Kel_Var_2 link, int dir, Kel_Var_2 &root, Kel_Var_2 marker,
                  Kel_Var_2 searchMarker) {
  return withStackRoom(
      [&] { return findRootNodeHere(link, dir, root, marker, searchMarker); });
}

namespace {

bool findRootNodeHere(Kel_Var_2 &link, int dir, Kel_Var_2 &root,
                      Kel_Var_2 &marker, Kel_Var_2 &searchMarker) {
  Kel_Var_2 start("ZEVA::ClassElement");
  if (!FirstByLink(start, link, dir == 1 ? "from" : "to"))
    return false;
  if (LinkExists(searchMarker, start, "markedel") || isNot(start))
    return false;
  Kel_Var_2 def("ZEVA::ClassElementDef");
  if (!FirstByLink(def, start, "def") ||
      LinkExists(marker, start, "markedel")) {
    SetPointer(root, start);
    return true;
  }
  AddLink(searchMarker, start, "markedel");
  Kel_Var_2 next("ZEVA::Link");
  for (int nextDir : {0, 1}) {
    for (bool found =
             FirstByLink(next, start, nextDir ? "destination" : "source");
         found; found = Next(next)) {
      if (!isTraversedLink(next) || isMarkedBy(marker, next) ||
          isMarkedBy(searchMarker, next))
        continue;
      AddLink(searchMarker, next, "markedlink");
      if (FindRootNode(next, nextDir, root, marker, searchMarker))
        return true;
    }
  }
  SetPointer(root, start);
  return false;
}

} // namespace
} // namespace zeva
