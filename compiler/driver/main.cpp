//===- main.cpp - The compiler run
//------------------------------------------===//

#include "driver.h"

#include "kel_var.h"

using namespace kel;

namespace zeva {

void Main() {
  // 1. The crash guard: if the run stops abnormally it stays in the model.
  Kel_Var_2 guard("Utility::CompilerMessages");
  AddObj(guard, "Utility::CompilerMessages");
  SetAttrStr(guard, "text", "ZEVA compiler has crashed!");
  SetAttrEnum(guard, "CompilerMessageType", "CompilerMessageType::Error");
  // 6. A run that ends normally removes it.
  DeleteObj(guard);
}

} // namespace zeva
