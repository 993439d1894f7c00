#include "commands.h"
namespace zevac {
int runDiagram(const DiagramOptions &) { return kExitFailure; }
}
