// The language file loader on real files, with keys computed by the
// program's own key function.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "program_driver.h"
#include "table_fixture.h"

namespace {

const char kMarkerLine[] = "***messages***";

class LanguageFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        path_ = std::string(dir) + "uninstall-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".lng";
        ResourceModule = GetModuleHandleA(NULL);
        ProgramModule = ResourceModule;
    }
    void TearDown() override { DeleteFileA(path_.c_str()); }

    void Write(const std::string& content)
    {
        HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        DWORD done;
        WriteFile(h, content.data(), (DWORD)content.size(), &done, NULL);
        CloseHandle(h);
    }

    std::string Message(const LanguageResources& table, const char* text)
    {
        char buf[256];
        table.Translate(buf, sizeof buf, text, nullptr, kMessageText);
        return buf;
    }

    std::string path_;
};

std::string Entry(const char* text, const std::string& translation)
{
    return Key(kMessageText, nullptr, text) + "=\"" + translation + "\"";
}

} // namespace

TEST_F(LanguageFileTest, NoFileNoTable)
{
    LanguageResources table;
    table.Load(path_.c_str());
    EXPECT_FALSE(table.IsLoaded());
    EXPECT_EQ(0, table.rightToLeft);
}

TEST_F(LanguageFileTest, AMarkerLineAloneLoadsAnEmptyTable)
{
    Write(std::string(kMarkerLine) + "\r\n");
    LanguageResources table;
    table.Load(path_.c_str());
    EXPECT_TRUE(table.IsLoaded());
    EXPECT_EQ(0, table.index.count);
    EXPECT_EQ("Uninstall completed", Message(table, "Uninstall completed"));
}

TEST_F(LanguageFileTest, FindsEntriesWhateverTheLineEnds)
{
    Write("[head]\r\nanything before the section\r\n" + std::string(kMarkerLine) + "\r\n" +
          "comment line\r\n" + Entry("Uninstall completed", "Fertig") + "\r\n" +
          Entry("Uninstall Quillo", "Quillo entfernen") + "\n\n\n" +
          Entry("Quillo help", "Hilfe") + " trailing words\r\r" +
          Key(kMessageText, nullptr, "Quillo archive").substr(0, 8) + "=\"unused\"\n" +
          Entry("Console QLO manual", "Handbuch"));   // last line, no line end
    LanguageResources table;
    table.Load(path_.c_str());
    EXPECT_EQ("Fertig", Message(table, "Uninstall completed"));
    EXPECT_EQ("Quillo entfernen", Message(table, "Uninstall Quillo"));
    EXPECT_EQ("Hilfe", Message(table, "Quillo help"));
    EXPECT_EQ("Handbuch", Message(table, "Console QLO manual"));
    // The index holds every line start after the marker line.
    EXPECT_EQ(6, table.index.count);
}

TEST_F(LanguageFileTest, EscapesAndLineBreaks)
{
    struct Case { const char* text; std::string written; std::string result; } cases[] = {
        {"a", "two\\nlines", "two\nlines"},
        {"b", "cr\\r tab\\t quote\\\" slash\\\\", "cr\r tab\t quote\" slash\\"},
        {"c", "other \\x stays", "other \\x stays"},
        {"d", "cut\nhere\"", "cut"},   // a real line end ends the entry
    };
    std::string file = std::string(kMarkerLine) + "\n";
    for (const Case& c : cases)
        file += Entry(c.text, c.written) + "\n";
    file += "\\";   // a backslash as the very last byte stays one
    Write(file);
    LanguageResources table;
    table.Load(path_.c_str());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.result, Message(table, c.text));
    }
    EXPECT_EQ('\\', table.text[table.textLength - 1]);
}

TEST_F(LanguageFileTest, UpperCaseKeysAndNulBytes)
{
    std::string upper = Key(kMessageText, nullptr, "Quillo help");
    for (char& ch : upper)
        ch = (char)toupper(ch);
    std::string file = std::string(kMarkerLine) + "\n" + upper + "=\"Hilfe\"\n" +
                       Entry("Uninstall Quillo", "before") + "\n";
    file += '\0';
    file += Entry("Uninstall completed", "after the NUL") + "\n";
    Write(file);
    LanguageResources table;
    table.Load(path_.c_str());
    EXPECT_EQ("Quillo help", Message(table, "Quillo help"));
    EXPECT_EQ("before", Message(table, "Uninstall Quillo"));
    EXPECT_EQ("Uninstall completed", Message(table, "Uninstall completed"));
}

TEST_F(LanguageFileTest, TheMarkerMustStartWithinTheSearchedBlocks)
{
    // offset: where the match begins; stars: further asterisks in front.
    struct Case { size_t offset; size_t stars; bool found; } cases[] = {
        {0, 0, true}, {1, 1, true}, {8176, 0, true}, {8177, 0, true},
        {130816, 0, true}, {130816, 3, true}, {130817, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        std::string file(c.offset - c.stars, 'x');
        file += std::string(c.stars, '*') + kMarkerLine + "\n" + Entry("Quillo help", "Hilfe") + "\n";
        file += std::string(200, 'y');
        Write(file);
        LanguageResources table;
        table.Load(path_.c_str());
        EXPECT_EQ(c.found, table.IsLoaded());
        EXPECT_EQ(c.found ? "Hilfe" : "Quillo help", Message(table, "Quillo help"));
    }
}

TEST_F(LanguageFileTest, AMarkerNeedsSixteenBytesFromItsStartToTheEnd)
{
    // 100 bytes, then the 14-character marker line: 114 bytes, no marker.
    Write(std::string(100, 'x') + kMarkerLine);
    LanguageResources tooShort;
    tooShort.Load(path_.c_str());
    EXPECT_FALSE(tooShort.IsLoaded());

    Write(std::string(100, 'x') + kMarkerLine + "\r\n");
    LanguageResources enough;
    enough.Load(path_.c_str());
    EXPECT_TRUE(enough.IsLoaded());
}

TEST_F(LanguageFileTest, OnlyTheFirst65536BytesOfTheSectionAreRead)
{
    std::string file = std::string(kMarkerLine) + "\n" + Entry("Quillo help", "early") + "\n";
    file += std::string(65536 - file.size() - 4, 'f') + "\n";
    file += Entry("Uninstall Quillo", "late") + "\n";
    Write(file);
    LanguageResources table;
    table.Load(path_.c_str());
    EXPECT_EQ("early", Message(table, "Quillo help"));
    EXPECT_EQ("Uninstall Quillo", Message(table, "Uninstall Quillo"));
    EXPECT_LE(table.textLength, 65536);
}

TEST_F(LanguageFileTest, TheDirectionEntry)
{
    struct Case { const char* value; int rightToLeft; } cases[] = {
        {"RTL", 1}, {"rtl", 0}, {"LTR", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        Write(std::string(kMarkerLine) + "\n50a17ae8=\"" + c.value + "\"\n");
        LanguageResources table;
        table.Load(path_.c_str());
        EXPECT_EQ(c.rightToLeft, table.rightToLeft);
    }
    EXPECT_EQ("50a17ae8", Key(kDialogText, "LTR", "LTR"));
}

TEST_F(LanguageFileTest, ALibraryWithAnRtlDialogIsRightToLeft)
{
    HMODULE library = LoadLibraryA(BuiltFile("tests\\rtl_lng.dll").c_str());
    ASSERT_TRUE(library != NULL);
    ResourceModule = library;
    LanguageResources table;
    table.Load(path_.c_str());   // no file
    EXPECT_FALSE(table.IsLoaded());
    EXPECT_EQ(1, table.rightToLeft);
    ResourceModule = GetModuleHandleA(NULL);
    FreeLibrary(library);
}
