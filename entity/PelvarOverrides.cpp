// Placeholder for the override-class rebuild until reclassification lands: no overrides
// are derived yet, so ClassOverrides() stays empty and the dirty mark stays set, ready
// for the real rebuild. The reclassification code replaces this file.
#include "entity/Pelvar.h"

void RebuildClassOverrides(const Pelvar& entity, const KmqData& data) {}
