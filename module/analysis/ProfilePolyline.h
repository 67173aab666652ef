// The 3D polyline a profile command leaves in the drawing, and the profile layer.
#pragma once
#include "AdAChar.h"
#include "dbid.h"
#include "gept3dar.h"

inline constexpr const ACHAR* kProfileLayerName = L"PELVAR_PROFILE";
inline constexpr Adesk::UInt16 kProfileLayerColour = 40;

// The identifier of the layer "PELVAR_PROFILE" in the working database, made (colour 40)
// on first use. Null when the layer table cannot be opened or upgraded.
AcDbObjectId EnsureProfileLayer();

// Appends a simple, open 3D polyline through the vertices to model space of the working
// database, on the given layer (or the current layer when layerId is null), and closes it.
// Null (nothing left in the drawing) when any step fails.
AcDbObjectId AppendProfilePolyline(const AcGePoint3dArray& vertices, AcDbObjectId layerId);
