#include <gtest/gtest.h>

#include <string.h>
#include <string>

#include "guarded_buffer.h"
#include "util/text.h"

TEST(FindNamePart, FindsTheNameAfterTheLastSeparatorOrDrive)
{
    struct Case { const char* path; const char* name; } cases[] = {
        {"C:\\dir\\file.txt", "file.txt"},
        {"\\\\server\\share", "share"},
        {"file", "file"},
        {"C:file", "file"},
        {"C:", ""},
        {"dir/", ""},
        {"C:\\", ""},
        {"a/b\\c", "c"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char path[64];
        strcpy(path, c.path);
        char* name = FindNamePart(path);
        EXPECT_STREQ(c.name, name);
        EXPECT_TRUE(name >= path && name <= path + strlen(path));
    }
}

TEST(AppendBackslash, AddsOneBackslashOnlyWhereNeeded)
{
    struct Case { const char* path; const char* result; } cases[] = {
        {"C:", "C:\\"},
        {"C:\\", "C:\\"},
        {"", ""},
        {"a/", "a/\\"},
        {"C:\\Program Files\\Quillo", "C:\\Program Files\\Quillo\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char path[64];
        strcpy(path, c.path);
        EXPECT_TRUE(AppendBackslash(path, sizeof path));
        EXPECT_STREQ(c.result, path);
    }
}

TEST(AppendBackslash, NeverWritesPastAFullBuffer)
{
    GuardedBuffer exact(4);
    memcpy(exact.data(), "C:\\", 4);   // already ends with a backslash
    EXPECT_TRUE(AppendBackslash(exact.data(), exact.size()));
    EXPECT_STREQ("C:\\", exact.data());

    GuardedBuffer full(3);
    memcpy(full.data(), "C:", 3);       // no room for the backslash
    EXPECT_FALSE(AppendBackslash(full.data(), full.size()));
    EXPECT_STREQ("C:", full.data());

    GuardedBuffer room(4);
    memcpy(room.data(), "C:", 3);
    EXPECT_TRUE(AppendBackslash(room.data(), room.size()));
    EXPECT_STREQ("C:\\", room.data());
}

TEST(TrimLineEnd, CutsLineEndsBlanksAndTabsAtTheEndOnly)
{
    struct Case { const char* text; const char* result; } cases[] = {
        {"name \r\n", "name"},
        {" \t \t", ""},
        {"", ""},
        {" lead and inner \t", " lead and inner"},
        {"a\n\n\r\r", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char text[64];
        strcpy(text, c.text);
        EXPECT_EQ(text, TrimLineEnd(text));
        EXPECT_STREQ(c.result, text);
    }
}

TEST(CompareTextNoCase, IgnoresCaseAndOrdersTexts)
{
    EXPECT_EQ(0, CompareTextNoCase("Quillo Setup", "qUILLO sETUP"));
    EXPECT_EQ(-1, CompareTextNoCase("apple", "Banana"));
    EXPECT_EQ(1, CompareTextNoCase("cherry", "Banana"));
    EXPECT_EQ(0, CompareTextNoCase("", ""));
}

TEST(StepChar, StepsOverTwoByteCharactersButNeverOverTheEnd)
{
    unsigned char table[257] = {};
    table[0x95] = 1;
    table[256] = 1;
    const char text[] = "\x95\x5C" "a" "\x95";
    EXPECT_EQ(text + 2, StepChar(table, text));
    EXPECT_EQ(text + 3, StepChar(table, text + 2));
    // A lead byte just before the terminator steps only onto the terminator.
    EXPECT_EQ(text + 4, StepChar(table, text + 3));
}

TEST(SeparatorTests, KnowTheirCharacters)
{
    EXPECT_TRUE(IsSeparatorChar('\\'));
    EXPECT_TRUE(IsSeparatorChar('/'));
    EXPECT_FALSE(IsSeparatorChar(':'));
    EXPECT_TRUE(IsColonChar(':'));
    EXPECT_FALSE(IsColonChar('\\'));
}
