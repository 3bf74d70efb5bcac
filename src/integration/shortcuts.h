// Links to Quillo on the desktop and in the Start menu, and the "Quillo"
// program group, made or removed as the options say.
#pragma once

#include <stddef.h>

#include "integration/setup_options_type.h"

const size_t kShortcutPathSize = 1024;

// Makes the links of the set slots 20 to 22 and removes those of the clear
// ones. When it makes the current user's program group, it copies the
// group's path into groupPathOut (kShortcutPathSize bytes) unless that is
// null. A place whose folder the shell cannot resolve is skipped.
void ApplyShortcuts(const SetupOptions* options, char* groupPathOut);

// Writes linkFile, a link to target with description. True when saved.
bool CreateShellLink(const char* target, const char* linkFile, const char* description);

// The current user's desktop folder, into path (kShortcutPathSize bytes).
// False, with path empty, when the shell cannot resolve it.
bool GetDesktopFolder(char* path);

// Deletes the folder path with everything in it, without confirmation and
// without the Recycle Bin. path's buffer needs one spare byte after its
// terminator. False when the folder does not exist or the shell failed.
bool RemoveFolderTree(char* path);
