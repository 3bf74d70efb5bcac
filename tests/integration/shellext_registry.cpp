#include "shellext_registry.h"

#include <sddl.h>

#include <algorithm>

namespace {

const char kMissing[] = "<missing>";

std::vector<std::string> SubkeyNames(HKEY key)
{
    std::vector<std::string> names;
    char name[512];
    for (DWORD i = 0;; i++) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<SavedRegistryKey::Value> Values(HKEY key)
{
    std::vector<SavedRegistryKey::Value> values;
    for (DWORD i = 0;; i++) {
        char name[512];
        BYTE data[4096];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        values.push_back({std::string(name, nameSize), type,
                          std::string((const char*)data, dataSize)});
    }
    std::sort(values.begin(), values.end(),
              [](const SavedRegistryKey::Value& a, const SavedRegistryKey::Value& b) {
                  return a.name < b.name;
              });
    return values;
}

std::string SzText(DWORD type, const std::string& data)
{
    if (type != REG_SZ)
        return "<type " + std::to_string(type) + ">";
    std::string text = data;
    if (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

// Every key of the tree at path, parents before their subkeys.
void CollectTree(HKEY root, const std::string& path, const std::string& relative,
                 std::vector<SavedRegistryKey::Key>& keys)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    keys.push_back({relative, Values(key)});
    std::vector<std::string> names = SubkeyNames(key);
    RegCloseKey(key);
    for (const std::string& name : names)
        CollectTree(root, path + "\\" + name, relative.empty() ? name : relative + "\\" + name,
                    keys);
}

void DeleteChildren(HKEY key)
{
    for (const std::string& name : SubkeyNames(key)) {
        HKEY child;
        if (RegOpenKeyExA(key, name.c_str(), 0, KEY_ALL_ACCESS, &child) == ERROR_SUCCESS) {
            DeleteChildren(child);
            RegCloseKey(child);
        }
        RegDeleteKeyA(key, name.c_str());
    }
}

} // namespace

std::string RegValueText(HKEY root, const std::string& path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return kMissing;
    BYTE data[4096];
    DWORD size = sizeof data, type = 0;
    LONG result = RegQueryValueExA(key, name, NULL, &type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return kMissing;
    return SzText(type, std::string((const char*)data, size));
}

bool RegKeyPresent(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void RegWriteText(HKEY root, const std::string& path, const char* name, const std::string& text)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text.c_str(), (DWORD)text.size() + 1);
    RegCloseKey(key);
}

void RegDeleteTreeRaw(HKEY root, const std::string& path)
{
    if (path.empty())
        return;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        DeleteChildren(key);
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

std::string RegTreeText(HKEY root, const std::string& path)
{
    std::vector<SavedRegistryKey::Key> keys;
    CollectTree(root, path, "", keys);
    std::string text;
    for (const SavedRegistryKey::Key& key : keys) {
        text += "[" + key.path + "]\n";
        for (const SavedRegistryKey::Value& value : key.values)
            text += (value.name.empty() ? "@" : value.name) + "=\"" +
                    SzText(value.type, value.data) + "\"\n";
    }
    return text;
}

SavedRegistryKey::SavedRegistryKey(HKEY root, const std::string& path) : root_(root), path_(path)
{
    for (size_t end = 0; end != std::string::npos;) {
        end = path.find('\\', end + 1);
        std::string prefix = path.substr(0, end);
        if (!RegKeyPresent(root, prefix)) {
            firstMissing_ = prefix;
            return;
        }
    }
    CollectTree(root, path, "", keys_);
}

SavedRegistryKey::~SavedRegistryKey()
{
    if (!firstMissing_.empty()) {
        RegDeleteTreeRaw(root_, firstMissing_);
        return;
    }
    RegDeleteTreeRaw(root_, path_);
    for (const Key& saved : keys_) {
        std::string path = saved.path.empty() ? path_ : path_ + "\\" + saved.path;
        HKEY key;
        if (RegCreateKeyExA(root_, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) !=
            ERROR_SUCCESS)
            continue;
        for (const Value& value : saved.values)
            RegSetValueExA(key, value.name.c_str(), 0, value.type, (const BYTE*)value.data.data(),
                           (DWORD)value.data.size());
        RegCloseKey(key);
    }
}

WriteProtectedKey::WriteProtectedKey(HKEY root, const std::string& path) : root_(root), path_(path)
{
    // Everyone may read; nothing else is granted, and nothing is inherited.
    PSECURITY_DESCRIPTOR readOnly = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                              &readOnly, NULL))
        return;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        applied_ = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    LocalFree(readOnly);
}

WriteProtectedKey::~WriteProtectedKey()
{
    if (!applied_)
        return;
    PSECURITY_DESCRIPTOR open = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1,
                                                              &open, NULL))
        return;
    HKEY key;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, open);
        RegCloseKey(key);
    }
    LocalFree(open);
}
