//===- natives_system.cpp - Dialog, file and model natives ----------------===//

#include "natives.h"

#include "dialogs.h"
#include "qta_rep.h"

#include <cstdio>

namespace kel {

namespace {

void writeFile(const std::string &text, const std::string &fileName,
               const char *mode) {
  std::FILE *f = std::fopen(fileName.c_str(), mode);
  if (!f) {
    showMessage("Can not open file \"" + fileName + "\".");
    return;
  }
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

} // namespace

void showMsg(std::string text) { showMessage(text); }
void ext_showMsg(std::string text) { showMessage(text); }

void ext_showMsgYesNo(std::string text, bool &yes) {
  yes = askYesNo("Message", text);
}

void ext_showMsgInputBox(std::string prompt, std::string &answer,
                         bool &confirmed) {
  std::string typed;
  confirmed = askInput("Input Prompt", prompt, typed);
  answer = confirmed ? typed : "";
}

bool IsAttrValEmpty(Kel_Var_2 variable, std::string attr) {
  if (IsNull(variable))
    return true;
  ObjectId id = CurId(variable);
  TypeId attrId =
      RepositoryUser::attrId(RepositoryUser::classOf(id), attr.c_str());
  std::int32_t base = 0;
  if (attrId == 0 || !_GetPropertyTypeAttributes(attrId, &base, nullptr))
    return true;
  if (base != kRepString && base != kRepInteger && base != kRepBoolean &&
      base != kRepEnumeration)
    return true;
  return RepositoryUser::readValue(id, attrId).empty();
}

void writeToFile(std::string text, std::string fileName) {
  writeFile(text, fileName, "wb");
}

void appendToFile(std::string text, std::string fileName) {
  writeFile(text, fileName, "ab");
}

void STOP() { throw Kel_Var_2_Exception(""); }

} // namespace kel
