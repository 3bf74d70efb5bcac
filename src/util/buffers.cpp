#include "util/buffers.h"

#include <stdio.h>
#include <string.h>

bool BufFormatV(char* buf, size_t size, const char* fmt, va_list args)
{
    if (size == 0)
        return false;
    int n = vsnprintf(buf, size, fmt, args);
    buf[size - 1] = 0;
    if (n < 0) {
        buf[0] = 0;
        return false;
    }
    return (size_t)n < size;
}

bool BufFormat(char* buf, size_t size, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    bool ok = BufFormatV(buf, size, fmt, args);
    va_end(args);
    return ok;
}

bool BufCopy(char* buf, size_t size, const char* src)
{
    if (size == 0)
        return false;
    size_t len = strlen(src);
    bool fits = len < size;
    if (!fits)
        len = size - 1;
    memmove(buf, src, len);
    buf[len] = 0;
    return fits;
}

bool BufAppend(char* buf, size_t size, const char* src)
{
    const char* end = (const char*)memchr(buf, 0, size);
    if (!end)
        return false;
    size_t used = end - buf;
    return BufCopy(buf + used, size - used, src);
}

bool BufFormatOneArg(char* buf, size_t size, const char* fmt, const char* arg)
{
    if (size == 0)
        return false;
    size_t out = 0;
    bool argUsed = false;
    bool fits = true;
    for (const char* p = fmt; *p && fits; ) {
        const char* piece = p;
        size_t pieceLen = 1;
        if (p[0] == '%' && p[1] == '%') {
            pieceLen = 1;   // emit one '%'
            p += 2;
        } else if (p[0] == '%' && p[1] == 's' && !argUsed) {
            piece = arg;
            pieceLen = strlen(arg);
            argUsed = true;
            p += 2;
        } else {
            p += 1;
        }
        if (pieceLen > size - 1 - out) {
            pieceLen = size - 1 - out;
            fits = false;
        }
        memcpy(buf + out, piece, pieceLen);
        out += pieceLen;
    }
    buf[out] = 0;
    return fits;
}
