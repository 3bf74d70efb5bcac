// The owner of one file opened for reading.
#pragma once

#include <windows.h>

class File {
public:
    File() = default;
    virtual ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing file for reading; others may go on reading and
    // writing it. False leaves the object closed.
    bool Open(const char* name);
    // Bytes read (0 at the end of the file), or -1 when the read failed. A
    // character device or pipe that refuses a large read is asked again for
    // 20,000 bytes, once.
    int Read(void* buffer, int count);
    // Moves the read position; failures are not reported.
    void Seek(long long position, DWORD from);
    long long Tell();

private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};
