// Registers the civil model's runtime classes when the host library loads, so that
// drawings holding civil objects read back as those objects.
#include "aeccdb.h"

namespace {
struct RegisterCivilClasses {
  RegisterCivilClasses() {
    AcDbEntity::desc();
    AeccDbSurface::desc();
    AeccDbSurfaceTin::desc();
    AeccDbCogoPoint::desc();
    AeccDbFeatureLine::desc();
    AeccDbDrawingSettings::desc();
    acrxBuildClassHierarchy();
  }
};
const RegisterCivilClasses registerCivilClasses;
}  // namespace
