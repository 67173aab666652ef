#include "ui/AboutWindow.h"

void PelvarAboutCommand() {}
void CloseAboutWindow() {}
