#include "registry_snapshot.h"

#include <stdio.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

const char kValueMark = '\x1F';

extern int kWalkThreads;
int kWalkThreads = 4;

namespace {

std::string Join(const std::string& path, const std::string& name)
{
    return path.empty() ? name : path + "\\" + name;
}

// Reads the values of an open key into out, and the names of its subkeys.
// The counts come first, so no call is spent on running past the end: under
// an emulated processor every call to the registry costs milliseconds.
void ReadKey(HKEY key, const std::string& path, RegSnapshot& out, std::vector<std::string>& names)
{
    out[path] = RegEntry();
    DWORD subkeys = 0, maxSubkeyLen = 0, values = 0, maxNameLen = 0, maxDataLen = 0;
    if (RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, &maxSubkeyLen, NULL, &values,
                         &maxNameLen, &maxDataLen, NULL, NULL) != ERROR_SUCCESS)
        return;
    std::vector<char> name(maxNameLen + 2);
    std::vector<BYTE> data(maxDataLen + 2);
    for (DWORD i = 0; i < values; i++) {
        DWORD nameLen = (DWORD)name.size();
        DWORD dataLen = (DWORD)data.size();
        DWORD type = 0;
        if (RegEnumValueA(key, i, name.data(), &nameLen, NULL, &type, data.data(), &dataLen) !=
            ERROR_SUCCESS)
            break;
        RegEntry& entry = out[path + kValueMark + std::string(name.data(), nameLen)];
        entry.isKey = false;
        entry.type = type;
        entry.data.assign((const char*)data.data(), dataLen);
    }
    std::vector<char> subkey(maxSubkeyLen + 2 > 260 ? maxSubkeyLen + 2 : 260);
    for (DWORD i = 0; i < subkeys; i++) {
        DWORD len = (DWORD)subkey.size();
        if (RegEnumKeyExA(key, i, subkey.data(), &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(std::string(subkey.data(), len));
    }
}

void Walk(HKEY key, const std::string& path, RegSnapshot& out)
{
    std::vector<std::string> names;
    ReadKey(key, path, out, names);
    for (const std::string& n : names) {
        HKEY child;
        if (RegOpenKeyExA(key, n.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) {
            out[Join(path, n)] = RegEntry();
            continue;
        }
        Walk(child, Join(path, n), out);
        RegCloseKey(child);
    }
}

// A whole root holds tens of thousands of keys: several threads walk it,
// each taking the next subtree from a shared list. The keys of the first
// levels are split into their subkeys, so that one big key (CLSID) does not
// keep a single thread busy alone.
class ParallelWalk {
public:
    ParallelWalk(HKEY root, const std::string& path) : root_(root) { pending_.push_back({path, 0}); }

    RegSnapshot Run(int threadCount)
    {
        std::vector<RegSnapshot> parts(threadCount);
        std::vector<std::thread> threads;
        for (int i = 0; i < threadCount; i++)
            threads.emplace_back([this, &parts, i] { Work(parts[i]); });
        for (std::thread& t : threads)
            t.join();
        RegSnapshot out;
        for (RegSnapshot& part : parts)
            out.merge(part);
        return out;
    }

private:
    struct Item {
        std::string path;
        int depth;
    };
    static const int kSplitDepth = 2;

    void Work(RegSnapshot& out)
    {
        for (;;) {
            Item item;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return !pending_.empty() || busy_ == 0; });
                if (pending_.empty())
                    return;
                item = pending_.back();
                pending_.pop_back();
                busy_++;
            }
            HKEY key;
            std::vector<std::string> names;
            if (RegOpenKeyExA(root_, item.path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
                if (item.depth < kSplitDepth) {
                    ReadKey(key, item.path, out, names);
                } else {
                    Walk(key, item.path, out);
                }
                RegCloseKey(key);
            } else {
                out[item.path] = RegEntry();
            }
            std::lock_guard<std::mutex> lock(mutex_);
            for (const std::string& n : names)
                pending_.push_back({Join(item.path, n), item.depth + 1});
            busy_--;
            changed_.notify_all();
        }
    }

    HKEY root_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Item> pending_;
    int busy_ = 0;
};

void DeleteChildren(HKEY key)
{
    std::vector<std::string> names;
    char name[512];
    for (DWORD i = 0;; i++) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    for (const std::string& n : names) {
        HKEY child;
        if (RegOpenKeyExA(key, n.c_str(), 0, KEY_ALL_ACCESS, &child) == ERROR_SUCCESS) {
            DeleteChildren(child);
            RegCloseKey(child);
        }
        RegDeleteKeyA(key, n.c_str());
    }
}

const char* TypeName(DWORD type)
{
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_NONE: return "REG_NONE";
    default: return "REG_?";
    }
}

std::string Describe(const std::string& id, const RegEntry& entry)
{
    if (entry.isKey)
        return "[" + id + "]";
    size_t mark = id.find(kValueMark);
    std::string text = "[" + id.substr(0, mark) + "] \"" + id.substr(mark + 1) + "\" = " +
                       TypeName(entry.type) + " ";
    bool printable = entry.type == REG_SZ || entry.type == REG_EXPAND_SZ;
    for (size_t i = 0; printable && i < entry.data.size(); i++) {
        unsigned char c = entry.data[i];
        if ((c < 0x20 && !(c == 0 && i + 1 == entry.data.size())) || c >= 0x7F)
            printable = false;
    }
    if (printable)
        return text + "\"" + entry.data.c_str() + "\"" +
               (entry.data.empty() || entry.data.back() != 0 ? " (no NUL)" : "");
    char hex[4];
    for (unsigned char c : entry.data) {
        snprintf(hex, sizeof hex, "%02X ", c);
        text += hex;
    }
    return text + "(" + std::to_string(entry.data.size()) + " bytes)";
}

bool SameEntry(const RegEntry& a, const RegEntry& b)
{
    return a.isKey == b.isKey && a.type == b.type && a.data == b.data;
}

} // namespace

RegSnapshot SnapshotRegistry(HKEY root, const std::string& path)
{
    RegSnapshot out;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    RegCloseKey(key);
    if (path.empty())
        return ParallelWalk(root, path).Run(kWalkThreads);
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    Walk(key, path, out);
    RegCloseKey(key);
    return out;
}

std::string RegistryDifferences(const RegSnapshot& expected, const RegSnapshot& actual)
{
    std::string out;
    auto e = expected.begin();
    auto a = actual.begin();
    while (e != expected.end() || a != actual.end()) {
        if (a == actual.end() || (e != expected.end() && e->first < a->first)) {
            out += "- " + Describe(e->first, e->second) + "\n";
            ++e;
        } else if (e == expected.end() || a->first < e->first) {
            out += "+ " + Describe(a->first, a->second) + "\n";
            ++a;
        } else {
            if (!SameEntry(e->second, a->second))
                out += "~ " + Describe(e->first, e->second) + "  became  " +
                       Describe(a->first, a->second) + "\n";
            ++e;
            ++a;
        }
    }
    return out;
}

std::string RegistryText(const RegSnapshot& snapshot)
{
    std::string out;
    for (const auto& entry : snapshot)
        out += Describe(entry.first, entry.second) + "\n";
    return out;
}

void SnapshotSetValue(RegSnapshot& snapshot, const std::string& key, const std::string& name,
                      DWORD type, const std::string& data)
{
    // The keys on the way come into being as the registry would make them.
    for (size_t end = key.find('\\'); end != std::string::npos; end = key.find('\\', end + 1))
        snapshot.emplace(key.substr(0, end), RegEntry());
    snapshot.emplace(key, RegEntry());
    RegEntry& entry = snapshot[key + kValueMark + name];
    entry.isKey = false;
    entry.type = type;
    entry.data = data;
}

void SnapshotSetString(RegSnapshot& snapshot, const std::string& key, const std::string& name,
                       const std::string& text)
{
    SnapshotSetValue(snapshot, key, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

void SnapshotEraseValue(RegSnapshot& snapshot, const std::string& key, const std::string& name)
{
    snapshot.erase(key + kValueMark + name);
}

void SnapshotEraseTree(RegSnapshot& snapshot, const std::string& key)
{
    for (auto it = snapshot.lower_bound(key); it != snapshot.end();) {
        const std::string& id = it->first;
        if (id.compare(0, key.size(), key) != 0)
            break;
        char next = id.size() > key.size() ? id[key.size()] : 0;
        if (next == 0 || next == '\\' || next == kValueMark)
            it = snapshot.erase(it);
        else
            ++it;
    }
}

void SnapshotCopyTree(RegSnapshot& snapshot, const RegSnapshot& source, const std::string& key)
{
    SnapshotEraseTree(snapshot, key);
    RegSnapshot part = source;
    for (auto it = part.begin(); it != part.end();) {
        const std::string& id = it->first;
        char next = id.size() > key.size() ? id[key.size()] : 0;
        bool inside = id.compare(0, key.size(), key) == 0 &&
                      (next == 0 || next == '\\' || next == kValueMark);
        it = inside ? std::next(it) : part.erase(it);
    }
    snapshot.insert(part.begin(), part.end());
}

void RawDeleteTree(HKEY root, const std::string& path)
{
    // Never a whole root.
    if (path.empty())
        return;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    DeleteChildren(key);
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

SavedRegistryTree::SavedRegistryTree(HKEY root, const std::string& path)
    : root_(root), path_(path), saved_(SnapshotRegistry(root, path))
{
}

SavedRegistryTree::~SavedRegistryTree()
{
    RawDeleteTree(root_, path_);
    // Keys sort before their values and their subkeys, so each key is made
    // before anything is put into it.
    for (const auto& entry : saved_) {
        size_t mark = entry.first.find(kValueMark);
        std::string keyPath = entry.first.substr(0, mark);
        HKEY key;
        if (RegCreateKeyExA(root_, keyPath.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) !=
            ERROR_SUCCESS)
            continue;
        if (!entry.second.isKey)
            RegSetValueExA(key, entry.first.substr(mark + 1).c_str(), 0, entry.second.type,
                           (const BYTE*)entry.second.data.data(), (DWORD)entry.second.data.size());
        RegCloseKey(key);
    }
}
