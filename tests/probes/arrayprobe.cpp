// Takes nearly all of its address space, then adds to an Array<int> until
// the array cannot grow. The fatal memory error must end the process with
// its exception; the filter reports the exception's code and flags.
#include <windows.h>
#include <stdio.h>

#include "lang/array.h"

static LONG WINAPI ReportException(EXCEPTION_POINTERS* info)
{
    printf("exception %08lx flags %lu\n", info->ExceptionRecord->ExceptionCode,
           info->ExceptionRecord->ExceptionFlags);
    fflush(stdout);
    ExitProcess(info->ExceptionRecord->ExceptionCode);
}

int main()
{
    SetUnhandledExceptionFilter(ReportException);
    // Reserve everything that is free, in large pieces, leaving a little
    // for the runtime's own needs.
    for (SIZE_T size = (SIZE_T)1 << 30; size >= ((SIZE_T)1 << 20); ) {
        if (!VirtualAlloc(NULL, size, MEM_RESERVE, PAGE_NOACCESS))
            size /= 2;
    }
    Array<int> array;
    for (int i = 0; i < 0x7FFFFFFF; i++)
        array.Add(i);
    printf("no error\n");
    return 0;
}
