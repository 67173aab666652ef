// PELVARHELP: the command list, one printed line each.
#include "aced.h"
#include "classify/ClassCommands.h"
#include "ui/PanelHooks.h"

namespace {

constexpr const ACHAR* kHelpLines[] = {
    L"\n--- Pelvar commands ---",
    L"\nPELVARPANEL    show/hide this control panel",
    L"\nPELVARATTACH   attach an .kmt square (viewer export or fetch)",
    L"\nPELVARFETCH    pull full-density USGS 3DEP for a drawn rectangle",
    L"\nPELVARMIRROR   download an AREA of 3DEP to a local disk mirror;",
    L"\n              rerun to resume; PELVARFETCH then works offline there",
    L"\nPELVARCROP     cut a rectangle into a new _crop.kmt and attach it",
    L"\nPELVARIMPORT   LAS/LAZ files into .kmt clouds in the drawing's zone",
    L"\nPELVAREXPORT   a cloud (or a rectangle of it) out as LAS or LAZ",
    L"\nPELVARDEM      a cloud's ground grid out as a GeoTIFF DEM",
    L"\nPELVARPICK     read E/N/Z, ground and height under a click",
    L"\nPELVARPROF     ground profile along a line (3D poly / feature line)",
    L"\nPELVARPROFC    profile over the ACTIVE classes (bridge deck, roofs)",
    L"\nPELVARSURF     Civil 3D EG surface from ground points or the grid",
    L"\nPELVARCOGO     Civil 3D COGO points at picked spots",
    L"\nPELVARRECLASS  reassign classes inside drawn rectangles",
    L"\nPELVARAUTOCLS  auto-classify unclassified by height above ground",
    L"\nPELVARDEFCLS   save a cloud's class set as the attach default",
    L"\nWorkflow: fetch or attach wide -> crop the work area ->",
    L"\n  tick classes in the panel -> profiles / surface / COGO.",
    L"\nOffline: set HKCU\\Software\\Pelvar\\LocalEptRoot to a",
    L"\n  local 3DEP mirror folder; PELVARFETCH reads disk before web.",
};

}  // namespace

void PelvarHelpCommand() {
  for (const ACHAR* line : kHelpLines) acutPrintf(L"%ls", line);
  ShowAskedHelpBox();
}
