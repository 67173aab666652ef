// PELVARDEM: a cloud's ground grid out as a Float32 GeoTIFF DEM in the zone's system.
#pragma once

void PelvarDemCommand();
