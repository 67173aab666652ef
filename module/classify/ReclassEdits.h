// Rectangle reclassification kept in the drawing: adding an edit to one cloud or to every
// cloud of model space, and clearing them. The cloud files are never written.
#pragma once
#include <cstdint>

#include "entity/Pelvar.h"
#include "gepnt3d.h"

// Appends the edit (corners in cloud x/y, in any order; edges inclusive) to the entity
// (open for write) and brings its override classes up to date. Returns the number of
// points inside whose stored class differs from `cls`; 0 when the file cannot be loaded
// (the edit is stored all the same).
uint32_t AddReclassEdit(Pelvar& entity, double x1, double y1, double x2, double y2, uint8_t cls);

// Adds the edit spanned by two world corners (taken at z = 0) to every cloud entity of the
// working database's model space, each in its own cloud frame. Returns the summed counts.
uint32_t ApplyReclassRect(const AcGePoint3d& corner1, const AcGePoint3d& corner2, uint8_t cls);

// Empties the edit list of every cloud of model space that has one and prints
// "\nReclassification cleared on %d cloud(s)." with their number. A cloud classified by
// height keeps that classification.
void ClearReclassEdits();
