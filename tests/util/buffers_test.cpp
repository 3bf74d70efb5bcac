#include <gtest/gtest.h>

#include <string.h>

#include "guarded_buffer.h"
#include "util/buffers.h"

TEST(BufFormat, TerminatesAndReportsACut)
{
    GuardedBuffer buf(8);
    EXPECT_TRUE(BufFormat(buf.data(), buf.size(), "%s-%d", "ab", 42));
    EXPECT_STREQ("ab-42", buf.data());
    EXPECT_FALSE(BufFormat(buf.data(), buf.size(), "%s", "0123456789"));
    EXPECT_STREQ("0123456", buf.data());
}

TEST(BufCopyAndAppend, StayInsideTheBuffer)
{
    GuardedBuffer buf(6);
    EXPECT_TRUE(BufCopy(buf.data(), buf.size(), "abc"));
    EXPECT_TRUE(BufAppend(buf.data(), buf.size(), "de"));
    EXPECT_STREQ("abcde", buf.data());
    EXPECT_FALSE(BufAppend(buf.data(), buf.size(), "f"));
    EXPECT_STREQ("abcde", buf.data());
    EXPECT_FALSE(BufCopy(buf.data(), buf.size(), "0123456789"));
    EXPECT_STREQ("01234", buf.data());
}

TEST(BufFormatOneArg, FillsOnlyTheFirstPercentS)
{
    struct Case { const char* fmt; const char* result; } cases[] = {
        {"You should delete %s manually", "You should delete C:\\q.exe manually"},
        {"%s %s %d %n", "C:\\q.exe %s %d %n"},
        {"100%% of %s", "100% of C:\\q.exe"},
        {"no argument", "no argument"},
        {"trailing %", "trailing %"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fmt);
        char buf[64];
        EXPECT_TRUE(BufFormatOneArg(buf, sizeof buf, c.fmt, "C:\\q.exe"));
        EXPECT_STREQ(c.result, buf);
    }
}

TEST(BufFormatOneArg, CutsALongResultAtTheBuffersEnd)
{
    GuardedBuffer buf(10);
    EXPECT_FALSE(BufFormatOneArg(buf.data(), buf.size(), "del %s now", "C:\\long\\path"));
    EXPECT_STREQ("del C:\\lo", buf.data());
    EXPECT_FALSE(BufFormatOneArg(buf.data(), buf.size(), "0123456789abc", ""));
    EXPECT_STREQ("012345678", buf.data());
}
