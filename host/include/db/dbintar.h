#pragma once
#include "acarray.h"
#include "adesk.h"
typedef AcArray<int> AcDbIntArray;
