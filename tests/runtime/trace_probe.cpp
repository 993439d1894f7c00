// Reports its argument through the runtime once, as a fresh process would.
#include "dialogs.h"
#include "repository_user.h"

int main(int argc, char **argv) {
  kel::DialogHooks quiet;
  quiet.message = [](const char *) {};
  kel::setDialogHooks(quiet);
  kel::RepositoryUser::reportError(argc > 1 ? argv[1] : "");
  return 0;
}
