#include "shell/app_state.h"

unsigned char SilentMode = 0;
HICON AppIcon = NULL;
HFONT BoldFont = NULL;
char SetupOpenPath[kSetupOpenPathSize];
