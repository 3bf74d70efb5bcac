// Double-byte-aware helpers on zero-terminated ANSI strings, and the
// Windows version test. None of them allocates memory.
#pragma once

#include <stddef.h>

// One flag per byte value: 1 when it is the lead byte of a two-byte
// character in the ANSI code page. Entry 256 is 1 when the code page has
// characters longer than one byte. Filled before any other static object of
// the program is constructed, and never changed afterwards.
extern unsigned char LeadByteTable[257];

void BuildLeadByteTable(unsigned char table[257]);

// The character after the one at p: two bytes on for a lead byte, else one.
// Never steps over the terminator, even after a lead byte that ends the text.
const char* StepChar(const unsigned char table[257], const char* p);

bool IsSeparatorChar(char c);   // backslash or slash
bool IsColonChar(char c);

// Start of the file-name part of path, inside the same string: after the
// last separator, else after a drive letter and colon, else path itself.
char* FindNamePart(char* path);
const char* FindNamePart(const char* path);

// First byte of the last character of s; s itself when it is empty.
char* FindLastChar(char* s);

// Appends a backslash unless path is empty or already ends with one (a
// trailing slash does not count). Returns false, and leaves path unchanged,
// when the buffer of size bytes has no room for it.
bool AppendBackslash(char* path, size_t size);

// Cuts trailing carriage returns, line feeds, blanks and tabs. Returns s.
char* TrimLineEnd(char* s);

// Compares two texts as the user's locale sorts them, ignoring case:
// negative, 0 or positive; -2 when the system cannot compare them.
int CompareTextNoCase(const char* a, const char* b);

// Major version of Windows NT (4 on NT 4.0, 5 on 2000 and XP); 0 on the
// Windows 95 family. The system is asked once per process.
int WinNTVersion();

// The answer that WinNTVersion keeps: platformId is -1 until the system
// has been asked.
struct WinVersionCache {
    long platformId;
    unsigned long majorVersion;
};
extern WinVersionCache WinNTVersionCache;

// The path of fileName in the folder of the running program's file, into
// path (size bytes); false, with path empty or unfinished, when the
// program's path cannot be had whole or the result does not fit.
bool FormProgramFolderPath(const char* fileName, char* path, size_t size);
