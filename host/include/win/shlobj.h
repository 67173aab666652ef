// Stand-in for the shell header: known folders and COM task memory live in windows.h.
#pragma once
#include "windows.h"
