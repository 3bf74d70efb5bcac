// Process-wide state that the dialogs share. It lives for the whole run.
#pragma once

#include <windows.h>

// Set by the "s" switch: the dialogs then confirm themselves. Never cleared.
extern unsigned char SilentMode;
// The dialogs' big icon, "QLOICON" from the resource module.
extern HICON AppIcon;
// MS Sans Serif, bold: the completion dialog's closing line.
extern HFONT BoldFont;
// The program-group folder that an applied setup made; opened afterwards.
const int kSetupOpenPathSize = 1024;
extern char SetupOpenPath[kSetupOpenPathSize];
