// Dialog template 200: the control panel, 172 x 434 dialog units in the 8-point dialog font.
#include "ui/PanelResource.h"

#include <iterator>

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kHeader = kChild | SS_LEFT | SS_CENTERIMAGE;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kRadio = kChild | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kText = kChild | SS_LEFT;
constexpr DWORD kEdit = kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;

constexpr const wchar_t* kButton = L"Button";
constexpr const wchar_t* kStatic = L"Static";
constexpr const wchar_t* kEditClass = L"Edit";
constexpr const wchar_t* kTrackBar = L"msctls_trackbar32";

constexpr DialogControlTemplate kControls[] = {
    {kStatic, L" CLASSES", IDC_HDR_FIRST, kHeader, 0, 4, 172, 12},
    {kButton, L"1 Unclassified", 1001, kCheck, 12, 20, 72, 10},
    {kButton, L"2 Ground", 1002, kCheck, 88, 20, 72, 10},
    {kButton, L"3 Low veg", 1003, kCheck, 12, 30, 72, 10},
    {kButton, L"4 Med veg", 1004, kCheck, 88, 30, 72, 10},
    {kButton, L"5 High veg", 1005, kCheck, 12, 44, 72, 10},
    {kButton, L"6 Building", 1006, kCheck, 88, 44, 72, 10},
    {kButton, L"7 Noise", 1007, kCheck, 12, 58, 72, 10},
    {kButton, L"9 Water", 1008, kCheck, 88, 58, 72, 10},
    {kButton, L"17 Bridge", 1009, kCheck, 12, 72, 72, 10},
    {kButton, L"20 Ground (x)", 1010, kCheck, 88, 72, 72, 10},
    {kButton, L"All", IDC_ALL, kPush, 12, 86, 34, 12},
    {kButton, L"None", IDC_NONE, kPush, 50, 86, 34, 12},
    {kStatic, L" COLOR BY", 1301, kHeader, 0, 108, 172, 12},
    {kButton, L"Class", IDC_MODE_CLASS, kRadio | WS_GROUP, 12, 124, 40, 10},
    {kButton, L"Intensity", IDC_MODE_INTENSITY, kRadio, 60, 124, 46, 10},
    {kButton, L"Elevation", IDC_MODE_ELEVATION, kRadio, 112, 124, 48, 10},
    {kStatic, L" DENSITY", 1302, kHeader, 0, 142, 172, 12},
    {kTrackBar, L"", IDC_DENSITY, kChild | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS, 12, 157, 116, 14},
    {kStatic, L"100%", IDC_DENSITY_LABEL, kChild | SS_RIGHT, 132, 160, 28, 10},
    {kStatic, L" GET A CLOUD", 1303, kHeader, 0, 176, 172, 12},
    {kButton, L"Attach .kmt...", IDC_ATTACH, kPush, 12, 192, 72, 14},
    {kButton, L"Fetch 3DEP", IDC_FETCH, kPush, 90, 192, 70, 14},
    {kStatic, L" MEASURE && BUILD", 1304, kHeader, 0, 216, 172, 12},
    {kButton, L"Pick point", IDC_PICK, kPush, 12, 232, 72, 14},
    {kButton, L"Ground profile", IDC_PROFILE, kPush, 90, 232, 70, 14},
    {kButton, L"Class profile", IDC_PROFILE_CLASSES, kPush, 12, 250, 72, 14},
    {kButton, L"Crop rectangle", IDC_CROP, kPush, 90, 250, 70, 14},
    {kButton, L"Create EG surface", IDC_SURFACE, kPush, 12, 268, 72, 14},
    {kButton, L"COGO points", IDC_COGO, kPush, 90, 268, 70, 14},
    {kStatic, L" CLOUD", 1305, kHeader, 0, 292, 172, 12},
    {kStatic, L"", IDC_INFO, kText, 12, 308, 148, 26},
    {kStatic, L" ELEVATION FILTER, FT", IDC_HDR_LAST, kHeader, 0, 340, 172, 12},
    {kButton, L"On", IDC_ELEV_ON, kCheck, 12, 356, 26, 10},
    {kStatic, L"Min", IDC_STATIC, kText, 42, 357, 14, 10},
    {kEditClass, L"", IDC_ELEV_MIN, kEdit, 58, 355, 38, 12},
    {kStatic, L"Max", IDC_STATIC, kText, 102, 357, 16, 10},
    {kEditClass, L"", IDC_ELEV_MAX, kEdit, 120, 355, 38, 12},
    {kButton, L"Auto-classify unclassified", IDC_AUTOCLS, kCheck, 12, 378, 150, 10},
    {kButton, L"Save classes as default", IDC_SAVE_DEFAULT, kPush, 6, 392, 77, 14},
    {kButton, L"Reclassify points", IDC_RECLASS, kPush, 89, 392, 77, 14},
    {kButton, L"Help", IDC_HELP_BUTTON, kPush, 6, 412, 77, 14},
    {kButton, L"About Pelvar", IDC_ABOUT, kPush, 89, 412, 77, 14},
};

}  // namespace

const DialogTemplate kPanelDialogTemplate = {
    L"MS Shell Dlg", 8, WS_CHILD, 172, 434, kControls, static_cast<int>(std::size(kControls)),
};
