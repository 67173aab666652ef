// The module's demand-load data in the host's registry area: the host loads the module
// when a drawing holds its entities or when one of the listed commands is typed.
#pragma once
#include "AdAChar.h"

typedef void* HINSTANCE;

inline constexpr const ACHAR* kDemandLoadAppName = L"Pelvar";
inline constexpr const ACHAR* kDemandLoadDescription = L"Mardel KMQ1 point cloud";
inline constexpr const ACHAR* kDemandLoadGroup = L"MARDEL";

// Writes the application record (module path from `module`), the group and the
// demand-load command list.
void WriteDemandLoadInfo(HINSTANCE module);
