// Host internals of the civil model shared by its API, commands and exporters.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "civildatabase.h"
#include "civilhooks.h"
#include "dbmain.h"

namespace pelvarhost::civil {

// The message every civil call raises when the host runs without its civil model.
inline constexpr const wchar_t* kCivilUnavailableMessage = L"Civil 3D is not available";

// Raises System::InvalidOperationException when the host runs without the civil model.
void RequireCivilModel();

// Ordinal comparison ignoring letter case, as Civil 3D compares object names.

// A resident object read without opening it (the civil model's own bookkeeping reads
// names of objects that a transaction may hold open for write). Null when erased.
const AcDbObject* PeekObject(const AcDbObjectId& id);

// True when the id names an object of a live database (ids rebuilt from integers that
// came from outside are checked before use).
bool IsLiveId(const AcDbObjectId& id);

// Appends a new entity to model space with the database defaults and closes it; the
// running transaction (if any) erases it again when it is abandoned. Raises the
// database status on failure (the entity is deleted then).
AcDbObjectId AppendCivilEntity(AcDbDatabase* database, AcDbEntity* entity);

// The drawing's civil settings object, made (ownerless, filed with the drawing) when
// missing and `create` is set; null otherwise.
AcDbObjectId DrawingSettingsId(AcDbDatabase* database, bool create);

// The transaction log: an abandoned transaction undoes what these record.
// The object was created (abandoning erases it).
void RecordCreated(AcDbDatabase* database, const AcDbObjectId& id);
// The object, open for write, is about to change (abandoning restores its fields and its
// erased state as they are now). Only the first record per transaction counts.
void RecordBeforeChange(const AcDbObject& object);

// The managed wrapper for a native object opened by a transaction.
std::unique_ptr<Autodesk::AutoCAD::DatabaseServices::DBObject> WrapObject(AcDbObject* native);

}  // namespace pelvarhost::civil
