// The control panel's dialog template 200 and its control ids.
#pragma once
#include "afxwin.h"

inline constexpr UINT IDD_PELVAR_PANEL = 200;

// Section headers 1300 ... 1306.
inline constexpr int IDC_HDR_FIRST = 1300;
inline constexpr int IDC_HDR_LAST = 1306;
// The ten class check boxes, for LAS classes kPanelClasses[i].
inline constexpr int IDC_CLS_FIRST = 1001;
inline constexpr int IDC_CLS_LAST = 1010;
inline constexpr int kPanelClasses[] = {1, 2, 3, 4, 5, 6, 7, 9, 17, 20};
inline constexpr int IDC_ALL = 1020;
inline constexpr int IDC_NONE = 1021;
inline constexpr int IDC_MODE_CLASS = 1030;
inline constexpr int IDC_MODE_INTENSITY = 1031;
inline constexpr int IDC_MODE_ELEVATION = 1032;
inline constexpr int IDC_DENSITY = 1040;
inline constexpr int IDC_DENSITY_LABEL = 1041;
inline constexpr int IDC_ATTACH = 1050;
inline constexpr int IDC_PICK = 1051;
inline constexpr int IDC_SURFACE = 1053;
inline constexpr int IDC_PROFILE = 1054;
inline constexpr int IDC_COGO = 1055;
inline constexpr int IDC_INFO = 1060;
inline constexpr int IDC_ABOUT = 1061;
inline constexpr int IDC_RECLASS = 1062;
inline constexpr int IDC_ELEV_ON = 1063;
inline constexpr int IDC_ELEV_MIN = 1064;
inline constexpr int IDC_ELEV_MAX = 1066;
inline constexpr int IDC_AUTOCLS = 1200;
inline constexpr int IDC_SAVE_DEFAULT = 1201;
inline constexpr int IDC_FETCH = 1202;
inline constexpr int IDC_CROP = 1203;
inline constexpr int IDC_PROFILE_CLASSES = 1204;
inline constexpr int IDC_HELP_BUTTON = 1205;
inline constexpr int IDC_STATIC = -1;

extern const DialogTemplate kPanelDialogTemplate;
