// These cases run in a Japanese locale (see tests/CMakeLists.txt), where
// the ANSI code page is 932 and 0x95 0x5C is one character whose second
// byte is the backslash's value.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include "util/text.h"

TEST(CodePage932, RunsUnderCodePage932)
{
    ASSERT_EQ(932u, GetACP());
    EXPECT_EQ(1, LeadByteTable[256]);
    EXPECT_EQ(1, LeadByteTable[0x95]);
    EXPECT_EQ(0, LeadByteTable[0x5C]);
    EXPECT_EQ(0, LeadByteTable['A']);
}

TEST(CodePage932, FindNamePartTakesNoTrailByteForASeparator)
{
    ASSERT_EQ(932u, GetACP());
    char path[] = "C:\\dir\\\x95\x5C" "file";   // the name is 0x95 0x5C "file"
    EXPECT_EQ(path + 7, FindNamePart(path));

    char name[] = "\x95\x5C";
    EXPECT_EQ(name, FindNamePart(name));

    // A lead byte first: its trail byte is no drive colon.
    char noDrive[] = "\x95:abc";
    EXPECT_EQ(noDrive, FindNamePart(noDrive));
}

TEST(CodePage932, AppendBackslashAfterATrailByteThatLooksLikeOne)
{
    ASSERT_EQ(932u, GetACP());
    char path[16] = "C:\\\x95\x5C";
    EXPECT_TRUE(AppendBackslash(path, sizeof path));
    EXPECT_STREQ("C:\\\x95\x5C\\", path);

    char done[16] = "C:\\\x95\x5C\\";
    EXPECT_TRUE(AppendBackslash(done, sizeof done));
    EXPECT_STREQ("C:\\\x95\x5C\\", done);
}

TEST(CodePage932, ALeadByteAtTheEndStopsAtTheTerminator)
{
    ASSERT_EQ(932u, GetACP());
    char path[16] = "dir\\ab\x95";
    EXPECT_STREQ("ab\x95", FindNamePart(path));
    EXPECT_TRUE(AppendBackslash(path, sizeof path));
    EXPECT_STREQ("dir\\ab\x95\\", path);
}
