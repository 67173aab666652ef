// Must not build: the test harness is for tests, never for the module.
#include "aced.h"
#include "hostoutput.h"

int WallProbe() { return acedGetPoint == nullptr ? 1 : 0; }
