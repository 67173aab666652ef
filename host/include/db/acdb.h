// Enumerations of the drawing database.
#pragma once
#include "adesk.h"

namespace AcDb {
enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };

enum OsnapMode {
  kOsModeEnd = 1,
  kOsModeMid = 2,
  kOsModeCen = 3,
  kOsModeNode = 4,
  kOsModeQuad = 5,
  kOsModeIns = 7,
  kOsModePerp = 8,
  kOsModeTan = 9,
  kOsModeNear = 10,
  kOsModeCentroid = 11
};

enum FilerType {
  kFileFiler = 0,
  kCopyFiler = 1,
  kUndoFiler = 2,
  kBagFiler = 3,
  kIdXlateFiler = 4,
  kPageFiler = 5,
  kDeepCloneFiler = 6,
  kIdFiler = 7,
  kPurgeFiler = 8,
  kWblockCloneFiler = 9
};

enum Poly3dType { k3dSimplePoly = 0, k3dQuadSplinePoly = 1, k3dCubicSplinePoly = 2 };

// Drawing versions, as registered with a runtime class.
enum AcDbDwgVersion { kDHL_1027 = 31, kDHL_1032 = 33, kDHL_CURRENT = kDHL_1032 };
enum MaintenanceReleaseVersion { kMReleaseCurrent = 427 };

// Colour indexes with a special meaning.
constexpr Adesk::UInt16 kColorByBlock = 0;
constexpr Adesk::UInt16 kColorByLayer = 256;
}  // namespace AcDb
