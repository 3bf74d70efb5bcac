#include "integration/setup_options.h"

#include <windows.h>
#include <string.h>

#include "registry/registry.h"
#include "util/buffers.h"
#include "util/text.h"

const ArchiveType kArchiveTypes[kArchiveTypeCount] = {
    {"QLO", ".qlo"},
    {"ZIP", ".zip"},
    {"CAB", ".cab"},
    {"ARJ", ".arj"},
    {"LZH", ".lzh.lha"},
    {"ACE", ".ace"},
    {"TAR", ".tar"},
    {"GZip", ".gz.tgz"},
    {"UUE", ".uue.xxe.uu"},
    {"BZ2", ".bz2.tbz2.bz.tbz"},
    {"JAR", ".jar"},
    {"ISO", ".iso"},
};

namespace {

const size_t kKeyPathSize = 256;
const size_t kClassNameSize = 80;

struct SavedChoice {
    int slot;
    const char* key;
    const char* value;
    DWORD defaultValue;
};

// The choices beside the archive types, in the order they are saved.
const SavedChoice kSavedChoices[] = {
    {kSlotDesktopLink, "Setup\\Links", "Desktop", 0},
    {kSlotStartMenuLink, "Setup\\Links", "StartMenu", 0},
    {kSlotProgramGroup, "Setup\\Links", "Programs", 1},
    {kSlotShellIntegration, "Setup", "ShellExt", 1},
    {kSlotCascadedMenus, "Setup", "CascadedMenu", 0},
    {kSlotMenuIcons, "Setup", "MenuIcons", 1},
};

const char kChoiceValue[] = "Set";

// The key that holds the choice of archive type row; false if it does not
// fit (cannot happen with the table's extensions).
bool FormChoiceKey(int row, char* key, size_t size)
{
    const char* cursor = kArchiveTypes[row].extensions;
    char extension[kExtensionSize];
    if (!NextExtension(&cursor, extension, ARRAY_SIZE(extension)))
        return false;
    return BufFormat(key, size, "Setup\\%s", extension);
}

// The class of extension in HKEY_CLASSES_ROOT; "" when it has none or when
// the name does not fit the buffer.
void ReadClassName(const char* extension, char* buf, size_t size)
{
    GetRegString(HKEY_CLASSES_ROOT, extension, "", buf, "", size);
}

} // namespace

bool NextExtension(const char** cursor, char* buf, size_t size)
{
    const char* start = *cursor;
    if (start[0] == 0)
        return false;
    // The list is cut before every dot but its first character.
    const char* end = strchr(start + 1, '.');
    size_t len = end ? (size_t)(end - start) : strlen(start);
    if (len >= size) {
        *cursor = start + strlen(start);
        if (size > 0)
            buf[0] = 0;
        return false;
    }
    memcpy(buf, start, len);
    buf[len] = 0;
    *cursor = start + len;
    return true;
}

bool IsQuilloClassName(const char* className)
{
    return CompareTextNoCase(className, "Quillo") == 0 ||
           CompareTextNoCase(className, "Quillo.ZIP") == 0;
}

bool IsAssociatedWithQuillo(const char* extension)
{
    char className[kClassNameSize];
    ReadClassName(extension, className, ARRAY_SIZE(className));
    return IsQuilloClassName(className);
}

void LoadSetupOptions(SetupOptions* options)
{
    for (int row = 0; row < kArchiveTypeCount; row++) {
        char key[kKeyPathSize];
        DWORD set = 1;
        if (FormChoiceKey(row, key, ARRAY_SIZE(key)))
            set = GetRegDword(key, kChoiceValue, 1);
        options->slot[row] = set != 0 ? 1 : 0;
    }
    // ISO is offered only while no other program owns ".iso": its choice is
    // never saved, so an unchecked ISO comes back checked once ".iso" is free.
    if (!IsAssociatedWithQuillo(".iso")) {
        char className[kClassNameSize];
        ReadClassName(".iso", className, ARRAY_SIZE(className));
        if (className[0] != 0)
            options->slot[kSlotIso] = 0;
    }
    for (size_t i = 0; i < ARRAY_SIZE(kSavedChoices); i++) {
        const SavedChoice& choice = kSavedChoices[i];
        DWORD value = GetRegDword(choice.key, choice.value, choice.defaultValue);
        options->slot[choice.slot] = value != 0 ? 1 : 0;
    }
}

void SaveSetupOptions(const SetupOptions* options)
{
    for (int row = 0; row < kArchiveTypeCount; row++) {
        if (row == kSlotIso)
            continue;
        char key[kKeyPathSize];
        if (FormChoiceKey(row, key, ARRAY_SIZE(key)))
            SetRegDword(key, kChoiceValue, options->slot[row]);
    }
    for (size_t i = 0; i < ARRAY_SIZE(kSavedChoices); i++) {
        const SavedChoice& choice = kSavedChoices[i];
        SetRegDword(choice.key, choice.value, options->slot[choice.slot]);
    }
}
