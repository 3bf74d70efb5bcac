#include <gtest/gtest.h>

#include <string.h>

#include "guarded_buffer.h"
#include "lang/language_table.h"
#include "table_fixture.h"

namespace {

std::string Translated(const LanguageResources& table, const char* source,
                       const char* dialog = nullptr, TranslationKind kind = kMessageText)
{
    char buf[256];
    table.Translate(buf, sizeof buf, source, dialog, kind);
    return buf;
}

} // namespace

TEST(Translate, WithoutATableCopiesTheSource)
{
    LanguageResources table;
    EXPECT_FALSE(table.IsLoaded());
    EXPECT_EQ("Uninstall completed", Translated(table, "Uninstall completed"));
    char same[32] = "in place";
    table.Translate(same, sizeof same, same, nullptr, kMessageText);
    EXPECT_STREQ("in place", same);
}

TEST(Translate, FindsEntriesByKeyKindAndDialog)
{
    LanguageResources table;
    FillTable(table, {
        "[Uninstall]",
        "29b544f7=\"Deinstallation abgeschlossen\"",
        Key(kDialogText, "SETUPDLG", "OK") + "=\"Weiter\"",
        Key(kDialogText, "DONEDLG", "OK") + "=\"Fertig\"",
        Key(kMessageText, nullptr, "Cancel") + "=\"Abbrechen\"",
    });
    EXPECT_TRUE(table.IsLoaded());
    EXPECT_EQ("Deinstallation abgeschlossen", Translated(table, "Uninstall completed"));
    EXPECT_EQ("Weiter", Translated(table, "OK", "SETUPDLG", kDialogText));
    EXPECT_EQ("Fertig", Translated(table, "OK", "DONEDLG", kDialogText));
    EXPECT_EQ("Abbrechen", Translated(table, "Cancel"));
    // No entry: the text stays as it is.
    EXPECT_EQ("OK", Translated(table, "OK"));
    EXPECT_EQ("Cancel", Translated(table, "Cancel", "SETUPDLG", kDialogText));
}

TEST(Translate, ReadsTheTranslationUpToItsLastQuote)
{
    struct Case { std::string entry; const char* result; } cases[] = {
        {"=\"Done\" old", "Done"},
        {"=\"say \"hi\" now\"", "say \"hi\" now"},
        {"=\"\"", ""},
        {"=\"no closing quote", "no closing quote"},   // the form feed is dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        LanguageResources table;
        FillTable(table, {"[Uninstall]", "29b544f7" + c.entry, "ffffffff=\"x\""});
        EXPECT_EQ(c.result, Translated(table, "Uninstall completed"));
    }
}

TEST(Translate, UpperCaseKeysNeverMatch)
{
    LanguageResources table;
    FillTable(table, {"[Uninstall]", "29B544F7=\"Fertig\""});
    EXPECT_EQ("Uninstall completed", Translated(table, "Uninstall completed"));
}

TEST(Translate, FindsLinesThatTheIndexLacksByScanning)
{
    LanguageResources table;
    // Only every other line is indexed; the scan needs '=' and '"' too, and
    // steps over runs of empty lines.
    FillTable(table, {"[Uninstall]", "", "", "29b544f7 no entry", "29b544f7=\"Fertig\"",
                      "x"}, true, false);
    EXPECT_EQ("Fertig", Translated(table, "Uninstall completed"));
}

TEST(Translate, TakesAtMost255CharactersFromAnUnendedLastLine)
{
    std::string longText(300, 'x');
    LanguageResources table;
    FillTable(table, {"[Uninstall]", "29b544f7=\"" + longText + "\""}, false);
    EXPECT_EQ(std::string(255, 'x'), Translated(table, "Uninstall completed"));

    // Within the 255 characters, the cut at the last quote still applies.
    LanguageResources quoted;
    FillTable(quoted, {"[Uninstall]", "29b544f7=\"short\" then " + longText}, false);
    EXPECT_EQ("short", Translated(quoted, "Uninstall completed"));
}

TEST(Translate, CutsALongTranslationAtTheDestinationsEnd)
{
    std::string longText(2000, 'y');
    LanguageResources table;
    FillTable(table, {"[Uninstall]", "29b544f7=\"" + longText + "\"", "end"});
    GuardedBuffer dest(256);
    table.Translate(dest.data(), dest.size(), "Uninstall completed", nullptr, kMessageText);
    EXPECT_EQ(std::string(255, 'y'), dest.data());

    GuardedBuffer small(4);
    table.Translate(small.data(), small.size(), "Uninstall completed", nullptr, kMessageText);
    EXPECT_STREQ("yyy", small.data());
    // The untranslated copy is bounded too.
    table.Translate(small.data(), small.size(), "not in the table", nullptr, kMessageText);
    EXPECT_STREQ("not", small.data());
}

TEST(Translate, AnIndexedLineWithoutTranslationGivesAnEmptyText)
{
    LanguageResources table;
    FillTable(table, {"[Uninstall]", "29b544f7", "end"});
    EXPECT_EQ("", Translated(table, "Uninstall completed"));
}
