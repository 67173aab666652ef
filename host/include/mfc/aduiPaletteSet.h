// The palette-set class of the host's user-interface library.
#pragma once
#include "adui.h"
