// Point, vector and matrix operators together (matrix * point, matrix * vector).
#pragma once
#include "gemat3d.h"
