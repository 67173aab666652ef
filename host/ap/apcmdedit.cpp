// Editing and inspection commands: ERASE, MOVE, ROTATE, SCALE, LAYER, LIST.
#include <cmath>
#include <numbers>

#include "apcommands.h"
#include "apcommon.h"
#include "dbapserv.h"
#include "edanswer.h"

namespace pelvarhost::cmd {

void CmdErase() {
  if (!HaveDrawing()) return;
  std::vector<AcDbObjectId> ids = PickEntities(L"\nSelect object to erase: ");
  int erased = 0;
  for (const AcDbObjectId& id : ids) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, id, AcDb::kForWrite) != Acad::eOk) continue;
    if (entity->erase() == Acad::eOk) ++erased;
    entity->close();
  }
  acutPrintf(L"\n%d erased.", erased);
}

// Picks the entities and a base point; false when either was not given.
bool PickWithBase(const ACHAR* verb, std::vector<AcDbObjectId>& ids, ads_point base) {
  std::wstring prompt = std::wstring(L"\nSelect object to ") + verb + L": ";
  ids = PickEntities(prompt.c_str());
  if (ids.empty()) return false;
  return acedGetPoint(nullptr, L"\nSpecify base point: ", base) == RTNORM;
}

void CmdMove() {
  if (!HaveDrawing()) return;
  std::vector<AcDbObjectId> ids;
  ads_point base, to;
  if (!PickWithBase(L"move", ids, base)) return;
  if (acedGetPoint(base, L"\nSpecify second point: ", to) != RTNORM) return;
  TransformEntities(ids, AcGeMatrix3d::translation(ToPoint(to) - ToPoint(base)));
}

void CmdRotate() {
  if (!HaveDrawing()) return;
  std::vector<AcDbObjectId> ids;
  ads_point base;
  ads_real degrees = 0;
  if (!PickWithBase(L"rotate", ids, base)) return;
  if (acedGetReal(L"\nSpecify rotation angle in degrees: ", &degrees) != RTNORM) return;
  TransformEntities(ids, AcGeMatrix3d::rotation(degrees * std::numbers::pi / 180.0, AcGeVector3d::kZAxis, ToPoint(base)));
}

void CmdScale() {
  if (!HaveDrawing()) return;
  std::vector<AcDbObjectId> ids;
  ads_point base;
  ads_real factor = 0;
  if (!PickWithBase(L"scale", ids, base)) return;
  acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
  if (acedGetReal(L"\nSpecify scale factor: ", &factor) != RTNORM) return;
  TransformEntities(ids, AcGeMatrix3d::scaling(factor, ToPoint(base)));
}

void ListLayers(AcDbDatabase* db) {
  AcDbLayerTable* table = nullptr;
  if (db->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return;
  AcDbObjectId current = db->clayer();
  for (const AcDbObjectId& id : table->recordIds()) {
    AcDbLayerTableRecord* layer = nullptr;
    if (acdbOpenObject(layer, id, AcDb::kForRead) != Acad::eOk) continue;
    acutPrintf(L"\n%ls  colour %d%ls", layer->name(), layer->colorIndex(), id == current ? L"  (current)" : L"");
    layer->close();
  }
  table->close();
}

// Makes the layer current, creating it when missing.
void MakeLayerCurrent(AcDbDatabase* db, const std::wstring& name, bool create) {
  AcDbLayerTable* table = nullptr;
  if (db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return;
  AcDbObjectId id;
  if (table->getAt(name.c_str(), id) != Acad::eOk) {
    if (!create) {
      table->close();
      acutPrintf(L"\nLayer \"%ls\" not found.", name.c_str());
      return;
    }
    auto* record = new AcDbLayerTableRecord();
    record->setName(name.c_str());
    Acad::ErrorStatus status = table->add(id, record);
    if (status != Acad::eOk) {
      delete record;
      table->close();
      acutPrintf(L"\nLayer \"%ls\" cannot be made.", name.c_str());
      return;
    }
    record->close();
  }
  table->close();
  db->setClayer(id);
  acutPrintf(L"\nCurrent layer: %ls", name.c_str());
}

void CmdLayer() {
  if (!HaveDrawing()) return;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  while (true) {
    acedInitGet(0, L"? Make Set");
    ACHAR option[32];
    if (acedGetKword(L"\nEnter an option [?/Make/Set]: ", option, 32) != RTNORM) return;
    if (std::wstring(option) == L"?") {
      ListLayers(db);
      continue;
    }
    ACHAR name[256];
    bool make = std::wstring(option) == L"Make";
    if (acedGetString(1, make ? L"\nEnter name for new layer: " : L"\nEnter layer name to make current: ", name, 256) !=
            RTNORM ||
        name[0] == L'\0')
      return;
    MakeLayerCurrent(db, name, make);
  }
}

void ListEntity(const AcDbObjectId& id) {
  AcDbEntity* entity = nullptr;
  if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) return;
  std::vector<std::wstring> lines;
  entity->list(lines);
  entity->close();
  for (const std::wstring& line : lines) acutPrintf(L"\n%ls", line.c_str());
}

void CmdList() {
  if (!HaveDrawing()) return;
  acedInitGet(0, L"ALL");
  ads_name name;
  ads_point where;
  int rc = acedEntSel(L"\nSelect object or [ALL]: ", name, where);
  if (rc == RTERROR) ReportMissedPick(where);
  if (rc == RTNORM) {
    AcDbObjectId id;
    acdbGetObjectId(id, name);
    ListEntity(id);
    return;
  }
  if (rc != RTKWORD) return;
  std::vector<AcDbObjectId> ids;
  AcDbBlockTableRecord* space = OpenModelSpace(AcDb::kForRead);
  if (space == nullptr) return;
  AcDbBlockTableRecordIterator* it = nullptr;
  if (space->newIterator(it) == Acad::eOk) {
    for (; !it->done(); it->step()) {
      AcDbObjectId id;
      if (it->getEntityId(id) == Acad::eOk) ids.push_back(id);
    }
    delete it;
  }
  space->close();
  acutPrintf(L"\n%d %ls in model space.", static_cast<int>(ids.size()), ids.size() == 1 ? L"entity" : L"entities");
  for (const AcDbObjectId& id : ids) ListEntity(id);
}

}  // namespace pelvarhost::cmd
