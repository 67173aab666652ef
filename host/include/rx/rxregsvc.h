// Runtime registration services: class registry, dynamic linker, host abort.
#pragma once
#include "rxclass.h"
#include "rxdefs.h"
#include "rxdlinkr.h"
