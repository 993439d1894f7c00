/*===- kel_native.h - C interface of external procedures -------*- C -*-===*
 *
 * A ZEVA external procedure NAME is compiled into a native Kel procedure
 * named "ext_NAME". `zevac run --natives LIB.so` looks each one up in the
 * libraries given, as the symbol "Kel_Func_" + that name, for example
 *
 *   void Kel_Func_ext_printReport(KelNativeCall *call);
 *
 * All values cross this interface as texts, as the repository keeps them:
 * Integer in decimal, Boolean "true" or "false", an enumeration value as
 * "Type::LITERAL", a String as it is, an object as its id in decimal ("0"
 * for the null pointer). Texts passed in stay valid until the function
 * returns; texts passed out are copied at once.
 *
 *===----------------------------------------------------------------------===*/
#ifndef ZEVA_KEL_NATIVE_H
#define ZEVA_KEL_NATIVE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KelNativeCall {
  int32_t argc;
  /* The arguments' values and the declared Kel types of the parameters. */
  const char *const *args;
  const char *const *types;
  /* Non-zero for a parameter passed by reference ("ref"). */
  const int32_t *byRef;
  /* The interpreter's; pass it back unchanged through the calls below. */
  void *context;
  /* Gives a by-reference parameter of a value type (not an object) a new
   * value; the caller's variable receives it when the function returns. */
  void (*setArg)(struct KelNativeCall *call, int32_t index, const char *value);
  /* Ends the run with a run-time fault that names the procedure and shows
   * `message`; the function should return right after. */
  void (*fail)(struct KelNativeCall *call, const char *message);
} KelNativeCall;

typedef void (*KelNativeFunction)(KelNativeCall *call);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif
