// The command-line switches and the walk over them.
#pragma once

#include <stddef.h>

enum SwitchKind {
    kSwitchSetup,     // "setup": the setup options and completion dialogs
    kSwitchSilent,    // "s" not followed by a letter: silent mode
    kSwitchWait,      // "wait": a pause of two seconds
    kSwitchWarning,   // "warning": the message that the file must go by hand
    kSwitchOther,     // anything else: no action, but it counts
};

// Classifies the switch word that follows a "/" or "-". Every test is a
// prefix test, case-insensitive for ASCII letters; the first match wins.
SwitchKind ClassifySwitch(const char* word);

// Walks cmdLine: every "/" or "-", wherever it stands (inside words and
// paths too), starts a switch word, and act is called for each in turn.
// Returns the number of switches found.
typedef void (*SwitchAction)(SwitchKind kind, void* context);
int ScanSwitches(const char* cmdLine, SwitchAction act, void* context);

// Composes the removal message: string 5105, a line feed, then string 5106
// with programPath in place of its "%s". Always terminated within size;
// returns false when the text was cut to fit.
bool ComposeRemovalMessage(char* buf, size_t size, const char* programPath);

// Runs the switches of cmdLine the way the program does; with none, the
// uninstall.
void RunCommandLine(const char* cmdLine);
