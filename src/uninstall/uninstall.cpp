#include "uninstall/uninstall.h"

#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "integration/associations.h"
#include "integration/setup_options_type.h"
#include "integration/shell_extension.h"
#include "integration/shortcuts.h"
#include "lang/ext_resource.h"
#include "lang/messages.h"
#include "registry/registry.h"
#include "resource.h"
#include "util/buffers.h"
#include "util/text.h"

namespace {

const size_t kPathSize = 1024;
const size_t kMessageSize = 200;
const size_t kLineSize = 2048;
const size_t kCommandLineSize = 512;
// One line of the batch file: a command and up to two paths whose "%"
// may all be doubled.
const size_t kBatchLineSize = 4 * kPathSize + 64;
const int kDeleteAttempts = 5;

const char kListName[] = "Uninstall.lst";
const char kBatchName[] = "Uninstall_Qlo.Bat";
const char* const kHelpIndexFiles[] = {"quillo.gid", "quillo.fts"};

struct RegKeyToDelete {
    HKEY root;
    const char* path;
    bool tree;
};

const RegKeyToDelete kKeysToDelete[] = {
    {HKEY_CLASSES_ROOT, "Quillo", true},
    {HKEY_CLASSES_ROOT, "Quillo.ZIP", true},
    {HKEY_CLASSES_ROOT, "Quillo.REV", true},
    {HKEY_CLASSES_ROOT, ".rev", true},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillo archiver", false},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillo.exe", false},
    {HKEY_CURRENT_USER, "", true},   // the whole product key
};

// Copies src into dest with every "%" doubled; false when it does not fit.
bool DoublePercent(char* dest, size_t size, const char* src)
{
    size_t out = 0;
    for (const char* p = src; *p; p++) {
        size_t need = *p == '%' ? 2 : 1;
        if (out + need >= size)
            return false;
        dest[out++] = *p;
        if (*p == '%')
            dest[out++] = '%';
    }
    dest[out] = 0;
    return true;
}

bool WritePiece(FILE* file, const char* text)
{
    size_t len = strlen(text);
    return fwrite(text, 1, len, file) == len;
}

// Deletes every entry of the list, in passes, until a pass deletes nothing:
// a folder listed before its contents goes in a later pass.
void DeleteListedEntries(FILE* list, const char* folder)
{
    for (;;) {
        int deleted = 0;
        char line[kLineSize];
        bool continuation = false;
        while (fgets(line, ARRAY_SIZE(line), list)) {
            // A line longer than the buffer comes in pieces; none of them
            // names the entry that was meant, so all of them are skipped.
            bool partial = strchr(line, '\n') == NULL && !feof(list);
            bool skip = continuation || partial;
            continuation = partial;
            TrimLineEnd(line);
            if (skip || line[0] == 0 || !IsEntryInsideFolder(line))
                continue;
            // An entry whose path does not fit is skipped, never cut into
            // the path of something else.
            char path[kPathSize];
            if (!BufFormat(path, ARRAY_SIZE(path), "%s%s", folder, line))
                continue;
            DWORD attributes = GetFileAttributesA(path);
            SetFileAttributesA(path, 0);
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                deleted += RemoveDirectoryA(path) ? 1 : 0;
            else
                deleted += DeleteFileA(path) ? 1 : 0;
        }
        if (deleted == 0)
            break;
        fseek(list, 0, SEEK_SET);
    }
}

void StartRemovalBatch(const char* batchPath)
{
    bool nt = WinNTVersion() != 0;
    char interpreter[kPathSize];
    interpreter[0] = 0;
    DWORD len = GetEnvironmentVariableA("COMSPEC", interpreter, ARRAY_SIZE(interpreter));
    if (len >= ARRAY_SIZE(interpreter))
        interpreter[0] = 0;
    char commandLine[kCommandLineSize];
    bool fits = BufFormat(commandLine, ARRAY_SIZE(commandLine), "%s /c \"%s\"", interpreter,
                          batchPath);

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    HANDLE nul = INVALID_HANDLE_VALUE;
    if (nt) {
        // The console window stays hidden.
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    } else {
        startup.dwFlags = STARTF_USESTDHANDLES;
        nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
        startup.hStdInput = nul;
        startup.hStdOutput = nul;
        startup.hStdError = nul;
    }
    // The batch process must not hold the program folder as its current
    // directory, or the folder could not be removed.
    SetCurrentDirectoryA("..");
    if (fits && interpreter[0]) {
        PROCESS_INFORMATION info;
        memset(&info, 0, sizeof info);
        if (CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, nt ? 0 : DETACHED_PROCESS, NULL,
                           NULL, &startup, &info)) {
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
    }
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
}

} // namespace

bool IsEntryInsideFolder(const char* line)
{
    if (line[0] == '\\' || line[0] == '/')
        return false;
    // Walk the components; a colon anywhere (a drive, or a stream) and a
    // ".." component both lead outside.
    const char* component = line;
    for (const char* p = line; ; ) {
        char c = *p;
        if (c == 0 || IsSeparatorChar(c)) {
            size_t len = p - component;
            if (len == 2 && component[0] == '.' && component[1] == '.')
                return false;
            if (c == 0)
                return true;
            component = p + 1;
            p++;
            continue;
        }
        if (IsColonChar(c))
            return false;
        p = LeadByteTable[256] ? StepChar(LeadByteTable, p) : p + 1;
    }
}

bool WriteRemovalBatch(const char* batchPath, const char* program, const char* folder, bool nt)
{
    char p[2 * kPathSize], d[2 * kPathSize], b[2 * kPathSize];
    if (!DoublePercent(p, ARRAY_SIZE(p), program) || !DoublePercent(d, ARRAY_SIZE(d), folder) ||
        !DoublePercent(b, ARRAY_SIZE(b), batchPath))
        return false;
    FILE* file = fopen(batchPath, "wb");
    if (!file)
        return false;
    char text[kBatchLineSize];
    bool ok = BufFormat(text, ARRAY_SIZE(text), nt ? "\"%s\" /wait\r\n" : "start /wait \"%s\" /wait\r\n", p) &&
              WritePiece(file, text);
    for (int i = 0; i < kDeleteAttempts && ok; i++) {
        ok = BufFormat(text, ARRAY_SIZE(text),
                       "del \"%s\"\r\nrd \"%s\"\r\nif not exist \"%s\" goto done\r\n", p, d, p) &&
             WritePiece(file, text);
    }
    ok = ok && BufFormat(text, ARRAY_SIZE(text), ":done\r\nif exist \"%s\" \"%s\" /warning\r\ndel \"%s\"",
                         p, p, b) &&
         WritePiece(file, text);
    ok = fclose(file) == 0 && ok;
    if (!ok)
        DeleteFileA(batchPath);
    return ok;
}

void RemoveIntegration()
{
    SetupOptions none;
    memset(&none, 0, sizeof none);
    ApplyAssociations(&none);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, NULL, NULL);
    ApplyShellExtension(&none);
    ApplyShortcuts(&none, NULL);
    for (size_t i = 0; i < ARRAY_SIZE(kKeysToDelete); i++) {
        if (kKeysToDelete[i].tree)
            DeleteRegTree(kKeysToDelete[i].root, kKeysToDelete[i].path);
        else
            DeleteRegKey(kKeysToDelete[i].root, kKeysToDelete[i].path);
    }
}

void RunUninstall()
{
    char program[kPathSize];
    DWORD len = GetModuleFileNameA(NULL, program, ARRAY_SIZE(program));
    if (len == 0 || len >= ARRAY_SIZE(program))
        return;
    char folder[kPathSize];
    BufCopy(folder, ARRAY_SIZE(folder), program);
    char* slash = strrchr(folder, '\\');
    if (!slash)
        return;
    // In the root of a drive the folder keeps its backslash ("C:\").
    if (slash != folder && slash[-1] == ':')
        slash[1] = 0;
    else
        slash[0] = 0;
    SetCurrentDirectoryA(folder);
    AppendBackslash(folder, ARRAY_SIZE(folder));

    if (MessageBoxA(NULL, GetLangString(IDS_CONFIRM_UNINSTALL), GetLangString(IDS_UNINSTALL_CAPTION),
                    MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return;

    FILE* list = fopen(kListName, "rb");
    if (!list) {
        char message[kMessageSize];
        BufFormatOneArg(message, ARRAY_SIZE(message), GetLangString(IDS_CANNOT_OPEN_LIST), kListName);
        MessageBoxA(NULL, message, GetLangString(IDS_UNINSTALL_CAPTION),
                    MB_ICONERROR | MB_SETFOREGROUND);
        return;
    }

    RemoveIntegration();
    // The language library is one of the files to delete.
    LanguageLibrary.Unload();
    for (size_t i = 0; i < ARRAY_SIZE(kHelpIndexFiles); i++) {
        SetFileAttributesA(kHelpIndexFiles[i], 0);
        DeleteFileA(kHelpIndexFiles[i]);
    }
    DeleteListedEntries(list, folder);
    fclose(list);
    DeleteFileA(kListName);

    char batchPath[kPathSize];
    DWORD tempLen = GetTempPathA(ARRAY_SIZE(batchPath), batchPath);
    if (tempLen == 0 || tempLen >= ARRAY_SIZE(batchPath) ||
        !BufAppend(batchPath, ARRAY_SIZE(batchPath), kBatchName))
        return;
    char directory[kPathSize];
    len = GetCurrentDirectoryA(ARRAY_SIZE(directory), directory);
    if (len == 0 || len >= ARRAY_SIZE(directory))
        return;
    if (!WriteRemovalBatch(batchPath, program, directory, WinNTVersion() != 0))
        return;
    StartRemovalBatch(batchPath);
    ExitProcess(0);
}
