#include "integration/shell_extension.h"

#include <windows.h>

#include "registry/registry.h"
#include "util/buffers.h"
#include "util/text.h"

// The extension's class identifier, as key names and values spell it.
#define QLO_EXT_CLSID "{6D92E0A7-35C1-4B8F-9A2D-70E5C3B1F846}"

namespace {

const char kClassId[] = QLO_EXT_CLSID;
const char kClassKey[] = "CLSID\\" QLO_EXT_CLSID;
const char kServerKey[] = "CLSID\\" QLO_EXT_CLSID "\\InProcServer32";
const char kClassName[] = "Quillo";
const char kThreadingModel[] = "Apartment";
const char kLibraryName[] = "qloext.dll";
const char kApprovalKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const char kApprovalText[] = "Quillo shell extension";
const size_t kPathSize = 1024;

// What taking the registration back removes of a handler entry.
enum HandlerRemoval {
    kRemoveKey,            // the key belongs to Quillo alone
    kRemoveDefaultValue,   // a key named "Quillo" under a class the shell shares: it stays
};

struct HandlerEntry {
    const char* key;             // under HKEY_CLASSES_ROOT
    const char* defaultValue;
    HandlerRemoval removal;
};

// Written in this order, and taken back in the same order. Under Quillo's
// own classes and "exefile" a handler key is named by the class identifier;
// under the shared classes it is named "Quillo" and names the identifier.
const HandlerEntry kHandlerEntries[] = {
    {"Quillo\\shellex\\ContextMenuHandlers\\" QLO_EXT_CLSID, "", kRemoveKey},
    {"Quillo\\shellex\\PropertySheetHandlers\\" QLO_EXT_CLSID, "", kRemoveKey},
    {"Quillo.ZIP\\shellex\\ContextMenuHandlers\\" QLO_EXT_CLSID, "", kRemoveKey},
    {"Quillo.ZIP\\shellex\\PropertySheetHandlers\\" QLO_EXT_CLSID, "", kRemoveKey},
    {"exefile\\shellex\\PropertySheetHandlers\\" QLO_EXT_CLSID, "", kRemoveKey},
    {"Quillo\\shellex\\DropHandler", QLO_EXT_CLSID, kRemoveKey},
    {"Quillo.ZIP\\shellex\\DropHandler", QLO_EXT_CLSID, kRemoveKey},
    {"*\\shellex\\ContextMenuHandlers\\Quillo", QLO_EXT_CLSID, kRemoveDefaultValue},
    {"Folder\\shellex\\ContextMenuHandlers\\Quillo", QLO_EXT_CLSID, kRemoveDefaultValue},
    {"Folder\\shellex\\DragDropHandlers\\Quillo", QLO_EXT_CLSID, kRemoveDefaultValue},
    {"Drive\\shellex\\DragDropHandlers\\Quillo", QLO_EXT_CLSID, kRemoveDefaultValue},
    {"Directory\\shellex\\ContextMenuHandlers\\Quillo", QLO_EXT_CLSID, kRemoveDefaultValue},
    {"Directory\\shellex\\DragDropHandlers\\Quillo", QLO_EXT_CLSID, kRemoveDefaultValue},
};

void RegisterShellExtension()
{
    // Without the library there is no server to register; whatever the
    // class identifier's key holds then stays as it is.
    char library[kPathSize];
    if (FormProgramFolderPath(kLibraryName, library, ARRAY_SIZE(library)) &&
        GetFileAttributesA(library) != INVALID_FILE_ATTRIBUTES) {
        SetRegString(HKEY_CLASSES_ROOT, kClassKey, "", kClassName);
        SetRegString(HKEY_CLASSES_ROOT, kServerKey, "", library);
        SetRegString(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel", kThreadingModel);
    }
    for (size_t i = 0; i < ARRAY_SIZE(kHandlerEntries); i++) {
        const HandlerEntry& entry = kHandlerEntries[i];
        SetRegString(HKEY_CLASSES_ROOT, entry.key, "", entry.defaultValue);
    }
    SetRegString(HKEY_LOCAL_MACHINE, kApprovalKey, kClassId, kApprovalText);
}

void RemoveShellExtension()
{
    // On NT a key that still has subkeys is not deleted: the child first.
    DeleteRegKey(HKEY_CLASSES_ROOT, kServerKey);
    DeleteRegKey(HKEY_CLASSES_ROOT, kClassKey);
    for (size_t i = 0; i < ARRAY_SIZE(kHandlerEntries); i++) {
        const HandlerEntry& entry = kHandlerEntries[i];
        if (entry.removal == kRemoveKey)
            DeleteRegKey(HKEY_CLASSES_ROOT, entry.key);
        else
            DeleteRegValue(HKEY_CLASSES_ROOT, entry.key, "");
    }
    // The approval key holds the other extensions' approvals: only our value goes.
    DeleteRegValue(HKEY_LOCAL_MACHINE, kApprovalKey, kClassId);
}

} // namespace

void ApplyShellExtension(const SetupOptions* options)
{
    if (options->slot[kSlotShellIntegration])
        RegisterShellExtension();
    else
        RemoveShellExtension();
}
