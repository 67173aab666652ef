#include "lasio/ExportCommand.h"

void PelvarExportCommand() {}
