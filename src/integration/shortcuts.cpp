#include "integration/shortcuts.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <string.h>

#include "lang/messages.h"
#include "resource.h"
#include "util/buffers.h"
#include "util/text.h"

namespace {

const char kTargetName[] = "Quillo.exe";
const char kLinkName[] = "Quillo.lnk";
const char kGroupName[] = "Quillo";
const char kLinkExtension[] = ".lnk";
const char kDescription[] = "Quillo";
const int kLinkNameWideSize = 260;

const CLSID kClsidShellLink =
    {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidShellLinkA =
    {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidPersistFile =
    {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct GroupLink {
    int titleId;              // 0: the fixed title "Quillo"
    const char* targetName;
};

const GroupLink kGroupLinks[] = {
    {0, "Quillo.exe"},
    {IDS_HELP_LINK, "Quillo.hlp"},
    {IDS_MANUAL_LINK, "Qlo.txt"},
};

// A drive letter, a colon and a backslash, or a network path.
bool IsFullPath(const char* p)
{
    bool drive = ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) &&
                 p[1] == ':' && p[2] == '\\';
    return drive || (p[0] == '\\' && p[1] == '\\' && p[2] != 0);
}

// The path of a special folder, into path. False, with path empty, unless
// the shell resolves it to a full path: an unresolved folder must never
// become an empty or relative path that later steps delete things in.
bool GetSpecialFolder(IMalloc* allocator, int folderId, char* path)
{
    path[0] = 0;
    LPITEMIDLIST list = NULL;
    if (SHGetSpecialFolderLocation(NULL, folderId, &list) != S_OK || !list)
        return false;
    char buf[MAX_PATH];
    BOOL ok = SHGetPathFromIDListA(list, buf);
    if (allocator)
        allocator->Free(list);
    if (!ok || !IsFullPath(buf))
        return false;
    return BufCopy(path, kShortcutPathSize, buf);
}

// folder, a backslash and name (and extension) into path; false when the
// result does not fit.
bool JoinPath(char* path, const char* folder, const char* name, const char* extension = "")
{
    return BufCopy(path, kShortcutPathSize, folder) &&
           AppendBackslash(path, kShortcutPathSize) &&
           BufAppend(path, kShortcutPathSize, name) &&
           BufAppend(path, kShortcutPathSize, extension);
}

// The program folder's file name, into path: the folder that holds this
// program, whatever the current directory is.
bool ProgramFile(char* path, const char* name)
{
    return FormProgramFolderPath(name, path, kShortcutPathSize);
}

void ApplyLink(bool make, const char* folder, const char* target)
{
    char link[kShortcutPathSize];
    if (!JoinPath(link, folder, kLinkName))
        return;
    if (make)
        CreateShellLink(target, link, kDescription);
    else
        DeleteFileA(link);
}

void ApplyGroup(bool make, const char* programsFolder, const char titles[][kMessageBufferSize],
                char* groupPathOut)
{
    char group[kShortcutPathSize];
    if (!JoinPath(group, programsFolder, kGroupName))
        return;
    if (!make) {
        RemoveFolderTree(group);
        return;
    }
    if (groupPathOut)
        BufCopy(groupPathOut, kShortcutPathSize, group);
    CreateDirectoryA(group, NULL);
    for (size_t i = 0; i < ARRAY_SIZE(kGroupLinks); i++) {
        char link[kShortcutPathSize];
        char target[kShortcutPathSize];
        if (!JoinPath(link, group, titles[i], kLinkExtension) ||
            !ProgramFile(target, kGroupLinks[i].targetName))
            continue;
        CreateShellLink(target, link, kDescription);
    }
}

} // namespace

bool CreateShellLink(const char* target, const char* linkFile, const char* description)
{
    // The wide name first: a name that does not fit makes no link.
    WCHAR wideName[kLinkNameWideSize];
    if (MultiByteToWideChar(CP_ACP, 0, linkFile, -1, wideName, kLinkNameWideSize) == 0)
        return false;
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(kClsidShellLink, NULL, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                (void**)&link)))
        return false;
    link->SetPath(target);
    link->SetDescription(description);
    IPersistFile* file = NULL;
    if (FAILED(link->QueryInterface(kIidPersistFile, (void**)&file))) {
        link->Release();
        return false;
    }
    bool saved = SUCCEEDED(file->Save(wideName, TRUE));
    file->Release();
    link->Release();
    return saved;
}

bool GetDesktopFolder(char* path)
{
    IMalloc* allocator = NULL;
    if (SHGetMalloc(&allocator) != S_OK)
        allocator = NULL;
    bool ok = GetSpecialFolder(allocator, CSIDL_DESKTOPDIRECTORY, path);
    if (allocator)
        allocator->Release();
    return ok;
}

bool RemoveFolderTree(char* path)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return false;
    // The shell takes a list of names that ends with two NULs.
    path[strlen(path) + 1] = 0;
    SHFILEOPSTRUCTA op;
    memset(&op, 0, sizeof op);
    op.wFunc = FO_DELETE;
    op.pFrom = path;
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
    return SHFileOperationA(&op) == 0;
}

void ApplyShortcuts(const SetupOptions* options, char* groupPathOut)
{
    char target[kShortcutPathSize];
    bool haveTarget = ProgramFile(target, kTargetName);
    IMalloc* allocator = NULL;
    if (SHGetMalloc(&allocator) != S_OK)
        allocator = NULL;

    char folder[kShortcutPathSize];
    bool desktopLink = options->slot[kSlotDesktopLink] != 0;
    if (GetDesktopFolder(folder) && (haveTarget || !desktopLink))
        ApplyLink(desktopLink, folder, target);

    bool startMenuLink = options->slot[kSlotStartMenuLink] != 0;
    if (GetSpecialFolder(allocator, CSIDL_STARTMENU, folder) && (haveTarget || !startMenuLink))
        ApplyLink(startMenuLink, folder, target);

    // Both titles are fetched once, before the first group is made.
    char titles[ARRAY_SIZE(kGroupLinks)][kMessageBufferSize];
    for (size_t i = 0; i < ARRAY_SIZE(kGroupLinks); i++) {
        BufCopy(titles[i], kMessageBufferSize,
                kGroupLinks[i].titleId ? GetLangString(kGroupLinks[i].titleId) : kGroupName);
    }

    bool group = options->slot[kSlotProgramGroup] != 0;
    if (GetSpecialFolder(allocator, CSIDL_PROGRAMS, folder))
        ApplyGroup(group, folder, titles, groupPathOut);
    if (WinNTVersion() != 0 && GetSpecialFolder(allocator, CSIDL_COMMON_PROGRAMS, folder))
        ApplyGroup(group, folder, titles, NULL);

    if (allocator)
        allocator->Release();
}
