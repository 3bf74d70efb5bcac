#include "assoc_fixture.h"

#include <stdio.h>

#include <fstream>
#include <sstream>

#include "program_driver.h"

const AssociatedExtension kAssociatedExtensions[19] = {
    {0, ".qlo", "Quillo"},  {1, ".zip", "Quillo.ZIP"}, {2, ".cab", "Quillo"},
    {3, ".arj", "Quillo"},  {4, ".lzh", "Quillo"},     {4, ".lha", "Quillo"},
    {5, ".ace", "Quillo"},  {6, ".tar", "Quillo"},     {7, ".gz", "Quillo"},
    {7, ".tgz", "Quillo"},  {8, ".uue", "Quillo"},     {8, ".xxe", "Quillo"},
    {8, ".uu", "Quillo"},   {9, ".bz2", "Quillo"},     {9, ".tbz2", "Quillo"},
    {9, ".bz", "Quillo"},   {9, ".tbz", "Quillo"},     {10, ".jar", "Quillo"},
    {11, ".iso", "Quillo"},
};

namespace {

const char kProductKey[] = "Software\\Quillo";
const char kAppDefaults[] = "Software\\Wine\\AppDefaults";

} // namespace

std::string ReadText(HKEY root, const std::string& path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char data[2048];
    DWORD size = sizeof data;
    LONG result = RegQueryValueExA(key, name, NULL, NULL, (BYTE*)data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "<missing>";
    std::string text(data, size);
    if (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

std::string ReadRecord(const std::string& path, const char* name)
{
    return ReadText(HKEY_CURRENT_USER, std::string(kProductKey) + "\\" + path, name);
}

long ReadRecordDword(const std::string& path, const char* name)
{
    HKEY key;
    std::string full = std::string(kProductKey) + "\\" + path;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, full.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD value = 0, type = 0, size = sizeof value;
    LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE*)&value, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD ? (long)value : -1;
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void WriteText(HKEY root, const std::string& path, const char* name, const std::string& text)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text.c_str(),
                                            (DWORD)text.size() + 1));
    RegCloseKey(key);
}

void WriteDword(HKEY root, const std::string& path, const char* name, DWORD value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL));
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof value));
    RegCloseKey(key);
}

SetupOptions Options(std::initializer_list<int> slots)
{
    SetupOptions options = {};
    for (int slot : slots)
        options.slot[slot] = 1;
    return options;
}

SetupOptions AllTypes(bool shellIntegration)
{
    SetupOptions options = {};
    for (int slot = 0; slot < kArchiveTypeCount; slot++)
        options.slot[slot] = 1;
    options.slot[kSlotShellIntegration] = shellIntegration ? 1 : 0;
    return options;
}

std::string Volume(int number)
{
    char name[8];
    snprintf(name, sizeof name, ".q%02d", number);
    return name;
}

std::string RunAssocProbe(const std::string& folder, const std::string& exeName,
                          const SetupOptions& options, const std::string& version)
{
    std::string exe = folder + "\\" + exeName;
    if (!CopyFileA(BuiltFile("tests\\assocprobe.exe").c_str(), exe.c_str(), FALSE))
        return "";
    std::string versionKey = std::string(kAppDefaults) + "\\" + exeName;
    bool hadAppDefaults = KeyExists(HKEY_CURRENT_USER, kAppDefaults);
    if (!version.empty())
        WriteText(HKEY_CURRENT_USER, versionKey, "Version", version);
    std::string record;
    for (unsigned char flag : options.slot)
        record += flag ? '1' : '0';
    std::string out = folder + "\\probe-version.txt";
    RunningProgram probe;
    long code = -1;
    if (probe.Start(exe, record + " \"" + out + "\"", folder))
        code = probe.Wait(60000);
    if (!version.empty())
        RawDeleteTree(HKEY_CURRENT_USER, hadAppDefaults ? versionKey : kAppDefaults);
    std::ifstream in(out);
    std::string seen;
    std::getline(in, seen);
    in.close();
    DeleteFileA(out.c_str());
    return code == 0 ? seen : "";
}

void AssociationKeys::SetUp()
{
    std::vector<std::string> classKeys;
    for (const AssociatedExtension& e : kAssociatedExtensions)
        classKeys.push_back(e.extension);
    for (int i = 0; i < 100; i++)
        classKeys.push_back(Volume(i));
    for (const std::string& path : classKeys) {
        saved_.emplace_back(new SavedRegistryTree(HKEY_CLASSES_ROOT, path));
        RawDeleteTree(HKEY_CLASSES_ROOT, path);
    }
    saved_.emplace_back(new SavedRegistryTree(HKEY_CURRENT_USER, kProductKey));
    RawDeleteTree(HKEY_CURRENT_USER, kProductKey);
}

void AssociationKeys::TearDown()
{
    saved_.clear();
}
