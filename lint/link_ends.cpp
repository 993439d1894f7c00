//===- link_ends.cpp - L1-L3: association links and their ends ------------===//
//
// A ZEVA::AssocLink joins the element `from` to the element `to`. Its
// `destProp` is the property by which `from` reaches `to` (typed by the
// class of `to`); its `sourceProp` is the other end of the same
// association, the way back. The compiler names these roles in its
// searches without asking whether they fit, so a wrong end compiles into a
// search along another role, one that never matches.
//
//===----------------------------------------------------------------------===//

#include "file_text.h"
#include "lint_context.h"

#include <algorithm>
#include <unordered_map>

namespace zlint {

const std::vector<WarningInfo> &linkEndWarnings() {
  static const std::vector<WarningInfo> table = {
      {1, "association link with swapped ends",
       "The link's destProp and sourceProp are the two ends of the right "
       "association, but each stands at the other's side: destProp must be "
       "the property by which the link's from element reaches its to "
       "element (owned by the from element's class, typed by the to "
       "element's class), and sourceProp the way back. The compiler names "
       "destProp in the search from the from element, so the program "
       "searches along the wrong role and the pattern never matches (a "
       "created link goes the wrong way). Fix: exchange destProp and "
       "sourceProp, or write the link in the short form `a -role-> b`."},
      {2, "association link with an end of another association or none",
       "The link's destProp and sourceProp must be the two member ends of "
       "one Kernel::Association. Here one of them belongs to another "
       "association (or to none), the two are the same property, or "
       "destProp is missing. The compiler takes destProp's name as the role "
       "searched from the from element and sourceProp's as the role back, "
       "without checking them, so the program searches along a role that "
       "does not join the two classes, or along an empty one. Fix: link "
       "destProp to the property by which the from element reaches the to "
       "element and sourceProp to the other end of its association. (A "
       "property "
       "of no association, a one-way reference, is named as both ends.)"},
      {3, "element reached along an end whose type cannot hold it",
       "An element is reached along an association end whose type is "
       "neither its class nor a general or special class of it: the to "
       "element along destProp, the from element along sourceProp. No "
       "object found along that end can be of the element's class, so the "
       "pattern never matches. Fix: choose the association that joins the "
       "two elements' classes, or correct the element's class (the type of "
       "its definition, or of what it refers to)."},
  };
  return table;
}

namespace {

class LinkEndCheck {
public:
  explicit LinkEndCheck(LintContext &cx) : cx_(cx) {}

  void run() {
    const zrep::Metamodel &mm = cx_.metamodel();
    zrep::TypeId assocLink = mm.classId("ZEVA::AssocLink");
    kernelClass_ = mm.classId("Kernel::Class");
    cx_.repo().forEachObject([&](const zrep::Object &o) {
      if (o.cls == assocLink)
        check(o.id);
    });
  }

private:
  void check(ObjectId link) {
    ObjectId from = cx_.one(link, "from"), to = cx_.one(link, "to");
    ObjectId src = cx_.one(link, "sourceProp");
    ObjectId dst = cx_.one(link, "destProp");
    // Without sourceProp the compiler reports message 59 itself.
    if (!from || !to || !src)
      return;
    if (!dst) {
      cx_.warn(2, link,
               "the link from " + elementName(from) + " to " + elementName(to) +
                   " has sourceProp " + propName(src) +
                   " but no destProp: link destProp to the other end of " +
                   propName(src) + "'s association");
      return;
    }
    ObjectId srcAssoc = cx_.one(src, "association");
    ObjectId dstAssoc = cx_.one(dst, "association");
    ObjectId fromClass = elementClass(from), toClass = elementClass(to);
    ObjectId dstType = cx_.one(dst, "type"), srcType = cx_.one(src, "type");
    // A property of no association is a one-way reference: with no other
    // end to name, a link along it names it at both sides.
    if (src == dst && !dstAssoc) {
      if (!holds(toClass, dstType))
        cx_.warn(3, link, reachedText(to, toClass, "destProp", dst, dstType));
      return;
    }
    if (src == dst || !srcAssoc || srcAssoc != dstAssoc) {
      cx_.warn(2, link,
               "the link from " + elementName(from) + " to " + elementName(to) +
                   " has destProp " + propName(dst) + " and sourceProp " +
                   propName(src) +
                   ", which are not the two ends of one association: make "
                   "sourceProp the other end of destProp's association");
      return;
    }
    bool toFits = holds(toClass, dstType), fromFits = holds(fromClass, srcType);
    if (toFits && fromFits)
      return;
    if (holds(toClass, srcType) && holds(fromClass, dstType)) {
      cx_.warn(1, link,
               "the link from " + elementName(from) + " to " + elementName(to) +
                   " has its ends swapped: make destProp " + propName(src) +
                   " and sourceProp " + propName(dst));
      return;
    }
    if (!toFits)
      cx_.warn(3, link, reachedText(to, toClass, "destProp", dst, dstType));
    else
      cx_.warn(3, link,
               reachedText(from, fromClass, "sourceProp", src, srcType));
  }

  std::string reachedText(ObjectId element, ObjectId cls, const char *role,
                          ObjectId prop, ObjectId type) const {
    return "the element " + elementName(element) + " of class " + name(cls) +
           " is reached along " + role + " " + propName(prop) + " of type " +
           name(type) +
           ", which cannot hold it: choose an association that joins the "
           "elements' classes";
  }

  /// What the element binds or refers to: its def, else its referElem.
  ObjectId source(ObjectId element) const {
    ObjectId def = cx_.one(element, "def");
    return def ? def : cx_.one(element, "referElem");
  }

  /// The class of an element's objects; 0 when it has none or it is not a
  /// Kernel::Class (then no end is judged against it).
  ObjectId elementClass(ObjectId element) const {
    ObjectId src = source(element);
    ObjectId type = src ? cx_.one(src, "type") : 0;
    return type && cx_.repo().classOf(type) == kernelClass_ ? type : 0;
  }

  /// Whether objects of class `cls` can be found along an end typed `type`:
  /// one of the two is the other or a general class of it. An unknown class
  /// or type is not judged.
  bool holds(ObjectId cls, ObjectId type) {
    if (!cls || !type)
      return true;
    return isKindOf(cls, type) || isKindOf(type, cls);
  }

  bool isKindOf(ObjectId cls, ObjectId general) {
    const std::vector<ObjectId> &all = ancestors(cls);
    return std::find(all.begin(), all.end(), general) != all.end();
  }

  /// The class and all its general classes, each once (the hierarchy of a
  /// faulty model may have cycles).
  const std::vector<ObjectId> &ancestors(ObjectId cls) {
    auto [it, fresh] = ancestors_.try_emplace(cls);
    if (!fresh)
      return it->second;
    std::vector<ObjectId> all{cls};
    for (std::size_t i = 0; i < all.size(); ++i)
      for (ObjectId g : cx_.many(all[i], "generalization"))
        if (ObjectId general = cx_.one(g, "general");
            general && std::find(all.begin(), all.end(), general) == all.end())
          all.push_back(general);
    ancestors_[cls] = std::move(all);
    return ancestors_[cls];
  }

  std::string name(ObjectId id) const {
    if (!id)
      return "(none)";
    std::string n = cx_.attr(id, "name");
    return n.empty() ? "#" + std::to_string(id) : zrep::printable(n);
  }

  /// "Class.property", as the notation writes a property.
  std::string propName(ObjectId prop) const {
    ObjectId owner = cx_.one(prop, "class");
    return (owner ? name(owner) + "." : std::string()) + name(prop);
  }

  std::string elementName(ObjectId element) const {
    ObjectId src = source(element);
    std::string n = src ? cx_.attr(src, "refName") : std::string();
    return n.empty() ? "#" + std::to_string(element) : zrep::printable(n);
  }

  LintContext &cx_;
  zrep::TypeId kernelClass_ = 0;
  std::unordered_map<ObjectId, std::vector<ObjectId>> ancestors_;
};

} // namespace

void checkLinkEnds(LintContext &cx) { LinkEndCheck(cx).run(); }

} // namespace zlint
