#include "util/file.h"

namespace {
// Character devices and pipes may refuse large reads; they are asked again
// for this many bytes.
const int kDeviceReadRetry = 20000;
}

File::~File()
{
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
}

bool File::Open(const char* name)
{
    HANDLE h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    handle = h;
    return true;
}

int File::Read(void* buffer, int count)
{
    if (count < 0)
        return -1;
    DWORD done = 0;
    if (ReadFile(handle, buffer, (DWORD)count, &done, NULL))
        return (int)done;
    if (handle != INVALID_HANDLE_VALUE && count > kDeviceReadRetry) {
        DWORD type = GetFileType(handle);
        if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE)
            return Read(buffer, kDeviceReadRetry);
    }
    return -1;
}

void File::Seek(long long position, DWORD from)
{
    if (handle == INVALID_HANDLE_VALUE)
        return;
    LONG high = (LONG)(position >> 32);
    SetFilePointer(handle, (LONG)(position & 0xFFFFFFFF), &high, from);
}

long long File::Tell()
{
    LONG high = 0;
    DWORD low = SetFilePointer(handle, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return 0;
    return ((long long)high << 32) + low;
}
