//===- subclasses.cpp - Exact-type tests over a subclass tree -------------===//

#include "subclasses.h"

#include "../program/chains.h"
#include "../program/names.h"
#include "../queries/names.h"
#include "cycle_check.h"

#include <vector>

using namespace kel;

namespace zeva {

void CreateTypeNotEqualCommandsForSubClasses(Kel_Var_2 cls, Kel_Var_2 block,
                                             std::string elseLabel,
                                             Kel_Var_2 def) {
  // A test for `cls`, then those of each subclass in turn, depth first; a
  // specialization without its class ends the subclasses of its general
  // class. A class reached along two paths is tested twice. The walk keeps
  // its own stack: subclasses may nest as deep as the model likes.
  std::string name = GetAttrStr(def, "refName");
  struct Open {
    ObjectId cls;
    Kel_Var_2 specialization;
    bool more;
  };
  std::vector<Open> open;
  PathCycleCheck path;
  auto enter = [&](const Kel_Var_2 &c) {
    if (!path.enter(CurId(c)))
      abortCycle("CreateTypeNotEqualCommandsForSubClasses", CurId(c),
                 "specialization");
    rules::appendTypeTest(block, name, c, elseLabel);
    open.push_back({CurId(c), Kel_Var_2("Kernel::Generalization"), false});
    open.back().more =
        FirstByLink(open.back().specialization, c, "specialization");
  };
  enter(cls);
  Kel_Var_2 subclass("Kernel::Class");
  while (!open.empty()) {
    Open &top = open.back();
    if (top.more && FirstByLink(subclass, top.specialization, "specific")) {
      enter(subclass);
      continue;
    }
    path.leave(top.cls);
    open.pop_back();
    if (!open.empty())
      open.back().more = Next(open.back().specialization);
  }
}

bool IsLinkToClassElementToAbstractClass(Kel_Var_2 link, Kel_Var_2 type,
                                         int dir) {
  Kel_Var_2 prop("Kernel::Property");
  if (!FirstByLink(prop, link, dir == 1 ? "sourceProp" : "destProp"))
    return true;
  return !LinkExists(type, prop, "typed");
}

namespace rules {

void appendTypeTest(const Kel_Var_2 &block, const std::string &name,
                    const Kel_Var_2 &cls, const std::string &elseLabel) {
  Kel_Var_2 test("Ekom");
  AddObj(test, "Ekom");
  SetAttrStr(test, "text",
             "type " + name + "!=" + GetKernelElementFullName(cls));
  SetAttrStr(test, "else1", elseLabel);
  AddKomToKomblock(test, block);
}

bool appendSubclassTest(const Kel_Var_2 &type, const Kel_Var_2 &block,
                        const Kel_Var_2 &def) {
  if (!IsTypeOf(type, "Kernel::Class"))
    return false;
  Kel_Var_2 cls("Kernel::Class");
  SetPointer(cls, type);
  Kel_Var_2 label = CreateLabel();
  CreateTypeNotEqualCommandsForSubClasses(cls, block, GetAttrStr(label, "name"),
                                          def);
  AddKomToKomblock(CreateGoto(Kel_Var_2("Skom")), block);
  AddKomToKomblock(label, block);
  return true;
}

} // namespace rules
} // namespace zeva
