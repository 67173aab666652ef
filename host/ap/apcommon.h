// Internal to the host commands: small helpers over the working database.
#pragma once
#include <string>
#include <vector>

#include "aced.h"
#include "dbents.h"
#include "dbsymtb.h"

namespace pelvarhost::cmd {

// The working database's model space, opened in the given mode (null after a message
// when there is no drawing).
AcDbBlockTableRecord* OpenModelSpace(AcDb::OpenMode mode);
// Appends a new entity to model space with the database defaults; deletes it when that
// fails. True on success.
bool AppendToModelSpace(AcDbEntity* entity);
// Tells the user that a pick at `where` found nothing (the selection itself stays silent).
void ReportMissedPick(const ads_point where);
// Asks for entities until Enter (or Esc); each pick is reported when nothing is there.
std::vector<AcDbObjectId> PickEntities(const ACHAR* prompt);
// Applies a transformation to every entity of the list.
void TransformEntities(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& xform);
AcGePoint3d ToPoint(const ads_point p);
// True when a drawing is open; prints "\nNo drawing is open." otherwise.
bool HaveDrawing();

}  // namespace pelvarhost::cmd
