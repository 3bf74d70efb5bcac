#include "util/text.h"

#include <windows.h>
#include <string.h>

#include "util/buffers.h"

unsigned char LeadByteTable[257];

void BuildLeadByteTable(unsigned char table[257])
{
    CPINFO info;
    memset(&info, 0, sizeof info);
    // With GetCPInfo failing, MaxCharSize stays 0 and the code page counts
    // as single-byte; the lead-byte entries still come from the system.
    GetCPInfo(CP_ACP, &info);
    table[256] = info.MaxCharSize > 1 ? 1 : 0;
    for (int b = 0; b < 256; b++)
        table[b] = IsDBCSLeadByte((BYTE)b) ? 1 : 0;
}

namespace {

// Fills LeadByteTable before any other static object of the program is
// built, so that even static constructors may scan paths.
struct LeadByteTableBuilder {
    LeadByteTableBuilder() { BuildLeadByteTable(LeadByteTable); }
};
LeadByteTableBuilder leadByteTableBuilder __attribute__((init_priority(101)));

inline const char* NextChar(const char* p)
{
    if (LeadByteTable[256])
        return StepChar(LeadByteTable, p);
    return p + 1;
}

} // namespace

const char* StepChar(const unsigned char table[257], const char* p)
{
    if (table[(unsigned char)*p] && p[1] != 0)
        return p + 2;
    return p + 1;
}

bool IsSeparatorChar(char c)
{
    return c == '\\' || c == '/';
}

bool IsColonChar(char c)
{
    return c == ':';
}

const char* FindNamePart(const char* path)
{
    const char* afterSeparator = NULL;
    for (const char* p = path; *p; p = NextChar(p)) {
        if (IsSeparatorChar(*p))
            afterSeparator = p + 1;
    }
    if (afterSeparator)
        return afterSeparator;
    if (path[0] == 0)
        return path;
    bool firstIsSingleByte = !(LeadByteTable[256] && LeadByteTable[(unsigned char)path[0]]);
    if (firstIsSingleByte && IsColonChar(path[1]))
        return path + 2;
    return path;
}

char* FindNamePart(char* path)
{
    return const_cast<char*>(FindNamePart(const_cast<const char*>(path)));
}

char* FindLastChar(char* s)
{
    char* last = s;
    for (char* p = s; *p; p = const_cast<char*>(NextChar(p)))
        last = p;
    return last;
}

bool AppendBackslash(char* path, size_t size)
{
    if (path[0] == 0)
        return true;
    char* last = FindLastChar(path);
    if (*last == '\\' && (last[1] == 0))
        return true;
    size_t len = strlen(path);
    if (len + 2 > size)
        return false;
    path[len] = '\\';
    path[len + 1] = 0;
    return true;
}

char* TrimLineEnd(char* s)
{
    size_t len = strlen(s);
    while (len > 0) {
        char c = s[len - 1];
        if (c != '\r' && c != '\n' && c != ' ' && c != '\t')
            break;
        s[--len] = 0;
    }
    return s;
}

int CompareTextNoCase(const char* a, const char* b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT,
                          a, -1, b, -1) - 2;
}

WinVersionCache WinNTVersionCache = { -1, 0 };

int WinNTVersion()
{
    if (WinNTVersionCache.platformId == -1) {
        OSVERSIONINFOA info;
        memset(&info, 0, sizeof info);
        info.dwOSVersionInfoSize = sizeof info;   // 148 bytes
        if (!GetVersionExA(&info)) {
            // Cannot happen with a correct record size; answer as the
            // 95 family rather than leave the cache unfilled.
            info.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
            info.dwMajorVersion = 4;
        }
        WinNTVersionCache.platformId = (long)info.dwPlatformId;
        WinNTVersionCache.majorVersion = info.dwMajorVersion;
    }
    if (WinNTVersionCache.platformId == VER_PLATFORM_WIN32_NT)
        return (int)WinNTVersionCache.majorVersion;
    return 0;
}

bool FormProgramFolderPath(const char* fileName, char* path, size_t size)
{
    DWORD len = GetModuleFileNameA(NULL, path, (DWORD)size);
    // A path cut to fit is not terminated on NT; it is of no use either way.
    if (len == 0 || len >= size) {
        path[0] = 0;
        return false;
    }
    char* name = FindNamePart(path);
    return BufCopy(name, size - (size_t)(name - path), fileName);
}

