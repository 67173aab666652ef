// The command table. Each handler lives with the feature it belongs to; the entry is
// filled in when that feature is part of the module.
#include "app/CommandTable.h"

#include "analysis/CorridorProfile.h"
#include "analysis/GroundProfile.h"
#include "analysis/PickCommands.h"
#include "analysis/SurfaceCommand.h"
#include "app/AttachCommand.h"
#include "classify/ClassCommands.h"
#include "classify/CropCommand.h"
#include "classify/ReclassCommand.h"
#include "lasio/DemCommand.h"
#include "lasio/ExportCommand.h"
#include "lasio/ImportCommand.h"
#include "ui/AboutWindow.h"
#include "ui/PanelHooks.h"
#include "retrieval/FetchCommand.h"
#include "retrieval/MirrorCommand.h"

namespace {

constexpr CommandEntry Command(const ACHAR* name, AcRxFunctionPtr handler) {
  return CommandEntry{kCommandGroup, name, name, ACRX_CMD_MODAL, handler};
}

}  // namespace

const std::array<CommandEntry, kCommandCount> kPelvarCommands = {
    Command(L"PELVARRECLASS", PelvarReclassCommand),
    Command(L"PELVARPICK", PelvarPickCommand),
    Command(L"PELVARATTACH", PelvarAttachCommand),
    Command(L"PELVARSURF", PelvarSurfaceCommand),
    Command(L"PELVARCLS", PelvarClassToggleCommand),
    Command(L"PELVARMODE", PelvarColorModeCommand),
    Command(L"PELVARPROF", PelvarProfileCommand),
    Command(L"PELVARABOUT", PelvarAboutCommand),
    Command(L"PELVARPANEL", PelvarPanelCommand),
    Command(L"PELVARCOGO", PelvarCogoCommand),
    Command(L"PELVARAUTOCLS", PelvarAutoClassifyCommand),
    Command(L"PELVARPROFC", PelvarCorridorProfileCommand),
    Command(L"PELVARCROP", PelvarCropCommand),
    Command(L"PELVARHELP", PelvarHelpCommand),
    Command(L"PELVARDEFCLS", PelvarDefaultClassesCommand),
    Command(L"PELVARMIRROR", PelvarMirrorCommand),
    Command(L"PELVARFETCH", PelvarFetchCommand),
    Command(L"PELVARIMPORT", PelvarImportCommand),
    Command(L"PELVAREXPORT", PelvarExportCommand),
    Command(L"PELVARDEM", PelvarDemCommand),
};

const std::array<const ACHAR*, kDemandLoadCommandCount> kDemandLoadCommands = {
    L"PELVARPANEL", L"PELVARATTACH", L"PELVARPICK",    L"PELVARCLS",     L"PELVARMODE",   L"PELVARPROF",
    L"PELVARSURF",  L"PELVARCOGO",   L"PELVARRECLASS", L"PELVARCROP",    L"PELVARPROFC",  L"PELVARAUTOCLS",
    L"PELVARDEFCLS", L"PELVARFETCH", L"PELVARMIRROR",  L"PELVARHELP",
    L"PELVARIMPORT", L"PELVAREXPORT", L"PELVARDEM",
};

void RegisterCommands(std::span<const CommandEntry> table, HINSTANCE resource) {
  for (const CommandEntry& entry : table) {
    if (entry.handler == nullptr) continue;
    acedRegCmds->addCommand(entry.group, entry.globalName, entry.localName, entry.flags, entry.handler,
                            nullptr, -1, resource);
  }
}

void RemoveCommands(std::span<const CommandEntry> table) {
  for (const CommandEntry& entry : table) acedRegCmds->removeCmd(entry.group, entry.globalName);
}
