//===- messages.cpp - Numbered compiler messages --------------------------===//
//
// printError turns a message number of the table into a message object in the
// repository.
//
//===----------------------------------------------------------------------===//

#include "messages.h"

#include "natives.h"

using namespace kel;

namespace zeva {

void printError(int errorNumber, Kel_Var_2 element, std::string name) {
  std::string text = "Unknown error!";
  std::string type = "CompilerMessageType::Error";
  if (const MessageRow *row = findMessage(errorNumber)) {
    text = row->text;
    if (row->hasName)
      text += name + std::string(row->tail);
    if (row->isWarning)
      type = "CompilerMessageType::Warning";
  }
  createCompilerMessage(text, type, element, errorNumber);
}

void createCompilerMessage(std::string text, std::string messageType,
                           Kel_Var_2 element, int number) {
  Kel_Var_2 message("Utility::CompilerMessages");
  AddObj(message, "Utility::CompilerMessages");
  AddLink(message, element, "element");
  SetAttrStr(message, "text", IntToStr(number) + " - " + text);
  SetAttrEnum(message, "CompilerMessageType", messageType);
}

} // namespace zeva
