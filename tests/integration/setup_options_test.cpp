// The saved setup choices and the archive type table, against Wine's real
// registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>
#include <string>
#include <vector>

#include "assoc_fixture.h"
#include "integration/setup_options.h"
#include "util/buffers.h"

namespace {

using SetupOptionsTest = AssociationKeys;

std::vector<std::string> Extensions(const char* list)
{
    std::vector<std::string> out;
    char ext[kExtensionSize];
    const char* cursor = list;
    while (NextExtension(&cursor, ext, ARRAY_SIZE(ext)))
        out.push_back(ext);
    return out;
}

// Slots 12 to 19 hold a mark that loading must leave.
SetupOptions Marked()
{
    SetupOptions options;
    memset(&options, 0x5A, sizeof options);
    return options;
}

std::string Slots(const SetupOptions& options)
{
    std::string s;
    for (unsigned char flag : options.slot)
        s += flag == 0x5A ? '-' : (char)('0' + flag);
    return s;
}

} // namespace

TEST(ArchiveTypes, ListTheTypesAndTheirExtensionsInSlotOrder)
{
    const char* names[] = {"QLO", "ZIP", "CAB", "ARJ", "LZH", "ACE",
                           "TAR", "GZip", "UUE", "BZ2", "JAR", "ISO"};
    std::vector<std::pair<int, std::string>> walked, expected;
    for (int slot = 0; slot < kArchiveTypeCount; slot++) {
        EXPECT_STREQ(names[slot], kArchiveTypes[slot].name);
        for (const std::string& ext : Extensions(kArchiveTypes[slot].extensions))
            walked.push_back({slot, ext});
    }
    for (const AssociatedExtension& e : kAssociatedExtensions)
        expected.push_back({e.slot, e.extension});
    EXPECT_EQ(expected, walked);
}

TEST(ArchiveTypes, ExtensionListsAreCutBeforeEveryDotButTheFirst)
{
    struct Case { const char* list; std::vector<std::string> expected; } cases[] = {
        {"", {}},
        {".qlo", {".qlo"}},
        {".bz2.tbz2.bz.tbz", {".bz2", ".tbz2", ".bz", ".tbz"}},
        {"x.a", {"x", ".a"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Extensions(c.list)) << c.list;

    // An extension that does not fit ends the walk with an empty buffer.
    char small[4] = "abc";
    const char* cursor = ".a.long.b";
    EXPECT_TRUE(NextExtension(&cursor, small, ARRAY_SIZE(small)));
    EXPECT_STREQ(".a", small);
    EXPECT_FALSE(NextExtension(&cursor, small, ARRAY_SIZE(small)));
    EXPECT_STREQ("", small);
    EXPECT_FALSE(NextExtension(&cursor, small, ARRAY_SIZE(small)));
}

TEST_F(SetupOptionsTest, IsAssociatedWithQuilloOnlyForItsTwoClassesInAnyCase)
{
    struct Case { const char* className; bool expected; } cases[] = {
        {nullptr, false},   // no key
        {"", false},
        {"Quillo", true},
        {"QUILLO", true},
        {"quillo.zip", true},
        {"Quillo.ZIP", true},
        {"Quillo.REV", false},
        {"Quillo ", false},
        {"OtherArc.Iso", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className ? c.className : "(no key)");
        RawDeleteTree(HKEY_CLASSES_ROOT, ".iso");
        if (c.className)
            WriteText(HKEY_CLASSES_ROOT, ".iso", "", c.className);
        EXPECT_EQ(c.expected, IsAssociatedWithQuillo(".iso"));
    }
    // A class of 80 characters does not fit the 80-byte buffer with its
    // terminator: it reads as no class, whatever it starts with.
    WriteText(HKEY_CLASSES_ROOT, ".iso", "", "Quillo" + std::string(74, 'x'));
    EXPECT_FALSE(IsAssociatedWithQuillo(".iso"));
    // Only the extension's own default value counts.
    RawDeleteTree(HKEY_CLASSES_ROOT, ".iso");
    WriteText(HKEY_CLASSES_ROOT, ".iso", "Content Type", "Quillo");
    EXPECT_FALSE(IsAssociatedWithQuillo(".iso"));
}

TEST_F(SetupOptionsTest, FirstSetupTakesTheDefaultsAndLeavesSlots12To19)
{
    SetupOptions options = Marked();
    LoadSetupOptions(&options);
    EXPECT_EQ("111111111111--------001101", Slots(options));
}

TEST_F(SetupOptionsTest, SavedChoicesComeBackAndAnyNonZeroNumberIsChecked)
{
    SetupOptions saved = {};
    const int checked[] = {1, 3, 5, 7, 9, 20, 22, 24};
    for (int slot : checked)
        saved.slot[slot] = 1;
    SaveSetupOptions(&saved);
    SetupOptions options = Marked();
    LoadSetupOptions(&options);
    // ISO is never saved: it comes back checked.
    EXPECT_EQ("010101010101--------101010", Slots(options));

    saved = AllTypes(true);
    saved.slot[kSlotMenuIcons] = 1;
    SaveSetupOptions(&saved);
    for (const char* key : {"Setup\\.qlo", "Setup\\.bz2"})
        WriteDword(HKEY_CURRENT_USER, std::string("Software\\Quillo\\") + key, "Set", 2);
    WriteDword(HKEY_CURRENT_USER, "Software\\Quillo\\Setup\\Links", "Desktop", 0x100);
    WriteDword(HKEY_CURRENT_USER, "Software\\Quillo\\Setup", "ShellExt", 0);
    options = Marked();
    LoadSetupOptions(&options);
    EXPECT_EQ("111111111111--------100001", Slots(options));
}

TEST_F(SetupOptionsTest, SaveWritesSeventeenValuesAndNothingForIso)
{
    SetupOptions options = AllTypes(false);
    for (int slot = 12; slot < 20; slot++)
        options.slot[slot] = 1;
    options.slot[kSlotProgramGroup] = 0;
    options.slot[kSlotMenuIcons] = 1;
    SaveSetupOptions(&options);

    RegSnapshot expected;
    for (const char* ext : {".qlo", ".zip", ".cab", ".arj", ".lzh", ".ace", ".tar", ".gz", ".uue",
                            ".bz2", ".jar"})
        SnapshotSetValue(expected, std::string("Software\\Quillo\\Setup\\") + ext, "Set",
                         REG_DWORD, std::string("\1\0\0\0", 4));
    const struct { const char* key; const char* name; char value; } others[] = {
        {"Setup\\Links", "Desktop", 0},      {"Setup\\Links", "StartMenu", 0},
        {"Setup\\Links", "Programs", 0},     {"Setup", "ShellExt", 0},
        {"Setup", "CascadedMenu", 0},        {"Setup", "MenuIcons", 1},
    };
    for (const auto& o : others)
        SnapshotSetValue(expected, std::string("Software\\Quillo\\") + o.key, o.name, REG_DWORD,
                         std::string(1, o.value) + std::string(3, '\0'));
    expected.erase("Software");
    EXPECT_EQ("", RegistryDifferences(expected,
                                      SnapshotRegistry(HKEY_CURRENT_USER, "Software\\Quillo")));
}

TEST_F(SetupOptionsTest, IsoIsOfferedWhileNoOtherProgramOwnsIso)
{
    // savedSet -1: no "Set" value, which is what this program leaves, as it
    // never saves the ISO choice.
    struct Case { const char* isoClass; long savedSet; char expected; } cases[] = {
        {nullptr, -1, '1'},           // no key: ISO comes back checked
        {"", -1, '1'},                // no class either
        {"OtherArc.Iso", -1, '0'},    // another program's
        {"OtherArc.Iso", 1, '0'},
        {"Quillo.REV", -1, '0'},
        {"QUILLO", 0, '0'},           // Quillo's: a saved choice stands
        {"quillo.zip", -1, '1'},
        // Too long for the buffer: counts as no owner.
        {"OtherArc.Iso.Long.Class.Name.That.Goes.On.And.On.Past.Eighty.Characters.For.Sure", -1,
         '1'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.isoClass ? c.isoClass : "(no key)");
        RawDeleteTree(HKEY_CLASSES_ROOT, ".iso");
        if (c.isoClass)
            WriteText(HKEY_CLASSES_ROOT, ".iso", "", c.isoClass);
        RawDeleteTree(HKEY_CURRENT_USER, "Software\\Quillo\\Setup\\.iso");
        if (c.savedSet >= 0)
            WriteDword(HKEY_CURRENT_USER, "Software\\Quillo\\Setup\\.iso", "Set", c.savedSet);
        SetupOptions options = Marked();
        LoadSetupOptions(&options);
        EXPECT_EQ(c.expected, Slots(options)[kSlotIso]);
    }
}
