/* The external procedure printReport of the library example: prints its
 * message on standard output. Build it as a shared library and give it to
 * `zevac run --natives`. */
#include "kel_native.h"

#include <stdio.h>

void Kel_Func_ext_printReport(KelNativeCall *call) {
  if (call->argc != 1) {
    call->fail(call, "printReport takes one argument");
    return;
  }
  printf("%s\n", call->args[0]);
  fflush(stdout);
}
