// The commands that change how one cloud is shown, and the command list.
#pragma once

// PELVARCLS: switches one class (0..31) on or off in a picked cloud's class mask.
void PelvarClassToggleCommand();
// PELVARMODE: steps a picked cloud's colour mode: Class, Intensity, Elevation.
void PelvarColorModeCommand();
// PELVARAUTOCLS: switches a cloud's classification of unclassified points by height.
void PelvarAutoClassifyCommand();
// PELVARDEFCLS: stores a cloud's class mask as the mask of future attaches.
void PelvarDefaultClassesCommand();
// PELVARHELP: prints the command list.
void PelvarHelpCommand();
