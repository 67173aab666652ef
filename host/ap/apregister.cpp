#include "aced.h"
#include "apcommands.h"
#include "hostcommands.h"

namespace pelvarhost {
namespace {

struct HostCommand {
  const wchar_t* name;
  AcRxFunctionPtr function;
};

constexpr HostCommand kHostCommands[] = {
    {L"LINE", cmd::CmdLine},         {L"PLINE", cmd::CmdPline},       {L"3DPOLY", cmd::Cmd3dPoly},
    {L"POINT", cmd::CmdPoint},       {L"ERASE", cmd::CmdErase},       {L"MOVE", cmd::CmdMove},
    {L"ROTATE", cmd::CmdRotate},     {L"SCALE", cmd::CmdScale},       {L"LAYER", cmd::CmdLayer},
    {L"LIST", cmd::CmdList},         {L"NEW", cmd::CmdNew},           {L"OPEN", cmd::CmdOpen},
    {L"SAVE", cmd::CmdSave},         {L"SAVEAS", cmd::CmdSaveAs},     {L"CLOSE", cmd::CmdClose},
    {L"QUIT", cmd::CmdQuit},         {L"DOCS", cmd::CmdDocs},         {L"DOC", cmd::CmdDoc},
    {L"ARXLOAD", cmd::CmdArxLoad},   {L"ARXUNLOAD", cmd::CmdArxUnload}, {L"ZOOM", cmd::CmdZoom},
    {L"REGEN", cmd::CmdRegen},       {L"REDRAW", cmd::CmdRedraw},     {L"PICKBOX", cmd::CmdPickBox},
    {L"U", cmd::CmdU},               {L"UNDO", cmd::CmdUndo},         {L"REDO", cmd::CmdRedo},
};

}  // namespace

void RegisterHostCommands() {
  for (const HostCommand& c : kHostCommands)
    acedRegCmds->addCommand(kHostCommandGroup, c.name, c.name, ACRX_CMD_MODAL, c.function);
}

void RemoveHostCommands() { acedRegCmds->removeGroup(kHostCommandGroup); }

}  // namespace pelvarhost
