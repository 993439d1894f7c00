//===- action_part.cpp - A rule's actions ---------------------------------===//

#include "action_part.h"

#include "../program/chains.h"
#include "../queries/names.h"
#include "elements.h"
#include "messages.h"

using namespace kel;

namespace zeva {

using namespace rules;

void PrintActionPart(Kel_Var_2 rule, Kel_Var_2 block) {
  // 1. New objects, of concrete classes only.
  Kel_Var_2 element("ZEVA::ClassElement"), def("ZEVA::ClassElementDef");
  Kel_Var_2 type("Kernel::Type"), cls("Kernel::Class");
  for (bool found = FirstByLink(element, rule, "ownedElem"); found;
       found = Next(element)) {
    if (!hasElemType(element, "ElemType::Create") ||
        !FirstByLink(def, element, "def") || !FirstByLink(type, def, "type"))
      continue;
    if (!IsTypeOf(type, "Kernel::Class")) {
      printError(78, element, "");
      continue;
    }
    SetPointer(cls, type);
    if (GetAttrBool(cls, "isAbstract")) {
      printError(79, element, "");
      continue;
    }
    AddSkomToKomBlock("addObj " + GetAttrStr(def, "refName") + ":" +
                          GetKernelElementFullName(cls),
                      block);
  }
  // 2. New links.
  Kel_Var_2 link("ZEVA::Link"), assocLink("ZEVA::AssocLink");
  Kel_Var_2 prop("Kernel::Property"), from("ZEVA::ClassElement"),
      to("ZEVA::ClassElement");
  for (bool found = FirstByLink(link, rule, "ownedLink"); found;
       found = Next(link)) {
    if (!IsTypeOf(link, "ZEVA::AssocLink") ||
        GetAttrEnum(link, "AssocLinkType") != "AssocLinkType::Create")
      continue;
    std::string x, y;
    if (!FirstByLink(prop, link, "destProp") ||
        !FirstByLink(from, link, "from") || !FirstByLink(to, link, "to") ||
        !sourceName(from, x) || !sourceName(to, y))
      continue;
    AddSkomToKomBlock("addLink " + x + "." + GetAttrStr(prop, "name") + "." + y,
                      block);
  }
  // 3. Assignments are compiled by the expression compiler.
  // 4. Deletions, in the order the pattern left them.
  Kel_Var_2 temp("Komblock");
  if (FirstByLink(temp, rule, "tempblock")) {
    MoveKomsFromKomBlock(temp, block);
    DeleteObj(temp);
  }
}

} // namespace zeva
