// Conversions between a state-plane zone, geographic longitude/latitude and Web Mercator.
// The zone projections work on the GRS80 ellipsoid; Web Mercator (EPSG:3857) is spherical.
// No datum shift is applied anywhere. None of these allocate; the only state is a table of
// per-zone constants derived once from kStatePlaneZones (thread-safe, and giving the same
// bits as deriving them per call), so they may be called from any thread, once per point.
#pragma once
#include "geo/StatePlaneZone.h"

// Longitude and latitude in degrees to easting and northing in the zone's unit.
// Returns true when both results (and both inputs) are finite; the outputs are written
// either way.
bool LonLatToZone(const StatePlaneZone& zone, double lon, double lat, double& easting, double& northing);

// Web Mercator X and Y in metres straight to easting and northing in the zone's unit: the
// conversion of WebMercatorToLonLat then LonLatToZone (no datum step), with the latitude's
// trigonometry and conformal function taken from the Mercator ordinate itself. The two routes
// agree to rounding (well under a micrometre). Returns true when both results (and both
// inputs) are finite; the outputs are written either way.
bool WebMercatorToZone(const StatePlaneZone& zone, double x, double y, double& easting, double& northing);

// Easting and northing in the zone's unit to longitude and latitude in degrees. Longitudes
// come back within [-180, 180]. Returns true when both results (and both inputs) are
// finite; the outputs are written either way.
bool ZoneToLonLat(const StatePlaneZone& zone, double easting, double northing, double& lon, double& lat);

// A length in metres (a height from the archive) in the zone's unit: multiplied by
// 1/unitMetres, or returned unchanged when the unit is the metre.
double MetresToZoneUnits(const StatePlaneZone& zone, double metres);

// Longitude and latitude in degrees to Web Mercator X and Y in metres, and back.
// No result test: whatever the arithmetic gives is returned.
void LonLatToWebMercator(double lon, double lat, double& x, double& y);
void WebMercatorToLonLat(double x, double y, double& lon, double& lat);
