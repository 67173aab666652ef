// The command table. Each handler lives with the feature it belongs to; the entry is
// filled in when that feature is part of the module.
#include "app/CommandTable.h"

#include "app/AttachCommand.h"
#include "retrieval/FetchCommand.h"
#include "retrieval/MirrorCommand.h"

namespace {

constexpr CommandEntry Command(const ACHAR* name, AcRxFunctionPtr handler) {
  return CommandEntry{kCommandGroup, name, name, ACRX_CMD_MODAL, handler};
}

}  // namespace

const std::array<CommandEntry, kCommandCount> kPelvarCommands = {
    Command(L"PELVARRECLASS", nullptr),
    Command(L"PELVARPICK", nullptr),
    Command(L"PELVARATTACH", PelvarAttachCommand),
    Command(L"PELVARSURF", nullptr),
    Command(L"PELVARCLS", nullptr),
    Command(L"PELVARMODE", nullptr),
    Command(L"PELVARPROF", nullptr),
    Command(L"PELVARABOUT", nullptr),
    Command(L"PELVARPANEL", nullptr),
    Command(L"PELVARCOGO", nullptr),
    Command(L"PELVARAUTOCLS", nullptr),
    Command(L"PELVARPROFC", nullptr),
    Command(L"PELVARCROP", nullptr),
    Command(L"PELVARHELP", nullptr),
    Command(L"PELVARDEFCLS", nullptr),
    Command(L"PELVARMIRROR", PelvarMirrorCommand),
    Command(L"PELVARFETCH", PelvarFetchCommand),
};

const std::array<const ACHAR*, kDemandLoadCommandCount> kDemandLoadCommands = {
    L"PELVARPANEL", L"PELVARATTACH", L"PELVARPICK",    L"PELVARCLS",     L"PELVARMODE",   L"PELVARPROF",
    L"PELVARSURF",  L"PELVARCOGO",   L"PELVARRECLASS", L"PELVARCROP",    L"PELVARPROFC",  L"PELVARAUTOCLS",
    L"PELVARDEFCLS", L"PELVARFETCH", L"PELVARMIRROR",  L"PELVARHELP",
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
