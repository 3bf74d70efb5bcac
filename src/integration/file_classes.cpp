#include "integration/file_classes.h"

#include <windows.h>
#include <shlobj.h>

#include "lang/messages.h"
#include "registry/registry.h"
#include "resource.h"
#include "util/buffers.h"
#include "util/text.h"

namespace {

const char kArchiverName[] = "Quillo.exe";
const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillo.exe";
const size_t kPathSize = 1024;
// A text made of the archiver's path and a few characters around it: room
// for the longest path, so that it is never cut.
const size_t kPathTextSize = kPathSize + 16;

// What a class value holds.
enum ClassValueKind {
    kDescription,    // the message string descriptionId, in the language in force
    kOpenCommand,    // "<exe>" "%1"
    kArchiveIcon,    // <exe>,0
    kVolumeIcon,     // <exe>,1
    kFixedText,      // text
};

struct ClassValue {
    const char* key;   // under HKEY_CLASSES_ROOT; the value is the key's default
    ClassValueKind kind;
    int descriptionId;
    const char* text;
};

// Written in this order.
const ClassValue kClassValues[] = {
    {"Quillo", kDescription, IDS_CLASS_QUILLO, NULL},
    {"Quillo\\shell\\open\\command", kOpenCommand, 0, NULL},
    {"Quillo\\DefaultIcon", kArchiveIcon, 0, NULL},
    {"Quillo.ZIP", kDescription, IDS_CLASS_ZIP, NULL},
    {"Quillo.ZIP\\shell\\open\\command", kOpenCommand, 0, NULL},
    {"Quillo.ZIP\\DefaultIcon", kArchiveIcon, 0, NULL},
    {".rev", kFixedText, 0, "Quillo.REV"},
    {"Quillo.REV", kDescription, IDS_CLASS_REV, NULL},
    {"Quillo.REV\\shell\\open\\command", kOpenCommand, 0, NULL},
    {"Quillo.REV\\DefaultIcon", kVolumeIcon, 0, NULL},
};

// The texts that name Quillo.exe; empty when its path could not be formed.
struct ArchiverTexts {
    char openCommand[kPathTextSize];
    char archiveIcon[kPathTextSize];
    char volumeIcon[kPathTextSize];
};

void FormArchiverTexts(ArchiverTexts* texts)
{
    char exe[kPathSize];
    if (FormProgramFolderPath(kArchiverName, exe, ARRAY_SIZE(exe)) &&
        BufFormat(texts->openCommand, ARRAY_SIZE(texts->openCommand), "\"%s\" \"%%1\"", exe) &&
        BufFormat(texts->archiveIcon, ARRAY_SIZE(texts->archiveIcon), "%s,0", exe) &&
        BufFormat(texts->volumeIcon, ARRAY_SIZE(texts->volumeIcon), "%s,1", exe))
        return;
    texts->openCommand[0] = 0;
    texts->archiveIcon[0] = 0;
    texts->volumeIcon[0] = 0;
}

// The text of value; null when it names Quillo.exe and its path is unknown.
const char* ClassValueText(const ClassValue& value, const ArchiverTexts& texts)
{
    const char* text = NULL;
    switch (value.kind) {
    case kDescription: return GetLangString(value.descriptionId);
    case kFixedText: return value.text;
    case kOpenCommand: text = texts.openCommand; break;
    case kArchiveIcon: text = texts.archiveIcon; break;
    case kVolumeIcon: text = texts.volumeIcon; break;
    }
    return text && text[0] ? text : NULL;
}

} // namespace

void RegisterFileClasses()
{
    ArchiverTexts texts;
    FormArchiverTexts(&texts);
    for (size_t i = 0; i < ARRAY_SIZE(kClassValues); i++) {
        // A description comes from the message ring just before it is
        // written, so it is still there when it is used.
        const char* text = ClassValueText(kClassValues[i], texts);
        if (text)
            SetRegString(HKEY_CLASSES_ROOT, kClassValues[i].key, "", text);
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
}

void RegisterAppPath()
{
    char exe[kPathSize];
    if (FormProgramFolderPath(kArchiverName, exe, ARRAY_SIZE(exe)))
        SetRegString(HKEY_LOCAL_MACHINE, kAppPathKey, "", exe);
    // The setup is started with Quillo's folder as the current directory;
    // "Path" takes it as it stands, not from the program's own path.
    char folder[kPathSize];
    DWORD len = GetCurrentDirectoryA(ARRAY_SIZE(folder), folder);
    if (len != 0 && len < ARRAY_SIZE(folder))
        SetRegString(HKEY_LOCAL_MACHINE, kAppPathKey, "Path", folder);
}
