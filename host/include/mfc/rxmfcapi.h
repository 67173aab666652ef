// The host's main frame, for modules that add windows to it.
#pragma once
#include "afxwin.h"

// The main frame of the host's window, or null in the console program.
CMDIFrameWnd* acedGetAcadFrame();
