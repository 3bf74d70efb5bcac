// The context menu items dialog "CONTEXTITEMS": which commands the shell
// extension shows in Explorer context menus, saved under
// "Setup\MenuItems" of the product key.
#pragma once

#include <windows.h>

const int kMenuItemCount = 11;

struct MenuItem {
    int checkBoxId;
    const char* valueName;
    DWORD defaultValue;
};
// In the order of showing and of writing.
extern const MenuItem kMenuItems[kMenuItemCount];
extern const char kMenuItemsKey[];

// Runs the dialog owned by owner; 1 after OK (all eleven values written),
// 0 after Cancel (nothing written).
INT_PTR ShowContextItemsDialog(HWND owner);
INT_PTR CALLBACK ContextItemsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
