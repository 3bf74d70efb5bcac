// Whole registry trees as data, for before-and-after comparisons: every key
// and every value (type and bytes) below a path, walked with the plain API.
#pragma once

#include <windows.h>

#include <map>
#include <string>

struct RegEntry {
    bool isKey = true;
    DWORD type = 0;
    std::string data;
};

// Keys by their path from the root ("" for the root itself, "a\\b"), values
// by the path and their name joined with kValueMark ("a\\b" + mark + "").
using RegSnapshot = std::map<std::string, RegEntry>;
extern const char kValueMark;

// The tree at path (a key path as the plain API takes it; "" for the whole
// root). Empty when the key does not exist.
RegSnapshot SnapshotRegistry(HKEY root, const std::string& path);

// The differences, one line each ("- " only in expected, "+ " only in
// actual, "~ " changed); "" when they are the same.
std::string RegistryDifferences(const RegSnapshot& expected, const RegSnapshot& actual);

// The snapshot as sorted text, one key or value a line.
std::string RegistryText(const RegSnapshot& snapshot);

// Edits of an expected snapshot.
void SnapshotSetValue(RegSnapshot& snapshot, const std::string& key, const std::string& name,
                      DWORD type, const std::string& data);
void SnapshotSetString(RegSnapshot& snapshot, const std::string& key, const std::string& name,
                       const std::string& text);
void SnapshotEraseValue(RegSnapshot& snapshot, const std::string& key, const std::string& name);
// Removes the key with everything below it.
void SnapshotEraseTree(RegSnapshot& snapshot, const std::string& key);
// Replaces the tree at key with the one that source holds there.
void SnapshotCopyTree(RegSnapshot& snapshot, const RegSnapshot& source, const std::string& key);

// Deletes a tree with the plain API, key by key; never a whole root (path "").
void RawDeleteTree(HKEY root, const std::string& path);

// Saves a tree when made and puts it back exactly when it goes (deleting
// whatever stands there then, or leaving nothing when there was nothing).
class SavedRegistryTree {
public:
    SavedRegistryTree(HKEY root, const std::string& path);
    ~SavedRegistryTree();
    SavedRegistryTree(const SavedRegistryTree&) = delete;
    SavedRegistryTree& operator=(const SavedRegistryTree&) = delete;

private:
    HKEY root_;
    std::string path_;
    RegSnapshot saved_;
};
