// Registry helpers of the shell extension, file class and application path
// tests. They use the plain API only, so they do not rely on the code under
// test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A value as text: its data without the terminating NUL for REG_SZ,
// "<type N>" for another type, "<missing>" when it cannot be read.
std::string RegValueText(HKEY root, const std::string& path, const char* name);
bool RegKeyPresent(HKEY root, const std::string& path);
// Creates the key (and those on its way) and writes a REG_SZ value.
void RegWriteText(HKEY root, const std::string& path, const char* name, const std::string& text);
// Deletes the key with everything below it.
void RegDeleteTreeRaw(HKEY root, const std::string& path);

// The tree at path as sorted text, one key or value a line: "[sub\\key]"
// (relative to path, "[]" for the key itself), then "name=\"text\"" for each
// of its values ("@" for the default value, "<type N>" for data that is not
// REG_SZ). "" when the key does not exist.
std::string RegTreeText(HKEY root, const std::string& path);

// Saves the tree at path and puts it back exactly when it goes. When the
// key or a key on its way did not exist, the first missing one is deleted
// again, so keys created on the way do not stay either.
class SavedRegistryKey {
public:
    SavedRegistryKey(HKEY root, const std::string& path);
    ~SavedRegistryKey();
    SavedRegistryKey(const SavedRegistryKey&) = delete;
    SavedRegistryKey& operator=(const SavedRegistryKey&) = delete;

    struct Value {
        std::string name;
        DWORD type;
        std::string data;
    };
    struct Key {
        std::string path;   // relative to the saved path; "" for itself
        std::vector<Value> values;
    };

private:
    HKEY root_;
    std::string path_;
    std::string firstMissing_;   // "" when the key existed
    std::vector<Key> keys_;      // parents before their subkeys
};

// Gives a key a security descriptor that lets everyone read it and no one
// write it, as for a user who may not write there; everyone may write it
// again when the object goes, so that it can be deleted. Applied() is false
// when the system would not take the descriptor.
class WriteProtectedKey {
public:
    WriteProtectedKey(HKEY root, const std::string& path);
    ~WriteProtectedKey();
    WriteProtectedKey(const WriteProtectedKey&) = delete;
    WriteProtectedKey& operator=(const WriteProtectedKey&) = delete;

    bool Applied() const { return applied_; }

private:
    HKEY root_;
    std::string path_;
    bool applied_ = false;
};
