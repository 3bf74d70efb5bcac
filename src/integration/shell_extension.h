// The registration of Quillo's shell extension library "qloext.dll" with
// the Explorer shell: its COM class, its handlers under Quillo's classes
// and under the shell's shared classes, and its approval.
#pragma once

#include "integration/setup_options_type.h"

// Registers the shell extension when slot 23 (shell integration) of options
// is 1 and takes the registration back when it is 0; reads no other slot.
// The COM class is written only when "qloext.dll" lies beside the program;
// the handler entries and the approval are written either way. Taking back
// leaves the keys named "Quillo" under the shell's shared classes in place,
// without a value.
void ApplyShellExtension(const SetupOptions* options);
