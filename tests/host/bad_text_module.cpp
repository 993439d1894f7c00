// A stand-in compiler module whose run leaves a compiler message with a
// text that is not UTF-8, as a faulty compiler would: zevac must not save
// it.
#include "qta_rep.h"

namespace kel {
struct DialogHooks;
}

extern "C" __attribute__((visibility("default"))) void
Kel_SetDialogHooks(const kel::DialogHooks *) {}

extern "C" __attribute__((visibility("default"))) void Kel_LibMain() {
  int32_t cls = _GetObjectTypeIdByName("Utility::CompilerMessages");
  int32_t id = _CreateObject(cls);
  _AddProperty(id, _GetPropertyTypeIdByName(cls, "text"),
               "20 - An unknown identifier \"\xC8\" !");
  _AddProperty(id, _GetPropertyTypeIdByName(cls, "CompilerMessageType"),
               "Error");
}
