// Stand-in for the known-folder identifiers header; they live in windows.h.
#pragma once
#include "windows.h"
