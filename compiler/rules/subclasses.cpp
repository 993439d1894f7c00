//===- subclasses.cpp - Exact-type tests over a subclass tree -------------===//

#include "subclasses.h"

#include "../program/chains.h"
#include "../program/names.h"
#include "../queries/names.h"
#include "recursion_guard.h"

using namespace kel;

namespace zeva {

void CreateTypeNotEqualCommandsForSubClasses(Kel_Var_2 cls, Kel_Var_2 block,
                                             std::string elseLabel,
                                             Kel_Var_2 def) {
  RecursionGuard guard("CreateTypeNotEqualCommandsForSubClasses");
  rules::appendTypeTest(block, GetAttrStr(def, "refName"), cls, elseLabel);
  Kel_Var_2 generalization("Kernel::Generalization");
  Kel_Var_2 subclass("Kernel::Class");
  for (bool found = FirstByLink(generalization, cls, "specialization"); found;
       found = Next(generalization)) {
    if (!FirstByLink(subclass, generalization, "specific"))
      break;
    CreateTypeNotEqualCommandsForSubClasses(subclass, block, elseLabel, def);
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
