#include "guarded_buffer.h"

#include <windows.h>
#include <string.h>

GuardedBuffer::GuardedBuffer(size_t n) : size_(n)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    size_t page = info.dwPageSize;
    size_t pages = (n + page - 1) / page + 1;
    base_ = VirtualAlloc(NULL, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    char* guard = (char*)base_ + (pages - 1) * page;
    DWORD old;
    VirtualProtect(guard, page, PAGE_NOACCESS, &old);
    data_ = guard - n;
    memset(data_, 0xBD, n);
}

GuardedBuffer::~GuardedBuffer()
{
    VirtualFree(base_, 0, MEM_RELEASE);
}
