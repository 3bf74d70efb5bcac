#include "shell/switches.h"

#include <windows.h>
#include <string.h>

#include <shellapi.h>

#include "dialogs/done_dialog.h"
#include "dialogs/setup_dialog.h"
#include "lang/ext_resource.h"
#include "lang/messages.h"
#include "resource.h"
#include "shell/app_state.h"
#include "uninstall/uninstall.h"
#include "util/buffers.h"

namespace {

const DWORD kWaitMilliseconds = 2000;

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

// True when word begins with prefix (lower case), ignoring ASCII case.
bool StartsWithNoCase(const char* word, const char* prefix)
{
    for (; *prefix; word++, prefix++) {
        if (AsciiLower(*word) != *prefix)
            return false;
    }
    return true;
}

void ShowRemovalMessage()
{
    char path[1024];
    DWORD len = GetModuleFileNameA(NULL, path, ARRAY_SIZE(path));
    if (len >= ARRAY_SIZE(path))
        len = 0;
    path[len] = 0;

    // Both strings hold up to 255 characters and the path up to 1023, so
    // this buffer holds the whole message.
    char text[2048];
    ComposeRemovalMessage(text, ARRAY_SIZE(text), path);
    MessageBoxA(NULL, text, GetLangString(IDS_UNINSTALL_CAPTION),
                MB_SETFOREGROUND | MB_ICONINFORMATION);
}

void RunSetup()
{
    if (DialogBoxParamA(ResourceModule, "SETUPDLG", NULL, SetupDialogProc, 0) > 0)
        DialogBoxParamA(ResourceModule, "DONEDLG", NULL, DoneDialogProc, 0);
    if (SetupOpenPath[0] && !SilentMode)
        ShellExecuteA(NULL, "open", SetupOpenPath, NULL, "", SW_SHOWNORMAL);
}

void RunSwitch(SwitchKind kind, void*)
{
    switch (kind) {
    case kSwitchSetup:   RunSetup(); break;
    case kSwitchSilent:  SilentMode = 1; break;
    case kSwitchWait:    Sleep(kWaitMilliseconds); break;
    case kSwitchWarning: ShowRemovalMessage(); break;
    case kSwitchOther:   break;
    }
}

} // namespace

SwitchKind ClassifySwitch(const char* word)
{
    if (StartsWithNoCase(word, "setup"))
        return kSwitchSetup;
    if ((word[0] == 's' || word[0] == 'S') && !IsAsciiLetter(word[1]))
        return kSwitchSilent;
    if (StartsWithNoCase(word, "wait"))
        return kSwitchWait;
    if (StartsWithNoCase(word, "warning"))
        return kSwitchWarning;
    return kSwitchOther;
}

int ScanSwitches(const char* cmdLine, SwitchAction act, void* context)
{
    int count = 0;
    for (const char* p = cmdLine; (p = strpbrk(p, "/-")) != NULL; ) {
        p++;
        act(ClassifySwitch(p), context);
        count++;
    }
    return count;
}

bool ComposeRemovalMessage(char* buf, size_t size, const char* programPath)
{
    bool fits = BufFormat(buf, size, "%s\n", GetLangString(IDS_UNINSTALL_DONE));
    size_t used = strlen(buf);
    // The second line's format may come from a translation: only its "%s"
    // is filled in, so no other "%" sequence can read a missing argument.
    return BufFormatOneArg(buf + used, size - used, GetLangString(IDS_DELETE_MANUALLY),
                           programPath) && fits;
}

void RunCommandLine(const char* cmdLine)
{
    // Any switch at all, even one without an action, keeps the uninstall
    // from running.
    if (ScanSwitches(cmdLine, RunSwitch, NULL) == 0)
        RunUninstall();
}
