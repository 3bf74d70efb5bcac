#include "dialogs/done_dialog.h"

#include <shellapi.h>

#include "lang/dialog_common.h"
#include "lang/messages.h"
#include "resource.h"
#include "shell/app_state.h"
#include "util/buffers.h"
#include "util/text.h"

namespace {

const int kPathSize = 1024;

// name in the current directory, into path (kPathSize bytes). False when
// the directory cannot be read or the whole path does not fit: a cut path
// would name another file.
bool FileInCurrentDirectory(const char* name, char* path)
{
    DWORD len = GetCurrentDirectoryA(kPathSize, path);
    if (len == 0 || len >= (DWORD)kPathSize)
        return false;
    return AppendBackslash(path, kPathSize) && BufAppend(path, kPathSize, name);
}

void OpenInCurrentDirectory(const char* name)
{
    char path[kPathSize];
    if (FileInCurrentDirectory(name, path))
        ShellExecuteA(NULL, "open", path, NULL, "", SW_SHOWNORMAL);
}

void OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, 1);
        break;
    case IDC_RUN_QUILLO: {
        // Quoted, so that a folder with blanks cannot make the system start
        // a program named by the path's first words ("C:\Program.exe").
        char path[kPathSize];
        char line[kPathSize + 2];
        if (FileInCurrentDirectory("Quillo.exe", path) &&
            BufFormat(line, sizeof line, "\"%s\"", path))
            RunProgram(line);
        break;
    }
    case IDC_READ_HELP:
        WinHelpA(dialog, "quillo.hlp", HELP_FINDER, 0);
        break;
    case IDC_VIEW_LICENSE:
        OpenInCurrentDirectory("license.txt");
        break;
    case IDC_PRICE_LIST:
        OpenInCurrentDirectory("order.txt");
        break;
    case IDC_HOME_PAGE:
        ShellExecuteA(NULL, "open", GetLangString(IDS_HOME_PAGE), NULL, "", SW_SHOWNORMAL);
        break;
    default:
        break;
    }
}

} // namespace

bool RunProgram(const char* commandLine)
{
    // CreateProcessA may write into its command line, so it gets a copy.
    char line[kPathSize + 2];
    if (!BufCopy(line, sizeof line, commandLine))
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

INT_PTR CALLBACK DoneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogCommon(dialog, message, wParam, lParam, "DONEDLG", kNoHelp);
    switch (message) {
    case WM_INITDIALOG: {
        SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)AppIcon);
        SendDlgItemMessageA(dialog, IDC_THANKS, WM_SETFONT, (WPARAM)BoldFont, 0);
        char folder[kPathSize];
        DWORD len = GetCurrentDirectoryA(kPathSize, folder);
        if (len == 0 || len >= (DWORD)kPathSize)
            folder[0] = 0;
        SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, folder);
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
