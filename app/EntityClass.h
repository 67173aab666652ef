// The values the cloud entity's runtime class is registered with.
#pragma once
#include "AdAChar.h"

struct EntityClassRecord {
  const ACHAR* className;
  const ACHAR* parentClassName;
  int dwgVersion;
  int maintenanceVersion;
  int proxyFlags;
  const ACHAR* dxfName;
  const ACHAR* appName;
};

extern const EntityClassRecord kPelvarClassRecord;

// The text the host aborts with when another class already holds the entity's name.
inline constexpr const ACHAR* kClassMismatchText = L"Class mismatch";
