// Links and program groups made and removed for real through the shell,
// read back through the shell-link object.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "integration/shortcuts.h"
#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "program_driver.h"
#include "../lang/table_fixture.h"
#include "util/text.h"

namespace {

std::string SpecialFolder(int id)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, path, id, FALSE);
    return path;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct LinkSeen {
    bool loaded = false;
    std::string path, description, arguments, directory, icon;
};

LinkSeen ReadLink(const std::string& file)
{
    LinkSeen seen;
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link)))
        return seen;
    IPersistFile* pf = NULL;
    link->QueryInterface(IID_IPersistFile, (void**)&pf);
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    if (pf && SUCCEEDED(pf->Load(wide, STGM_READ))) {
        char buf[MAX_PATH];
        int icon = 0;
        seen.loaded = true;
        buf[0] = 0; link->GetPath(buf, MAX_PATH, NULL, SLGP_RAWPATH); seen.path = buf;
        buf[0] = 0; link->GetDescription(buf, MAX_PATH); seen.description = buf;
        buf[0] = 0; link->GetArguments(buf, MAX_PATH); seen.arguments = buf;
        buf[0] = 0; link->GetWorkingDirectory(buf, MAX_PATH); seen.directory = buf;
        buf[0] = 0; link->GetIconLocation(buf, MAX_PATH, &icon); seen.icon = buf;
    }
    if (pf)
        pf->Release();
    link->Release();
    return seen;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(fd.cFileName, ".") && strcmp(fd.cFileName, ".."))
            names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

SetupOptions Options(int desktop, int startMenu, int group)
{
    SetupOptions o = {};
    o.slot[kSlotDesktopLink] = (unsigned char)desktop;
    o.slot[kSlotStartMenuLink] = (unsigned char)startMenu;
    o.slot[kSlotProgramGroup] = (unsigned char)group;
    return o;
}

void Apply(int desktop, int startMenu, int group, char* groupPathOut)
{
    SetupOptions options = Options(desktop, startMenu, group);
    ApplyShortcuts(&options, groupPathOut);
}

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        ProgramModule = ResourceModule = GetModuleHandleA(NULL);
        programFolder_ = TestProgramFolder();   // ends with a backslash
        desktop_ = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Quillo.lnk";
        startMenu_ = SpecialFolder(CSIDL_STARTMENU) + "\\Quillo.lnk";
        group_ = SpecialFolder(CSIDL_PROGRAMS) + "\\Quillo";
        commonGroup_ = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Quillo";
    }
    void TearDown() override
    {
        SetupOptions none = {};
        ApplyShortcuts(&none, NULL);
        free(LanguageTable.text);
        LanguageTable.text = nullptr;
        LanguageTable.index.count = 0;
        CoUninitialize();
    }

    std::string programFolder_, desktop_, startMenu_, group_, commonGroup_;
};

} // namespace

TEST_F(ShortcutsTest, MakesEveryLinkAndGroupWithOnlyPathAndDescription)
{
    char groupPath[kShortcutPathSize] = "untouched";
    Apply(1, 1, 1, groupPath);
    EXPECT_EQ(group_, groupPath);

    std::vector<std::string> expectedGroup = {"Console QLO manual.lnk", "Quillo help.lnk",
                                              "Quillo.lnk"};
    EXPECT_EQ(expectedGroup, FilesIn(group_));
    bool nt = WinNTVersion() != 0;
    EXPECT_EQ(nt ? expectedGroup : std::vector<std::string>(), FilesIn(commonGroup_));

    struct Case { std::string link; const char* target; } cases[] = {
        {desktop_, "Quillo.exe"},
        {startMenu_, "Quillo.exe"},
        {group_ + "\\Quillo.lnk", "Quillo.exe"},
        {group_ + "\\Quillo help.lnk", "Quillo.hlp"},
        {group_ + "\\Console QLO manual.lnk", "Qlo.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        LinkSeen seen = ReadLink(c.link);
        ASSERT_TRUE(seen.loaded);
        EXPECT_EQ(0, lstrcmpiA((programFolder_ + c.target).c_str(), seen.path.c_str()))
            << seen.path;
        EXPECT_EQ("Quillo", seen.description);
        EXPECT_EQ("", seen.arguments);
        EXPECT_EQ("", seen.directory);
        EXPECT_EQ("", seen.icon);
    }
}

TEST_F(ShortcutsTest, AllZeroRemovesEverythingAndWritesNoPath)
{
    Apply(1, 1, 1, NULL);
    // A file of the user's own in the group goes with it.
    HANDLE h = CreateFileA((group_ + "\\notes.txt").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_READONLY, NULL);
    CloseHandle(h);

    char groupPath[kShortcutPathSize] = "untouched";
    Apply(0, 0, 0, groupPath);
    EXPECT_STREQ("untouched", groupPath);
    EXPECT_FALSE(Exists(desktop_));
    EXPECT_FALSE(Exists(startMenu_));
    EXPECT_FALSE(Exists(group_));
    EXPECT_FALSE(Exists(commonGroup_));
    EXPECT_TRUE(Exists(SpecialFolder(CSIDL_PROGRAMS)));
}

TEST_F(ShortcutsTest, EachPlaceFollowsItsOwnSlot)
{
    Apply(1, 0, 0, NULL);
    EXPECT_TRUE(Exists(desktop_));
    EXPECT_FALSE(Exists(startMenu_));
    EXPECT_FALSE(Exists(group_));
    Apply(0, 1, 0, NULL);
    EXPECT_FALSE(Exists(desktop_));
    EXPECT_TRUE(Exists(startMenu_));
    // Made again over an existing group: reused, links overwritten.
    Apply(0, 1, 1, NULL);
    Apply(0, 1, 1, NULL);
    EXPECT_EQ(3u, FilesIn(group_).size());
}

TEST_F(ShortcutsTest, TranslatedTitlesNameTheHelpAndManualLinks)
{
    FillTable(LanguageTable, {"***messages***",
                              Key(kMessageText, nullptr, "Quillo help") + "=\"Hilfe\"",
                              Key(kMessageText, nullptr, "Console QLO manual") + "=\"Handbuch\""});
    Apply(0, 0, 1, NULL);
    std::vector<std::string> expected = {"Handbuch.lnk", "Hilfe.lnk", "Quillo.lnk"};
    EXPECT_EQ(expected, FilesIn(group_));
}

TEST_F(ShortcutsTest, ALinkNameTooLongForTheShellMakesNoLink)
{
    std::string folder = "C:\\" + std::string(200, 'f');
    CreateDirectoryA(folder.c_str(), NULL);
    std::string link = folder + "\\" + std::string(80, 'n') + ".lnk";   // over 260 characters
    EXPECT_FALSE(CreateShellLink("C:\\x.exe", link.c_str(), "Quillo"));
    EXPECT_TRUE(FilesIn(folder).empty());
    RemoveDirectoryA(folder.c_str());

    char missing[kShortcutPathSize] = "C:\\no such folder here";
    EXPECT_FALSE(RemoveFolderTree(missing));
}
