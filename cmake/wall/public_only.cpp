// Control: a module source that uses the public API headers only builds.
#include "aced.h"
#include "dbmain.h"
#include "windows.h"

int WallProbe() { return acedGetPoint == nullptr ? 1 : 0; }
