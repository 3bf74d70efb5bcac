// The integration choices: 26 one-byte flags (0 or 1). A flag of 1 makes
// its piece of integration so, 0 takes it back: an all-zero record undoes
// everything.
#pragma once

const int kSetupOptionCount = 26;
const int kArchiveTypeCount = 12;

enum SetupSlot {
    // Slots 0 to 11: associate the archive types, in the archive type
    // table's order (QLO, ZIP, CAB, ARJ, LZH, ACE, TAR, GZip, UUE, BZ2, JAR,
    // ISO). Slots 12 to 19 carry no choice.
    kSlotQlo = 0,
    kSlotZip = 1,
    kSlotIso = 11,
    kSlotDesktopLink = 20,
    kSlotStartMenuLink = 21,
    kSlotProgramGroup = 22,
    kSlotShellIntegration = 23,
    kSlotCascadedMenus = 24,
    kSlotMenuIcons = 25,
};

struct SetupOptions {
    unsigned char slot[kSetupOptionCount];
};
