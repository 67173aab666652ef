// Every point of one survey inside a rectangle of the drawing's state-plane zone.
#pragma once
#include <string>

#include "geo/StatePlaneZone.h"
#include "retrieval/EptTypes.h"

// Added on every side of the Web Mercator query box, in metres.
inline constexpr double kQueryMarginMetres = 5.0;

// The Web Mercator box around the zone rectangle, widened by the margin. A straight edge of
// the rectangle is curved in Web Mercator, so the box is taken from points along every edge
// (at most kQueryEdgeStepMetres apart), not from the corners alone. False when a point
// cannot be converted.
inline constexpr double kQueryEdgeStepMetres = 1000.0;
bool QueryBoxForRectangle(const StatePlaneZone& zone, const ZoneRectangle& rect, WebMercatorBox& box);

// Walks the survey's hierarchy over the rectangle (depth cap and point budget on), reads
// and decodes the selected tiles coarse to fine, and keeps the points with
// xmin <= easting < xmax and ymin <= northing < ymax, converted into the zone.
EptFetchResult FetchEptRectangle(const Fetcher& fetch, const ProgressFn& progress, const std::string& surveyUrl,
                                 const StatePlaneZone& zone, double xmin, double ymin, double xmax, double ymax);
