#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "lang/messages.h"
#include "program_driver.h"
#include "resource.h"
#include "table_fixture.h"

namespace {

class GetLangStringTest : public ::testing::Test {
protected:
    void SetUp() override { LanguageLibrary.Load(GetModuleHandleA(NULL)); }
    void TearDown() override
    {
        free(LanguageTable.text);
        LanguageTable.text = nullptr;
        LanguageTable.textLength = 0;
        LanguageTable.index.count = 0;
    }
};

// Runs the language probe from a program folder holding the given library
// as "qlolng.dll" (none when empty) and returns the lines it wrote.
std::vector<std::string> ProbeStrings(const char* library, const std::string& args)
{
    ProgramFolder folder("Quillo-lang");
    std::string probe = folder.Add(BuiltFile("tests\\langprobe.exe"), "langprobe.exe");
    if (library && *library)
        folder.Add(BuiltFile(library), "qlolng.dll");
    std::string out = folder.Path() + "\\probe.txt";
    RunningProgram run;
    if (!run.Start(probe, "\"" + out + "\" " + args, folder.Path()) || run.Wait(30000) != 0)
        return {"probe failed"};
    std::vector<std::string> lines;
    FILE* f = fopen(out.c_str(), "r");
    char line[512];
    while (f && fgets(line, sizeof line, f)) {
        line[strcspn(line, "\n")] = 0;
        lines.push_back(line);
    }
    if (f)
        fclose(f);
    return lines;
}

} // namespace

TEST_F(GetLangStringTest, GivesTheProgramsOwnStrings)
{
    struct Case { int id; const char* text; } cases[] = {
        {IDS_PRODUCT_NAME, "Quillo archiver"},
        {IDS_HELP_LINK, "Quillo help"},
        {IDS_MANUAL_LINK, "Console QLO manual"},
        {IDS_UNINSTALL_CAPTION, "Uninstall Quillo"},
        {IDS_UNINSTALL_DONE, "Uninstall completed"},
        {IDS_DELETE_MANUALLY, "You should delete %s manually"},
        {IDS_CONFIRM_UNINSTALL, "Continue with uninstall Quillo"},
        {IDS_CANNOT_OPEN_LIST, "Cannot open list file %s"},
        {IDS_CLASS_QUILLO, "Quillo archive"},
        {IDS_CLASS_ZIP, "Quillo ZIP archive"},
        {IDS_CLASS_REV, "QLO recovery volume"},
        {IDS_HOME_PAGE, "https://www.quillo.example/"},
        {5100, ""},
        {5113, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_STREQ(c.text, GetLangString(c.id));
    }
}

TEST_F(GetLangStringTest, KeepsEachResultThroughSevenMoreCalls)
{
    const char* results[9];
    for (int i = 0; i < 9; i++)
        results[i] = GetLangString(IDS_PRODUCT_NAME + i);
    // The ninth call reuses the first buffer; the others are intact.
    EXPECT_EQ(results[0], results[8]);
    EXPECT_STREQ("Quillo help", results[1]);
    EXPECT_STREQ("Console QLO manual", results[2]);
    EXPECT_STREQ("Uninstall Quillo", results[3]);
    EXPECT_STREQ("Uninstall completed", results[4]);
    EXPECT_STREQ("You should delete %s manually", results[5]);
    EXPECT_STREQ("Continue with uninstall Quillo", results[6]);
    EXPECT_STREQ("Cannot open list file %s", results[7]);
    EXPECT_STREQ("Quillo archive", results[8]);
}

TEST_F(GetLangStringTest, TranslatesThroughALoadedTable)
{
    FillTable(LanguageTable, {"[Uninstall]", "29b544f7=\"Deinstallation abgeschlossen\""});
    EXPECT_STREQ("Deinstallation abgeschlossen", GetLangString(IDS_UNINSTALL_DONE));
    EXPECT_STREQ("Uninstall Quillo", GetLangString(IDS_UNINSTALL_CAPTION));
}

TEST(LanguageLibrary, ReplacesTheProgramsStringsWhenBesideIt)
{
    std::vector<std::string> lines =
        ProbeStrings("bin\\qlolng.dll", "5104 5105 5106 5112 --unload 5105");
    std::vector<std::string> expected = {
        "loaded=1",
        "Quillo deinstallieren",
        "Deinstallation abgeschlossen",
        "Bitte l\xF6schen Sie %s von Hand",
        "https://www.quillo.example/de/",
        "loaded=0",
        "Uninstall completed",   // after unloading, the program's own text
    };
    EXPECT_EQ(expected, lines);
}

TEST(LanguageLibrary, StringsItLacksComeFromTheProgram)
{
    std::vector<std::string> lines = ProbeStrings("tests\\partial_lng.dll", "5104 5107");
    std::vector<std::string> expected = {
        "loaded=1", "Quillo deinstallieren", "Continue with uninstall Quillo"};
    EXPECT_EQ(expected, lines);
}

TEST(LanguageLibrary, IsNotUsedForMessagesOnceATableIsLoaded)
{
    std::vector<std::string> lines = ProbeStrings("bin\\qlolng.dll", "--table 5104 5105");
    std::vector<std::string> expected = {"loaded=1", "Uninstall Quillo", "Uninstall completed"};
    EXPECT_EQ(expected, lines);
}

TEST(LanguageLibrary, WithoutOneTheProgramSpeaksForItself)
{
    std::vector<std::string> lines = ProbeStrings("", "5105");
    std::vector<std::string> expected = {"loaded=0", "Uninstall completed"};
    EXPECT_EQ(expected, lines);
}
