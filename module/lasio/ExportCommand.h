// PELVAREXPORT: a cloud (or a rectangle of it) out as a LAS 1.4 or LAZ file with its
// effective classes and the zone's coordinate system.
#pragma once

void PelvarExportCommand();
