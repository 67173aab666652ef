// Must not build: a module source reaching into the host's private database state.
#include "aced.h"
#include "dbimpl.h"

int WallProbe() { return acedGetPoint == nullptr ? 1 : 0; }
