#include "compiler_fixture.h"
