// Every registry access of the program. Each operation opens, uses and
// closes its key within the call, so no caller ever holds a key handle.
// Paths for HKEY_CURRENT_USER are relative to the product key
// "Software\Quillo" unless they begin with a backslash; other roots take
// paths as they stand. Failures are absorbed: writes and deletions that
// fail change nothing, reads that fail yield the caller's default.
#pragma once

#include <windows.h>
#include <stddef.h>

// Size of the buffer every operation builds its full key path in.
const size_t kRegPathSize = 256;

// Builds the full key path of path under root into dest (size bytes).
// Refuses (false) paths longer than size - 20 characters: 236 with 256.
bool BuildRegPath(HKEY root, const char* path, char* dest, size_t size);

// The key opened for writing (created with the keys on its way), or null.
HKEY CreateRegKey(HKEY root, const char* path);
// The key opened for reading values and enumerating subkeys, or null.
HKEY OpenRegKey(HKEY root, const char* path);
bool CloseRegKey(HKEY key);

// An empty value name addresses the key's default value.
void SetRegString(HKEY root, const char* path, const char* name, const char* text);
void SetRegDword(HKEY root, const char* path, const char* name, DWORD value);
void SetRegBinary(HKEY root, const char* path, const char* name, const void* data, DWORD size);

// Reads a value's bytes as text into buf (size bytes, always terminated).
// True when read; false when the key or value is missing or the value does
// not fit as a terminated text: buf then holds defaultText (cut to fit).
// defaultText may be buf itself.
bool GetRegString(HKEY root, const char* path, const char* name, char* buf,
                  const char* defaultText, size_t size);
// A value of at most 4 bytes; a shorter one is read as a little-endian
// number whose missing high bytes are zero. Missing or longer: defaultValue.
DWORD GetRegDword(HKEY root, const char* path, const char* name, DWORD defaultValue);

// Deletes the key itself; on the NT family a key with subkeys stays.
void DeleteRegKey(HKEY root, const char* path);
void DeleteRegValue(HKEY root, const char* path, const char* name);
// Deletes the key with everything below it, on both families. A root key
// (empty full path) is never deleted.
void DeleteRegTree(HKEY root, const char* path);
bool RegKeyExists(HKEY root, const char* path);

// Short forms for HKEY_CURRENT_USER: paths below the product key.
void SetRegString(const char* path, const char* name, const char* text);
void SetRegDword(const char* path, const char* name, DWORD value);
bool GetRegString(const char* path, const char* name, char* buf, const char* defaultText,
                  size_t size);
DWORD GetRegDword(const char* path, const char* name, DWORD defaultValue);
void DeleteRegKey(const char* path);
