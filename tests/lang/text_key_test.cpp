#include <gtest/gtest.h>

#include "lang/text_key.h"

TEST(Crc32, IsTheCommonChecksum)
{
    EXPECT_EQ(0xCBF43926UL, Crc32(0, "123456789", 9));
    EXPECT_EQ(0UL, Crc32(0, "", 0));
    // Continuing a checksum gives the checksum of the whole.
    EXPECT_EQ(Crc32(0, "123456789", 9), Crc32(Crc32(0, "1234", 4), "56789", 5));
}

TEST(ComputeTextKey, JoinsKindDialogAndText)
{
    struct Case {
        TranslationKind kind; const char* dialog; const char* text; const char* key;
    } cases[] = {
        {kMessageText, nullptr, "Uninstall completed", "29b544f7"},
        {kDialogText, "SETUPDLG", "OK", "a8604cfa"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char key[9];
        ComputeTextKey(key, c.kind, c.dialog, c.text);
        EXPECT_STREQ(c.key, key);
    }
    // The same words as a message, as a dialog text, on another dialog.
    char a[9], b[9], d[9];
    ComputeTextKey(a, kMessageText, nullptr, "OK");
    ComputeTextKey(b, kDialogText, nullptr, "OK");
    ComputeTextKey(d, kDialogText, "DONEDLG", "OK");
    EXPECT_STRNE(a, b);
    EXPECT_STRNE(b, d);
    // The empty text has a key like any other.
    ComputeTextKey(a, kMessageText, nullptr, "");
    EXPECT_EQ(8u, strlen(a));
}
