// Registers the database's runtime classes and the proxy hooks when the host library loads.
#include "dbents.h"
#include "dbproxy.h"
#include "dbsymtb.h"

namespace pelvarhost {
void InstallProxyHooks();
}

namespace {
struct RegisterDatabaseClasses {
  RegisterDatabaseClasses() {
    AcRxObject::desc();
    AcRxClass::desc();
    AcGiDrawable::desc();
    AcDbObject::desc();
    AcDbEntity::desc();
    AcDbCurve::desc();
    AcDbLine::desc();
    AcDbPoint::desc();
    AcDbPolyline::desc();
    AcDb3dPolyline::desc();
    AcDbProxyEntity::desc();
    AcDbSymbolTable::desc();
    AcDbSymbolTableRecord::desc();
    AcDbBlockTable::desc();
    AcDbBlockTableRecord::desc();
    AcDbLayerTable::desc();
    AcDbLayerTableRecord::desc();
    AcDbDatabase::desc();
    AcDbDwgFiler::desc();
    acrxBuildClassHierarchy();
    pelvarhost::InstallProxyHooks();
  }
};
const RegisterDatabaseClasses registerDatabaseClasses;
}  // namespace
