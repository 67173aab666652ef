// Global geometry settings: the default tolerance.
#pragma once
#include "getol.h"

struct AcGeContext {
  static AcGeTol gTol;
};

namespace AcGe {
constexpr double kPi = 3.14159265358979323846;
}  // namespace AcGe
