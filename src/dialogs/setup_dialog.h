// The setup options dialog "SETUPDLG": which archive types Quillo opens,
// where its links go and how it joins the Explorer shell.
#pragma once

#include <windows.h>

#include "integration/setup_options_type.h"

// The dialog procedure. The dialog ends with 1 after OK (choices saved and
// applied, the uninstall entry written) and with 0 after Cancel, Esc or the
// close box (nothing saved or applied).
INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The check boxes into the slots they stand for (1 checked, 0 clear).
void ReadSetupDialog(HWND dialog, SetupOptions* options);
// The slots into the check boxes; the cascaded-menu and menu-icon boxes are
// enabled exactly when the record asks for shell integration, and keep
// their check marks either way.
void ShowSetupOptions(HWND dialog, const SetupOptions* options);
// Checks the twelve archive-type boxes; the other boxes keep their state.
void SelectAllArchiveTypes(HWND dialog);
void EnableDlgItem(HWND dialog, int id, unsigned char enable);

// Applies every piece of integration in its order: the application path,
// the shell extension, the associations, the file classes (which notify the
// shell) and the links. groupPath (1024 bytes) receives the program group's
// folder when one is made.
void ApplySetupOptions(const SetupOptions* options, char* groupPath);
// Enters Quillo in the system's list of installed programs, with this
// program's own path as the command that removes it.
void WriteUninstallEntry();

// The uninstall entry's key under HKEY_LOCAL_MACHINE.
extern const char kUninstallEntryKey[];
