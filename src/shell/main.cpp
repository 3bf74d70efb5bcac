// Entry point: prepares what the dialogs share, runs the switches of the
// command line in the order they stand, and releases what it prepared.
#include <windows.h>
#include <ole2.h>

#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "shell/app_state.h"
#include "shell/switches.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int)
{
    // The library comes first: the icon and the dialogs are taken from the
    // resource module that it sets.
    LanguageLibrary.Load(instance);
    // The direction test of the language file looks at the resource module.
    LanguageTable.Load("uninstall.lng");
    OleInitialize(NULL);
    // The setup options dialog holds a RICHEDIT control, a class that only
    // exists once this library is loaded.
    HMODULE richEdit = LoadLibraryA("riched32.dll");
    AppIcon = LoadIconA(ResourceModule, "QLOICON");
    BoldFont = CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");

    RunCommandLine(cmdLine ? cmdLine : "");

    if (richEdit)
        FreeLibrary(richEdit);
    OleUninitialize();
    DeleteObject(BoldFont);
    return 0;
}
