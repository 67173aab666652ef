#include "lasio/DemCommand.h"

void PelvarDemCommand() {}
