//===- builtin_natives.h - Native functions a Kel program can call -*- C++
//-*-===//
//
// The native functions of the runtime library, as the interpreter calls
// them: each with its parameter and result types. Arguments arrive as
// pointers to the caller's variables (for parameters passed by reference)
// or to temporaries.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "code.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kel {

inline constexpr std::size_t kMaxNativeArgs = 8;

struct NativeArgs {
  std::int32_t *num[kMaxNativeArgs] = {};
  std::string *str[kMaxNativeArgs] = {};
  Kel_Var_2 *ptr[kMaxNativeArgs] = {};
  std::int32_t numResult = 0;
  std::string strResult;
};

using NativeFn = void (*)(NativeArgs &);

struct NativeInfo {
  const char *name;
  std::vector<ValueType> params;
  std::vector<bool> byRef;
  bool hasResult;
  ValueType result;
  NativeFn fn;
};

/// The built-in natives, in a fixed order (indices stay valid).
const std::vector<NativeInfo> &builtinNatives();
/// Index of a built-in native by name, or -1.
int findBuiltinNative(std::string_view name);

} // namespace kel
