// TODO(engine): temporary stand-ins until the frame and display handlers land
// in MainFrame.cpp and MainDisplay.cpp; delete this file then.
#include "editor/Main.h"

void TMainForm::DXTimerTimer(int /*lagCount*/) {}
void TMainForm::DXTimerActivate() {}
void TMainForm::DXTimerDeactivate() {}
void TMainForm::DXDrawInitialize() {}
void TMainForm::DXDrawFinalize() {}
void TMainForm::DXDrawRestoreSurface() {}
