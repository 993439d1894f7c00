#include "commands.h"
namespace zevac {
int runReport(const ReportOptions &) { return kExitFailure; }
}
