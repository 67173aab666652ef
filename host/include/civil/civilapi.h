// The civil object model's managed API in one include.
#pragma once
#include "civilapplication.h"
#include "civildatabase.h"
#include "civilobjects.h"
#include "civilruntime.h"
