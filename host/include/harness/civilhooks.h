// Test hooks of the civil model: its objects in model space and what AddVertices was
// called with.
#pragma once
#include <cstddef>
#include <vector>

#include "dbmain.h"

namespace pelvarhost::civil {

// The live (not erased) model-space entities of that class or a class derived from it,
// in the order appended.
std::vector<AcDbObjectId> ModelSpaceIdsOf(AcDbDatabase* database, AcRxClass* cls);

// The vertex count of every TinSurface::AddVertices call since the last reset.
std::vector<std::size_t> AddVerticesCallSizes();
void ResetAddVerticesCallSizes();

}  // namespace pelvarhost::civil
