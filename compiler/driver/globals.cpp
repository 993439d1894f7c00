//===- globals.cpp - The compiler's global variables ----------------------===//

#include "globals.h"

int _elemVar__TARGET_ = 0;
