// The cloud entity's runtime class: the values it is registered with, and its registration.
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

// The entity class's registration: creates (or reuses) the runtime class "Pelvar" and
// links the class tree; aborts the host with "Class mismatch" when another class already
// holds the name. Unregistering deletes the class (its objects become proxies).
void RegisterPelvarClass();
void UnregisterPelvarClass();
