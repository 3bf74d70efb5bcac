#include "dialogs/context_items_dialog.h"

#include "lang/dialog_common.h"
#include "lang/ext_resource.h"
#include "registry/registry.h"

const MenuItem kMenuItems[kMenuItemCount] = {
    {101, "ExtrTo", 1},
    {102, "ExtrHere", 1},
    {103, "Extr", 1},
    {104, "ExtrSep", 1},
    {105, "OpenSFX", 1},
    {106, "AddTo", 1},
    {107, "AddArc", 1},
    {108, "EmailArc", 1},
    {109, "EmailOpt", 1},
    {110, "Test", 0},
    {111, "Convert", 0},
};

const char kMenuItemsKey[] = "Setup\\MenuItems";

namespace {

const DWORD kContextItemsHelp = 4976;

} // namespace

INT_PTR ShowContextItemsDialog(HWND owner)
{
    return DialogBoxParamA(ResourceModule, "CONTEXTITEMS", owner, ContextItemsDialogProc, 0);
}

INT_PTR CALLBACK ContextItemsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogCommon(dialog, message, wParam, lParam, "CONTEXTITEMS", kContextItemsHelp);
    switch (message) {
    case WM_HELP:
        return TRUE;
    case WM_INITDIALOG:
        for (const MenuItem& item : kMenuItems) {
            DWORD shown = GetRegDword(HKEY_CURRENT_USER, kMenuItemsKey, item.valueName,
                                      item.defaultValue);
            CheckDlgButton(dialog, item.checkBoxId, shown);
        }
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            // Every value is written, the unchanged ones too, so that after
            // one OK all of them exist.
            for (const MenuItem& item : kMenuItems) {
                SetRegDword(HKEY_CURRENT_USER, kMenuItemsKey, item.valueName,
                            IsDlgButtonChecked(dialog, item.checkBoxId));
            }
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
