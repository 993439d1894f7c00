//===- builtin_natives.cpp - The runtime's natives for the interpreter ----===//

#include "builtin_natives.h"

#include "natives.h"

namespace kel {

namespace {

using V = ValueType;

std::string instanceId(Kel_Var_2 &v) {
  return IsNull(v) ? std::string("NULL") : std::to_string(CurId(v));
}

} // namespace

const std::vector<NativeInfo> &builtinNatives() {
  static const std::vector<NativeInfo> natives = {
      // Declared by every compiled main unit.
      {"NotAttrValEmpty",
       {V::Pointer, V::String},
       {true, true},
       true,
       V::Boolean,
       [](NativeArgs &a) {
         a.numResult = !IsAttrValEmpty(*a.ptr[0], *a.str[1]);
       }},
      {"IsAttrValEmpty",
       {V::Pointer, V::String},
       {true, true},
       true,
       V::Boolean,
       [](NativeArgs &a) {
         a.numResult = IsAttrValEmpty(*a.ptr[0], *a.str[1]);
       }},
      {"SetAttrValEmpty",
       {V::Pointer, V::String},
       {true, true},
       false,
       V::Integer,
       [](NativeArgs &a) { SetAttrStr(*a.ptr[0], *a.str[1], std::string()); }},
      {"toUpper",
       {V::String},
       {false},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = toUpper(*a.str[0]); }},
      {"toLower",
       {V::String},
       {false},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = toLower(*a.str[0]); }},
      {"indexOf",
       {V::String, V::String},
       {false, false},
       true,
       V::Integer,
       [](NativeArgs &a) { a.numResult = Pos(*a.str[0], *a.str[1], 0); }},
      {"appendToFile",
       {V::String, V::String},
       {false, false},
       false,
       V::Integer,
       [](NativeArgs &a) { appendToFile(*a.str[0], *a.str[1]); }},
      {"startNthTimer",
       {V::Integer},
       {false},
       false,
       V::Integer,
       [](NativeArgs &a) { startNthTimer(*a.num[0]); }},
      {"stopNthTimer",
       {V::Integer},
       {false},
       false,
       V::Integer,
       [](NativeArgs &a) { stopNthTimer(*a.num[0]); }},
      {"elapsedNthTimeString",
       {V::Integer},
       {false},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = elapsedNthTimeString(*a.num[0]); }},
      {"writeToFile",
       {V::String, V::String},
       {false, false},
       false,
       V::Integer,
       [](NativeArgs &a) { writeToFile(*a.str[0], *a.str[1]); }},
      {"GetInstanceID",
       {V::Pointer},
       {true},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = instanceId(*a.ptr[0]); }},
      // Used by compiled expressions.
      {"StrToEnum",
       {V::String, V::String},
       {false, false},
       true,
       V::Enum,
       [](NativeArgs &a) { a.strResult = StrToEnum(*a.str[0], *a.str[1]); }},
      {"EnumToStr",
       {V::Enum},
       {false},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = EnumToStr(*a.str[0]); }},
      {"StrToInt",
       {V::String},
       {false},
       true,
       V::Integer,
       [](NativeArgs &a) { a.numResult = StrToInt(*a.str[0]); }},
      {"StrToBool",
       {V::String},
       {false},
       true,
       V::Boolean,
       [](NativeArgs &a) { a.numResult = StrToBool(*a.str[0]); }},
      {"IntToStr",
       {V::Integer},
       {false},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = IntToStr(*a.num[0]); }},
      {"BoolToStr",
       {V::Boolean},
       {false},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = BoolToStr(*a.num[0] != 0); }},
      {"Length",
       {V::String},
       {false},
       true,
       V::Integer,
       [](NativeArgs &a) { a.numResult = Length(*a.str[0]); }},
      {"SubString",
       {V::String, V::Integer, V::Integer},
       {false, false, false},
       true,
       V::String,
       [](NativeArgs &a) {
         a.strResult = SubString(*a.str[0], *a.num[1], *a.num[2]);
       }},
      // The rest of the runtime library.
      {"showMsg",
       {V::String},
       {false},
       false,
       V::Integer,
       [](NativeArgs &a) { showMsg(*a.str[0]); }},
      {"ext_showMsg",
       {V::String},
       {false},
       false,
       V::Integer,
       [](NativeArgs &a) { ext_showMsg(*a.str[0]); }},
      {"ext_showMsgYesNo",
       {V::String, V::Boolean},
       {false, true},
       false,
       V::Integer,
       [](NativeArgs &a) {
         bool yes = false;
         ext_showMsgYesNo(*a.str[0], yes);
         *a.num[1] = yes;
       }},
      {"ext_showMsgInputBox",
       {V::String, V::String, V::Boolean},
       {false, true, true},
       false,
       V::Integer,
       [](NativeArgs &a) {
         bool ok = false;
         ext_showMsgInputBox(*a.str[0], *a.str[1], ok);
         *a.num[2] = ok;
       }},
      {"Pos",
       {V::String, V::String, V::Integer},
       {false, false, false},
       true,
       V::Integer,
       [](NativeArgs &a) {
         a.numResult = Pos(*a.str[0], *a.str[1], *a.num[2]);
       }},
      {"Trim",
       {V::String},
       {false},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = Trim(*a.str[0]); }},
      {"STOP", {}, {}, false, V::Integer, [](NativeArgs &) { STOP(); }},
      {"Size",
       {V::String},
       {false},
       true,
       V::Integer,
       [](NativeArgs &a) { a.numResult = Size(*a.str[0]); }},
      {"Substring",
       {V::String, V::Integer, V::Integer},
       {false, false, false},
       true,
       V::String,
       [](NativeArgs &a) {
         a.strResult = Substring(*a.str[0], *a.num[1], *a.num[2]);
       }},
      {"Char",
       {V::String, V::Integer},
       {false, false},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = Char(*a.str[0], *a.num[1]); }},
      {"IntToString",
       {V::Integer},
       {false},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = IntToString(*a.num[0]); }},
      {"IsInt",
       {V::String},
       {false},
       true,
       V::Boolean,
       [](NativeArgs &a) { a.numResult = IsInt(*a.str[0]); }},
      {"IsReal",
       {V::String},
       {false},
       true,
       V::Boolean,
       [](NativeArgs &a) { a.numResult = IsReal(*a.str[0]); }},
      {"IsBool",
       {V::String},
       {false},
       true,
       V::Boolean,
       [](NativeArgs &a) { a.numResult = IsBool(*a.str[0]); }},
      {"startTimer",
       {},
       {},
       false,
       V::Integer,
       [](NativeArgs &) { startTimer(); }},
      {"stopTimer",
       {},
       {},
       false,
       V::Integer,
       [](NativeArgs &) { stopTimer(); }},
      {"elapsedTimeString",
       {},
       {},
       true,
       V::String,
       [](NativeArgs &a) { a.strResult = elapsedTimeString(); }},
  };
  return natives;
}

int findBuiltinNative(std::string_view name) {
  const auto &all = builtinNatives();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (name == all[i].name)
      return static_cast<int>(i);
  return -1;
}

} // namespace kel
