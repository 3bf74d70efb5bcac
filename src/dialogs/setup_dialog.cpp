#include "dialogs/setup_dialog.h"

#include <richedit.h>

#include "dialogs/context_items_dialog.h"
#include "integration/associations.h"
#include "integration/file_classes.h"
#include "integration/setup_options.h"
#include "integration/shell_extension.h"
#include "integration/shortcuts.h"
#include "lang/dialog_common.h"
#include "lang/messages.h"
#include "registry/registry.h"
#include "resource.h"
#include "shell/app_state.h"
#include "util/buffers.h"

const char kUninstallEntryKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillo archiver";

namespace {

const DWORD kSetupHelp = 4288;

// The check boxes of the dialog and the slots they stand for, in the order
// they are shown.
struct SlotBox {
    int id;
    int slot;
};
const SlotBox kSlotBoxes[] = {
    {IDC_ASSOC_FIRST + 0, 0},  {IDC_ASSOC_FIRST + 1, 1},   {IDC_ASSOC_FIRST + 2, 2},
    {IDC_ASSOC_FIRST + 3, 3},  {IDC_ASSOC_FIRST + 4, 4},   {IDC_ASSOC_FIRST + 5, 5},
    {IDC_ASSOC_FIRST + 6, 6},  {IDC_ASSOC_FIRST + 7, 7},   {IDC_ASSOC_FIRST + 8, 8},
    {IDC_ASSOC_FIRST + 9, 9},  {IDC_ASSOC_FIRST + 10, 10}, {IDC_ASSOC_FIRST + 11, 11},
    {IDC_DESKTOP_LINK, kSlotDesktopLink},
    {IDC_STARTMENU_LINK, kSlotStartMenuLink},
    {IDC_PROGRAM_GROUP, kSlotProgramGroup},
    {IDC_SHELL_INTEGRATION, kSlotShellIntegration},
    {IDC_CASCADED_MENUS, kSlotCascadedMenus},
    {IDC_MENU_ICONS, kSlotMenuIcons},
};

void ConfirmSetup(HWND dialog)
{
    SetupOptions options = {};
    ReadSetupDialog(dialog, &options);
    SaveSetupOptions(&options);
    ApplySetupOptions(&options, SetupOpenPath);
    WriteUninstallEntry();
    EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
        ConfirmSetup(dialog);
        break;
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    case IDC_SHELL_INTEGRATION: {
        // The boxes keep their states; the two shell options follow the new
        // state of the integration box.
        SetupOptions scratch = {};
        ReadSetupDialog(dialog, &scratch);
        ShowSetupOptions(dialog, &scratch);
        break;
    }
    case IDC_SELECT_ALL:
        SelectAllArchiveTypes(dialog);
        break;
    case IDC_CONTEXT_ITEMS:
        ShowContextItemsDialog(dialog);
        break;
    default:
        // The Help button among them, which DialogCommon has answered.
        break;
    }
}

} // namespace

void ReadSetupDialog(HWND dialog, SetupOptions* options)
{
    for (const SlotBox& box : kSlotBoxes)
        options->slot[box.slot] = IsDlgButtonChecked(dialog, box.id) ? 1 : 0;
}

void ShowSetupOptions(HWND dialog, const SetupOptions* options)
{
    for (const SlotBox& box : kSlotBoxes)
        CheckDlgButton(dialog, box.id, options->slot[box.slot]);
    EnableDlgItem(dialog, IDC_CASCADED_MENUS, options->slot[kSlotShellIntegration]);
    EnableDlgItem(dialog, IDC_MENU_ICONS, options->slot[kSlotShellIntegration]);
}

void SelectAllArchiveTypes(HWND dialog)
{
    for (int id = IDC_ASSOC_FIRST; id <= IDC_ASSOC_LAST; id++)
        CheckDlgButton(dialog, id, BST_CHECKED);
}

void EnableDlgItem(HWND dialog, int id, unsigned char enable)
{
    EnableWindow(GetDlgItem(dialog, id), enable);
}

void ApplySetupOptions(const SetupOptions* options, char* groupPath)
{
    RegisterAppPath();
    ApplyShellExtension(options);
    ApplyAssociations(options);
    RegisterFileClasses();
    ApplyShortcuts(options, groupPath);
}

void WriteUninstallEntry()
{
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallEntryKey, "DisplayName",
                 GetLangString(IDS_PRODUCT_NAME));
    char path[1024];
    DWORD len = GetModuleFileNameA(NULL, path, ARRAY_SIZE(path));
    // A path that filled the buffer may lack its terminator (Windows XP):
    // such a cut path would name another file, so no command is written.
    if (len == 0 || len >= ARRAY_SIZE(path))
        return;
    path[len] = 0;
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallEntryKey, "UninstallString", path);
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogCommon(dialog, message, wParam, lParam, "SETUPDLG", kSetupHelp);
    switch (message) {
    case WM_INITDIALOG: {
        SetupOptions options = {};
        LoadSetupOptions(&options);
        ShowSetupOptions(dialog, &options);
        SetForegroundWindow(dialog);
        SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)AppIcon);
        // The explanation text sits on the dialog's face colour.
        SendDlgItemMessageA(dialog, IDC_EXPLANATION, EM_SETBKGNDCOLOR, 0,
                            GetSysColor(COLOR_BTNFACE));
        if (SilentMode)
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}
