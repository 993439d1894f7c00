//===- names.cpp - Generated names, labels and jumps ----------------------===//

#include "names.h"

#include "natives.h"

using namespace kel;

namespace zeva {

std::string GenerateUniqueName(std::string prefix) {
  Kel_Var_2 generator("LabelGenerator");
  if (!First(generator, "LabelGenerator"))
    return "";
  int n = GetAttrInt(generator, "id");
  SetAttrInt(generator, "id", n + 1);
  return prefix + IntToStr(n);
}

Kel_Var_2 CreateLabel() {
  Kel_Var_2 label("Skom");
  AddObj(label, "Skom");
  std::string name = GenerateUniqueName("_mlabel_");
  SetAttrStr(label, "name", name);
  SetAttrStr(label, "text", "label " + name);
  return label;
}

Kel_Var_2 CreateGoto(Kel_Var_2 label) {
  Kel_Var_2 jump("Gotokom");
  AddObj(jump, "Gotokom");
  if (!IsNull(label))
    SetAttrStr(jump, "labname", GetAttrStr(label, "name"));
  return jump;
}

} // namespace zeva
