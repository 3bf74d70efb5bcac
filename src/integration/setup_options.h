// The archive types that setup can associate with Quillo, and the saved
// integration choices below the product key.
#pragma once

#include <stddef.h>

#include "integration/setup_options_type.h"

// One row per archive type, in slot order (slots 0 to 11).
struct ArchiveType {
    // The caption of the type's check box, without its mnemonic.
    const char* name;
    // The type's extensions as one dot-led list (".gz.tgz"), in the order
    // they are associated. The first one is the choice extension, whose key
    // "Setup\<extension>" holds the saved choice.
    const char* extensions;
};
extern const ArchiveType kArchiveTypes[kArchiveTypeCount];

// Room for one extension of the table, dot and terminator included.
const size_t kExtensionSize = 16;

// Walks a dot-led extension list: copies the extension at *cursor into buf
// (size bytes) and moves *cursor past it. False when the list is used up,
// or when an extension does not fit (the walk then stops).
bool NextExtension(const char** cursor, char* buf, size_t size);

// Fills slots 0 to 11 and 20 to 25 from the saved choices, each with its
// default where nothing can be read. Slots 12 to 19 stay as they were.
void LoadSetupOptions(SetupOptions* options);
// Saves slots 0 to 10 and 20 to 25. The ISO choice (slot 11) is never saved:
// the next setup derives it from who owns ".iso".
void SaveSetupOptions(const SetupOptions* options);

// True when className is "Quillo" or "Quillo.ZIP", in any letter case.
bool IsQuilloClassName(const char* className);
// True when extension (".iso", with its dot) currently points at "Quillo"
// or "Quillo.ZIP" in HKEY_CLASSES_ROOT, in any letter case.
bool IsAssociatedWithQuillo(const char* extension);
