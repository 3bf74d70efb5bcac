#include <gtest/gtest.h>
#include <windows.h>

#include "program_driver.h"
#include "util/text.h"

// The test runs once under a Windows 98 and once under a Windows XP
// emulation (QLO_FAMILY names which).
TEST(WinNTVersion, TellsTheFamilyAndAsksTheSystemOnce)
{
    int version = WinNTVersion();
    if (TestFamily() == "win98") {
        EXPECT_EQ(0, version);
        EXPECT_EQ(VER_PLATFORM_WIN32_WINDOWS, WinNTVersionCache.platformId);
    } else {
        EXPECT_EQ(5, version);
        EXPECT_EQ(VER_PLATFORM_WIN32_NT, WinNTVersionCache.platformId);
    }

    // Later calls answer from the cache: a changed cache shows through.
    WinVersionCache saved = WinNTVersionCache;
    WinNTVersionCache.platformId = VER_PLATFORM_WIN32_NT;
    WinNTVersionCache.majorVersion = 4;
    EXPECT_EQ(4, WinNTVersion());
    WinNTVersionCache.platformId = VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_EQ(0, WinNTVersion());
    WinNTVersionCache = saved;
}
