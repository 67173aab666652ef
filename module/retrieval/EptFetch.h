// Every point of one survey inside a rectangle of the drawing's state-plane zone.
#pragma once
#include <functional>
#include <string>

#include "geo/StatePlaneZone.h"
#include "retrieval/EptTypes.h"

// A survey's files below its folder: the metadata, and each tile as folder, key, extension.
inline constexpr char kEptMetadataFile[] = "ept.json";
inline constexpr char kEptDataFolder[] = "ept-data/";
inline constexpr char kEptTileExtension[] = ".laz";

// Added on every side of the Web Mercator query box, in metres.
inline constexpr double kQueryMarginMetres = 5.0;

// The Web Mercator box around the zone rectangle, widened by the margin. A straight edge of
// the rectangle is curved in Web Mercator, so the box is taken from points along every edge
// (at most kQueryEdgeStepMetres apart), not from the corners alone. False when a point
// cannot be converted.
inline constexpr double kQueryEdgeStepMetres = 1000.0;
bool QueryBoxForRectangle(const StatePlaneZone& zone, const ZoneRectangle& rect, WebMercatorBox& box);

// How the tiles of a fetch are read: with more than one connection, each worker thread
// gets its own fetcher from `connect` (so it can keep its connection open between tiles)
// and tiles are downloaded and decoded side by side; the points still reach the result in
// selection order, so the result is the same as with one connection.
struct TilePool {
  int connections = 1;
  std::function<Fetcher()> connect;
};

// The first steps of reading a survey over a rectangle: the query box, then the survey's
// ept.json. Empty on success, else the failure text (for ept.json, a second line names the
// host and the cause the web client saw, LastHttpsFailure).
std::wstring StartSurveyRead(const Fetcher& fetch, const std::string& surveyUrl, const StatePlaneZone& zone,
                             const ZoneRectangle& rect, WebMercatorBox& box, ByteBuffer& metadata);

// Walks the survey's hierarchy over the rectangle (depth cap and point budget on), reads
// and decodes the selected tiles coarse to fine, and keeps the points with
// xmin <= easting < xmax and ymin <= northing < ymax, converted into the zone.
EptFetchResult FetchEptRectangle(const Fetcher& fetch, const ProgressFn& progress, const std::string& surveyUrl,
                                 const StatePlaneZone& zone, double xmin, double ymin, double xmax, double ymax,
                                 const TilePool& pool = {});
