// What every dialog of the program does first, for every message: the
// right-to-left layout, translation and scaling of its texts and controls,
// and its help topic.
#pragma once

#include <windows.h>

// Help topics in "quillo.hlp"; 0 for a dialog without help.
const DWORD kNoHelp = 0;

// Acts on WM_SETFONT, WM_INITDIALOG, WM_COMMAND (the Help button) and
// WM_HELP; never consumes a message, so the dialog's own handling follows.
void DialogCommon(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                  const char* dialogName, DWORD helpContext);
