// Stand-in for the host's user-interface library: dockable control bars and palette sets.
#pragma once
#include "afxwin.h"

// Palette-set styles.
#define PSS_AUTO_ROLLUP 0x02
#define PSS_PROPERTIES_MENU 0x04
#define PSS_CLOSE_BUTTON 0x08
#define PSS_EDIT_NAME 0x10
#define PSS_SNAP 0x20

class CAdUiDockControlBar : public CControlBar {};

// A titled window that docks at an edge of the main frame and holds a palette.
class CAdUiPaletteSet : public CAdUiDockControlBar {
 public:
  // Creates the palette set, hidden until shown, with the main frame as parent. Fails
  // where the host has no main frame.
  BOOL Create(LPCWSTR name, DWORD style, const RECT& rect, CWnd* parent, DWORD paletteStyle = 0);
  const std::wstring& GetName() const { return name_; }

 private:
  std::wstring name_;
};

// Makes the module's resources current while it lives. Resources of this host's modules
// are held in memory by the module itself, so there is nothing to switch.
class CAcModuleResourceOverride {
 public:
  CAcModuleResourceOverride() {}
  ~CAcModuleResourceOverride() {}
  CAcModuleResourceOverride(const CAcModuleResourceOverride&) = delete;
  CAcModuleResourceOverride& operator=(const CAcModuleResourceOverride&) = delete;
};
