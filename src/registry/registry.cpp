#include "registry/registry.h"

#include <string.h>

#include "util/buffers.h"
#include "util/text.h"

namespace {

const char kProductKey[] = "Software\\Quillo";
const REGSAM kWriteAccess = KEY_WRITE;                                   // 0x20006
const REGSAM kReadAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;     // 0x9
const size_t kSubkeyNameSize = 200;
const size_t kTreePathSize = 512;

// Shared by every pass of one tree deletion: how many keys the pass deleted.
int treeDeletionCount = 0;

void DeleteTreePass(HKEY root, const char* path)
{
    // A root key is never deleted.
    if (path[0] == 0)
        return;
    HKEY key = NULL;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char name[kSubkeyNameSize];
    for (DWORD index = 0; ; index++) {
        DWORD nameSize = ARRAY_SIZE(name);
        if (RegEnumKeyExA(key, index, name, &nameSize, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        // A subkey path that does not fit is left alone rather than cut
        // into the path of another key.
        char subPath[kTreePathSize];
        if (BufFormat(subPath, ARRAY_SIZE(subPath), "%s\\%s", path, name))
            DeleteTreePass(root, subPath);
    }
    RegCloseKey(key);
    if (RegDeleteKeyA(root, path) == ERROR_SUCCESS)
        treeDeletionCount++;
}

} // namespace

bool BuildRegPath(HKEY root, const char* path, char* dest, size_t size)
{
    if (size < 20 || strlen(path) > size - 20)
        return false;
    if (root == HKEY_CURRENT_USER) {
        if (path[0] == '\\')
            return BufCopy(dest, size, path + 1);
        if (path[0] == 0)
            return BufCopy(dest, size, kProductKey);
        return BufFormat(dest, size, "%s\\%s", kProductKey, path);
    }
    return BufCopy(dest, size, path);
}

HKEY CreateRegKey(HKEY root, const char* path)
{
    char full[kRegPathSize];
    if (!BuildRegPath(root, path, full, ARRAY_SIZE(full)))
        return NULL;
    HKEY key = NULL;
    if (RegCreateKeyExA(root, full, 0, NULL, REG_OPTION_NON_VOLATILE, kWriteAccess, NULL,
                        &key, NULL) != ERROR_SUCCESS)
        return NULL;
    return key;
}

HKEY OpenRegKey(HKEY root, const char* path)
{
    char full[kRegPathSize];
    if (!BuildRegPath(root, path, full, ARRAY_SIZE(full)))
        return NULL;
    HKEY key = NULL;
    if (RegOpenKeyExA(root, full, 0, kReadAccess, &key) != ERROR_SUCCESS)
        return NULL;
    return key;
}

bool CloseRegKey(HKEY key)
{
    return RegCloseKey(key) == ERROR_SUCCESS;
}

namespace {

void SetRegValue(HKEY root, const char* path, const char* name, DWORD type,
                 const void* data, DWORD size)
{
    HKEY key = CreateRegKey(root, path);
    if (!key)
        return;
    RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
    CloseRegKey(key);
}

} // namespace

void SetRegString(HKEY root, const char* path, const char* name, const char* text)
{
    SetRegValue(root, path, name, REG_SZ, text, (DWORD)strlen(text) + 1);
}

void SetRegDword(HKEY root, const char* path, const char* name, DWORD value)
{
    SetRegValue(root, path, name, REG_DWORD, &value, sizeof value);
}

void SetRegBinary(HKEY root, const char* path, const char* name, const void* data, DWORD size)
{
    SetRegValue(root, path, name, REG_BINARY, data, size);
}

bool GetRegString(HKEY root, const char* path, const char* name, char* buf,
                  const char* defaultText, size_t size)
{
    if (size == 0)
        return false;
    HKEY key = OpenRegKey(root, path);
    if (key) {
        DWORD type = 0;
        DWORD len = (DWORD)size;
        LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE*)buf, &len);
        CloseRegKey(key);
        // The stored bytes need not end in a NUL: terminate them here, and
        // count a value that fills the buffer without one as not fitting.
        if (result == ERROR_SUCCESS) {
            if (len < size) {
                buf[len] = 0;
                return true;
            }
            if (len == size && buf[size - 1] == 0)
                return true;
        }
    }
    BufCopy(buf, size, defaultText);
    return false;
}

DWORD GetRegDword(HKEY root, const char* path, const char* name, DWORD defaultValue)
{
    HKEY key = OpenRegKey(root, path);
    if (!key)
        return defaultValue;
    // Zero first: a value shorter than 4 bytes leaves the high bytes as they
    // were, so it reads as a little-endian number with zero high bytes.
    DWORD value = 0;
    DWORD len = sizeof value;
    LONG result = RegQueryValueExA(key, name, NULL, NULL, (BYTE*)&value, &len);
    CloseRegKey(key);
    return result == ERROR_SUCCESS ? value : defaultValue;
}

void DeleteRegKey(HKEY root, const char* path)
{
    char full[kRegPathSize];
    if (!BuildRegPath(root, path, full, ARRAY_SIZE(full)))
        return;
    RegDeleteKeyA(root, full);
}

void DeleteRegValue(HKEY root, const char* path, const char* name)
{
    char full[kRegPathSize];
    if (!BuildRegPath(root, path, full, ARRAY_SIZE(full)))
        return;
    HKEY key = NULL;
    if (RegOpenKeyExA(root, full, 0, kWriteAccess, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    CloseRegKey(key);
}

void DeleteRegTree(HKEY root, const char* path)
{
    char full[kRegPathSize];
    if (!BuildRegPath(root, path, full, ARRAY_SIZE(full)))
        return;
    // The 95 family deletes a key with all its subkeys in one call; a root
    // key (empty path) is never handed to it.
    if (WinNTVersion() == 0 && full[0] != 0 && RegDeleteKeyA(root, full) == ERROR_SUCCESS)
        return;
    // Deleting subkeys while enumerating their parent by index skips some
    // of them, and on NT the parent stays while it has subkeys: repeat the
    // passes until one deletes nothing.
    do {
        treeDeletionCount = 0;
        DeleteTreePass(root, full);
    } while (treeDeletionCount != 0);
}

bool RegKeyExists(HKEY root, const char* path)
{
    char full[kRegPathSize];
    if (!BuildRegPath(root, path, full, ARRAY_SIZE(full)))
        return false;
    HKEY key = NULL;
    if (RegOpenKeyExA(root, full, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    CloseRegKey(key);
    return true;
}

void SetRegString(const char* path, const char* name, const char* text)
{
    SetRegString(HKEY_CURRENT_USER, path, name, text);
}

void SetRegDword(const char* path, const char* name, DWORD value)
{
    SetRegDword(HKEY_CURRENT_USER, path, name, value);
}

bool GetRegString(const char* path, const char* name, char* buf, const char* defaultText,
                  size_t size)
{
    return GetRegString(HKEY_CURRENT_USER, path, name, buf, defaultText, size);
}

DWORD GetRegDword(const char* path, const char* name, DWORD defaultValue)
{
    return GetRegDword(HKEY_CURRENT_USER, path, name, defaultValue);
}

void DeleteRegKey(const char* path)
{
    DeleteRegKey(HKEY_CURRENT_USER, path);
}
