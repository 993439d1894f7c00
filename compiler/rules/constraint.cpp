//===- constraint.cpp - Constraints of pattern elements -------------------===//

#include "constraint.h"

#include "../expressions/boolean.h"
#include "../expressions/lexer.h"
#include "../program/chains.h"
#include "../program/cleanup.h"
#include "../program/declarations.h"

using namespace kel;

namespace zeva {

void PrintConstraint(std::string text, Kel_Var_2 element, Kel_Var_2 block) {
  // 1, 2. Nothing to test.
  if (text.empty())
    return;
  Kel_Var_2 lexems("Le");
  GetLexems(text, lexems);
  if (IsNull(lexems))
    return;
  // 3. An element outside any procedure gets no variable (1001), and
  // reading its name aborts the run.
  Kel_Var_2 variable = DeclareVaCon("Boolean", element);
  std::string v = GetAttrStr(variable, "name1");
  // 4 to 6.
  PrintBooleanExpression(lexems, v, element, block);
  ClearLexems();
  Kel_Var_2 test("Ekom");
  AddObj(test, "Ekom");
  SetAttrStr(test, "text", "var " + v + "==true");
  AddKomToKomblock(test, block);
}

} // namespace zeva
