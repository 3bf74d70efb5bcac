// The shell extension's registration against Wine's real registry. A probe
// applies it from a program folder of the test's making, with or without
// the library "qloext.dll" beside it, and then asks COM for the class the
// way the shell would.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "program_driver.h"
#include "shellext_registry.h"

namespace {

const char kClassId[] = "{6D92E0A7-35C1-4B8F-9A2D-70E5C3B1F846}";
const std::string kClassKey = std::string("CLSID\\") + kClassId;
const char kApprovalKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// What CoCreateInstance answers: the class is registered and its library
// was loaded and asked, but serves no class; or the class is not registered.
const char kLibraryAsked[] = "create=0x80040111";     // CLASS_E_CLASSNOTAVAILABLE
const char kNotRegistered[] = "create=0x80040154";    // REGDB_E_CLASSNOTREG

struct Handler {
    std::string key;
    std::string value;
    bool shared;   // a key named "Quillo" under a class the shell shares
};

const std::string kId = kClassId;
const std::vector<Handler> kHandlers = {
    {"Quillo\\shellex\\ContextMenuHandlers\\" + kId, "", false},
    {"Quillo\\shellex\\PropertySheetHandlers\\" + kId, "", false},
    {"Quillo.ZIP\\shellex\\ContextMenuHandlers\\" + kId, "", false},
    {"Quillo.ZIP\\shellex\\PropertySheetHandlers\\" + kId, "", false},
    {"exefile\\shellex\\PropertySheetHandlers\\" + kId, "", false},
    {"Quillo\\shellex\\DropHandler", kId, false},
    {"Quillo.ZIP\\shellex\\DropHandler", kId, false},
    {"*\\shellex\\ContextMenuHandlers\\Quillo", kId, true},
    {"Folder\\shellex\\ContextMenuHandlers\\Quillo", kId, true},
    {"Folder\\shellex\\DragDropHandlers\\Quillo", kId, true},
    {"Drive\\shellex\\DragDropHandlers\\Quillo", kId, true},
    {"Directory\\shellex\\ContextMenuHandlers\\Quillo", kId, true},
    {"Directory\\shellex\\DragDropHandlers\\Quillo", kId, true},
};

// Another program's handler and approval, which our removal must leave.
const char kOtherHandlerKey[] = "*\\shellex\\ContextMenuHandlers\\OtherArc";
const char kOtherClassId[] = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

// The record that only turns shell integration on, and the one that sets
// every slot but shell integration: the operation must read slot 23 alone.
std::string Record(bool shellIntegration)
{
    std::string record(26, shellIntegration ? '0' : '1');
    record[23] = shellIntegration ? '1' : '0';
    return record;
}

class ShellExtension : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every tree the registration touches, kept and then cleared, so
        // each case starts as on a system where Quillo was never set up.
        std::vector<std::pair<HKEY, std::string>> trees = {
            {HKEY_CLASSES_ROOT, kClassKey},
            {HKEY_CLASSES_ROOT, "Quillo"},
            {HKEY_CLASSES_ROOT, "Quillo.ZIP"},
            {HKEY_CLASSES_ROOT, kOtherHandlerKey},
            {HKEY_LOCAL_MACHINE, kApprovalKey},
        };
        for (const Handler& h : kHandlers)
            if (h.key.compare(0, 7, "Quillo\\") != 0 && h.key.compare(0, 11, "Quillo.ZIP\\") != 0)
                trees.push_back({HKEY_CLASSES_ROOT, h.key});
        for (const auto& tree : trees) {
            saved_.push_back(std::make_unique<SavedRegistryKey>(tree.first, tree.second));
            if (tree.first == HKEY_CLASSES_ROOT)
                RegDeleteTreeRaw(tree.first, tree.second);
            trees_.push_back(tree);
        }
        HKEY approval;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kApprovalKey, 0, KEY_SET_VALUE, &approval) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(approval, kClassId);
            RegCloseKey(approval);
        }
        folder_ = std::make_unique<ProgramFolder>("Quillo-shellext");
        probe_ = folder_->Add(BuiltFile("tests\\shellextprobe.exe"), "uninstall.exe");
        ASSERT_FALSE(probe_.empty());
    }

    void TearDown() override
    {
        folder_.reset();
        saved_.clear();
    }

    void AddLibrary()
    {
        ASSERT_FALSE(folder_->Add(BuiltFile("bin\\qloext.dll"), "qloext.dll").empty());
    }

    // Runs the probe with record; with ask set, returns what COM then made
    // of the class, else "ok". "probe failed" when it did not end well.
    std::string Apply(const std::string& record, bool ask = false)
    {
        std::string out = folder_->Path() + "\\create.txt";
        std::string args = record + (ask ? " \"" + out + "\"" : "");
        RunningProgram run;
        if (!run.Start(probe_, args, folder_->Path()) || run.Wait(30000) != 0)
            return "probe failed";
        if (!ask)
            return "ok";
        char line[64] = "";
        FILE* f = fopen(out.c_str(), "r");
        if (f) {
            if (!fgets(line, sizeof line, f))
                line[0] = 0;
            fclose(f);
        }
        line[strcspn(line, "\n")] = 0;
        return line;
    }

    // Everything the registration touches, as text.
    std::string State() const
    {
        std::string text;
        for (const auto& tree : trees_)
            text += tree.second + ":\n" + RegTreeText(tree.first, tree.second);
        return text;
    }

    std::string LibraryPath() const { return folder_->Path() + "\\qloext.dll"; }

private:
    std::vector<std::unique_ptr<SavedRegistryKey>> saved_;
    std::vector<std::pair<HKEY, std::string>> trees_;
    std::unique_ptr<ProgramFolder> folder_;
    std::string probe_;
};

} // namespace

TEST_F(ShellExtension, RegistersTheClassTheHandlersAndTheApprovalWithTheLibraryBeside)
{
    AddLibrary();
    EXPECT_EQ(kLibraryAsked, Apply(Record(true), true));

    EXPECT_EQ("[]\n@=\"Quillo\"\n[InProcServer32]\n@=\"" + LibraryPath() +
                  "\"\nThreadingModel=\"Apartment\"\n",
              RegTreeText(HKEY_CLASSES_ROOT, kClassKey));
    for (const Handler& h : kHandlers) {
        SCOPED_TRACE(h.key);
        EXPECT_EQ("[]\n@=\"" + h.value + "\"\n", RegTreeText(HKEY_CLASSES_ROOT, h.key));
    }
    EXPECT_EQ("Quillo shell extension", RegValueText(HKEY_LOCAL_MACHINE, kApprovalKey, kClassId));
}

TEST_F(ShellExtension, WithoutTheLibraryLeavesTheClassAloneAndStillRegistersTheHandlers)
{
    EXPECT_EQ(kNotRegistered, Apply(Record(true), true));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, kClassKey));

    // A class key that is there already, from an earlier installation, is
    // neither changed nor taken.
    RegWriteText(HKEY_CLASSES_ROOT, kClassKey, "", "Earlier");
    RegWriteText(HKEY_CLASSES_ROOT, kClassKey + "\\InProcServer32", "", "D:\\Earlier\\qloext.dll");
    std::string earlier = RegTreeText(HKEY_CLASSES_ROOT, kClassKey);
    EXPECT_EQ("ok", Apply(Record(true)));
    EXPECT_EQ(earlier, RegTreeText(HKEY_CLASSES_ROOT, kClassKey));

    for (const Handler& h : kHandlers) {
        SCOPED_TRACE(h.key);
        EXPECT_EQ("[]\n@=\"" + h.value + "\"\n", RegTreeText(HKEY_CLASSES_ROOT, h.key));
    }
    EXPECT_EQ("Quillo shell extension", RegValueText(HKEY_LOCAL_MACHINE, kApprovalKey, kClassId));
}

TEST_F(ShellExtension, RemovalTakesOurEntriesAndLeavesTheSharedKeysEmpty)
{
    AddLibrary();
    RegWriteText(HKEY_CLASSES_ROOT, kOtherHandlerKey, "", kOtherClassId);
    RegWriteText(HKEY_LOCAL_MACHINE, kApprovalKey, kOtherClassId, "Other shell extension");
    ASSERT_EQ(kLibraryAsked, Apply(Record(true), true));

    EXPECT_EQ(kNotRegistered, Apply(Record(false), true));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, kClassKey));
    for (const Handler& h : kHandlers) {
        SCOPED_TRACE(h.key);
        if (h.shared)
            EXPECT_EQ("[]\n", RegTreeText(HKEY_CLASSES_ROOT, h.key));
        else
            EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, h.key));
    }
    EXPECT_TRUE(RegKeyPresent(HKEY_LOCAL_MACHINE, kApprovalKey));
    EXPECT_EQ("<missing>", RegValueText(HKEY_LOCAL_MACHINE, kApprovalKey, kClassId));

    EXPECT_EQ(kOtherClassId, RegValueText(HKEY_CLASSES_ROOT, kOtherHandlerKey, ""));
    EXPECT_EQ("Other shell extension",
              RegValueText(HKEY_LOCAL_MACHINE, kApprovalKey, kOtherClassId));
}

TEST_F(ShellExtension, RemovalCreatesNothingAndASecondRemovalChangesNothing)
{
    // Taking back what was never registered makes no keys, the shared
    // "Quillo" keys included.
    std::string untouched = State();
    EXPECT_EQ("ok", Apply(Record(false)));
    EXPECT_EQ(untouched, State());
    for (const Handler& h : kHandlers)
        EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, h.key)) << h.key;

    AddLibrary();
    EXPECT_EQ("ok", Apply(Record(true)));
    EXPECT_EQ("ok", Apply(Record(false)));
    std::string removed = State();
    EXPECT_EQ("ok", Apply(Record(false)));
    EXPECT_EQ(removed, State());
}

namespace {

// The names a 32-bit PE file exports, from its export directory; empty
// when the file cannot be read as one.
std::vector<std::string> ExportedNames32(const std::string& path)
{
    std::vector<unsigned char> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return {};
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes.push_back((unsigned char)c);
    fclose(f);
    auto u16 = [&](size_t at) -> unsigned {
        return at + 2 <= bytes.size() ? bytes[at] | bytes[at + 1] << 8 : 0;
    };
    auto u32 = [&](size_t at) -> unsigned { return u16(at) | u16(at + 2) << 16; };
    unsigned nt = u32(0x3C);
    unsigned opt = nt + 24;
    if (u32(nt) != 0x4550 || u16(nt + 4) != 0x14C || u16(opt) != 0x10B)   // PE, i386, PE32
        return {};
    unsigned sectionTable = opt + u16(nt + 20);
    auto offset = [&](unsigned rva) -> size_t {
        for (unsigned i = 0; i < u16(nt + 6); i++) {
            unsigned s = sectionTable + i * 40;
            unsigned start = u32(s + 12), size = std::max(u32(s + 8), u32(s + 16));
            if (rva >= start && rva < start + size)
                return rva - start + u32(s + 20);
        }
        return bytes.size();
    };
    std::vector<std::string> names;
    size_t dir = offset(u32(opt + 96));   // the first data directory: exports
    for (unsigned i = 0; dir < bytes.size() && i < u32(dir + 24); i++) {
        size_t at = offset(u32(offset(u32(dir + 32)) + 4 * i));
        std::string name;
        while (at < bytes.size() && bytes[at])
            name += (char)bytes[at++];
        names.push_back(name);
    }
    return names;
}

} // namespace

TEST(ShellExtLibrary, ExportsTheServerEntryPointsByTheirPlainNames)
{
    // The 32-bit library as it ships: its stdcall names would carry "@n"
    // without the module definition, and the system would not find them.
    std::vector<std::string> expected = {"DllCanUnloadNow", "DllGetClassObject",
                                         "DllRegisterServer", "DllUnregisterServer"};
    EXPECT_EQ(expected, ExportedNames32(std::string(QLO_SHIPPED_BIN_DIR) + "\\qloext.dll"));
}

TEST(ShellExtLibrary, ServesNoClassYet)
{
    HMODULE library = LoadLibraryA(BuiltFile("bin\\qloext.dll").c_str());
    ASSERT_TRUE(library != NULL);
    typedef HRESULT(WINAPI * GetClassObject)(REFCLSID, REFIID, void**);
    typedef HRESULT(WINAPI * NoArguments)();
    // Through void*: a function pointer of another type is what is meant.
    GetClassObject getClassObject =
        (GetClassObject)(void*)GetProcAddress(library, "DllGetClassObject");
    ASSERT_TRUE(getClassObject != NULL);
    const CLSID classId = {0x6D92E0A7, 0x35C1, 0x4B8F,
                           {0x9A, 0x2D, 0x70, 0xE5, 0xC3, 0xB1, 0xF8, 0x46}};
    void* factory = (void*)&factory;   // must be cleared
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(classId, IID_IClassFactory, &factory));
    EXPECT_TRUE(factory == NULL);
    for (const char* name : {"DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
        NoArguments entry = (NoArguments)(void*)GetProcAddress(library, name);
        ASSERT_TRUE(entry != NULL) << name;
        EXPECT_EQ(S_OK, entry()) << name;
    }
    FreeLibrary(library);
}
