// Removing Quillo: the integration, the installed files, and at last the
// program and its folder through a batch file that runs after it ends.
#pragma once

#include <stddef.h>

// Asks for confirmation, then removes everything. Returns when declined,
// when "Uninstall.lst" is missing, or when the batch file cannot be made;
// otherwise ends the process.
void RunUninstall();

// Undoes every piece of shell and registry integration.
void RemoveIntegration();

// True when a line of "Uninstall.lst" names something inside the program
// folder: no drive, no absolute path, no ".." step.
bool IsEntryInsideFolder(const char* line);

// Writes the removal batch file for program path, folder (the current
// directory) and the batch file's own path, in the form of the Windows
// family (nt: non-zero for the NT family). A "%" in a path is doubled so
// that the command interpreter reads it as it stands. False when the file
// cannot be written.
bool WriteRemovalBatch(const char* batchPath, const char* program, const char* folder, bool nt);
