// The completion dialog "DONEDLG": where Quillo was installed, and buttons
// that start it, open its help, its licence, its price list and its home
// page. The program folder is the process's current directory.
#pragma once

#include <windows.h>

// The dialog procedure; the dialog always ends with 1.
INT_PTR CALLBACK DoneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Starts commandLine without waiting for it; true when the process was
// created.
bool RunProgram(const char* commandLine);
