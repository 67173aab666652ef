// Internal to the host: the handlers of the host commands (see hostcommands.h).
#pragma once

namespace pelvarhost::cmd {
void CmdLine();
void CmdPline();
void Cmd3dPoly();
void CmdPoint();
void CmdErase();
void CmdMove();
void CmdRotate();
void CmdScale();
void CmdLayer();
void CmdList();
void CmdNew();
void CmdOpen();
void CmdSave();
void CmdSaveAs();
void CmdClose();
void CmdQuit();
void CmdDocs();
void CmdDoc();
void CmdArxLoad();
void CmdArxUnload();
void CmdZoom();
void CmdRegen();
void CmdRedraw();
void CmdPickBox();
void CmdU();
void CmdUndo();
void CmdRedo();
}  // namespace pelvarhost::cmd
