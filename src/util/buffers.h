// Small helpers for fixed, caller-owned character buffers.
#pragma once

#include <stddef.h>
#include <stdarg.h>

// Number of elements of an array; refuses to compile when given a pointer.
template <typename T, size_t N>
char (&ArraySizeHelper(T (&)[N]))[N];
#define ARRAY_SIZE(a) (sizeof(ArraySizeHelper(a)))

// Formats into buf (size bytes). Always terminates the text; returns false
// when the result was cut to fit.
bool BufFormat(char* buf, size_t size, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));
bool BufFormatV(char* buf, size_t size, const char* fmt, va_list args)
    __attribute__((format(printf, 3, 0)));

// Copies src into buf. Always terminates; returns false when cut.
bool BufCopy(char* buf, size_t size, const char* src);

// Appends src to the text in buf. Always terminates; returns false when cut.
bool BufAppend(char* buf, size_t size, const char* src);

// Formats a text whose format comes from outside the program (a translated
// message): the first "%s" is replaced by arg and "%%" by "%"; any other
// "%" sequence, including a second "%s", stays as it stands. So a
// translation can never make the program read an argument it does not have.
// Always terminates; returns false when the result was cut to fit.
bool BufFormatOneArg(char* buf, size_t size, const char* fmt, const char* arg);
