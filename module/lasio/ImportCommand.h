// PELVARIMPORT: LAS or LAZ files, one after another, into cloud files in the drawing's
// state-plane zone, each written beside its source and attached at full density.
#pragma once

void PelvarImportCommand();
