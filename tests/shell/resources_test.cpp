// The resources of the program as it ships and of its language library,
// read from the built files as the shell and the program would read them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "program_driver.h"
#include "resource.h"

namespace {

// A module loaded as data only: its resources, none of its code.
class DataModule {
public:
    explicit DataModule(const std::string& path)
        : module_(LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule() { if (module_) FreeLibrary(module_); }
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param)
{
    std::vector<std::string>* names = (std::vector<std::string>*)param;
    names->push_back(IS_INTRESOURCE(name) ? "#" + std::to_string((ULONG_PTR)name) : name);
    return TRUE;
}

std::vector<std::string> ResourceNames(HMODULE module, LPCSTR type)
{
    std::vector<std::string> names;
    EnumResourceNamesA(module, type, CollectName, (LONG_PTR)&names);
    return names;
}

// Ids from 5088 to 5119 (the two string blocks around the program's
// strings) that the module has.
std::vector<int> StringIds(HMODULE module)
{
    std::vector<int> ids;
    for (int id = 5088; id < 5120; id++) {
        char buf[256];
        if (LoadStringA(module, id, buf, sizeof buf) > 0)
            ids.push_back(id);
    }
    return ids;
}

const std::vector<int> kMessageIds = {5101, 5102, 5103, 5104, 5105, 5106,
                                      5107, 5108, 5109, 5110, 5111, 5112};

} // namespace

TEST(ProgramResources, IconsStringsAndManifest)
{
    DataModule program(BuiltFile("bin\\uninstall.exe"));
    ASSERT_TRUE(program.get() != NULL);

    // The shell shows the first icon group as the file's icon.
    std::vector<std::string> icons = {"DELICON", "QLOICON"};
    EXPECT_EQ(icons, ResourceNames(program.get(), RT_GROUP_ICON));
    for (int size : {16, 32, 48}) {
        HICON icon = (HICON)LoadImageA(program.get(), "QLOICON", IMAGE_ICON, size, size, 0);
        EXPECT_TRUE(icon != NULL) << size;
        ICONINFO info = {};
        if (icon && GetIconInfo(icon, &info)) {
            BITMAP bm = {};
            GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
            EXPECT_EQ(size, bm.bmWidth);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        if (icon)
            DestroyIcon(icon);
    }

    EXPECT_EQ(kMessageIds, StringIds(program.get()));

    HRSRC manifest = FindResourceA(program.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(manifest != NULL);
    std::string text((const char*)LockResource(LoadResource(program.get(), manifest)),
                     SizeofResource(program.get(), manifest));
    EXPECT_NE(std::string::npos, text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
}

TEST(ProgramResources, TheLanguageLibraryTranslatesEveryMessage)
{
    DataModule program(BuiltFile("bin\\uninstall.exe"));
    DataModule library(BuiltFile("bin\\qlolng.dll"));
    ASSERT_TRUE(library.get() != NULL);
    EXPECT_EQ(kMessageIds, StringIds(library.get()));
    for (int id : kMessageIds) {
        char own[256], translated[256];
        LoadStringA(program.get(), id, own, sizeof own);
        LoadStringA(library.get(), id, translated, sizeof translated);
        EXPECT_STRNE(own, translated) << id;
        // A "%s" in the program's text stays in the translation.
        EXPECT_EQ(strstr(own, "%s") != NULL, strstr(translated, "%s") != NULL) << id;
    }
    std::vector<std::string> icons = {"QLOICON"};
    EXPECT_EQ(icons, ResourceNames(library.get(), RT_GROUP_ICON));
}
