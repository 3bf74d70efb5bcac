// How the program finds and reads the section of a language file. The
// translators' tool checks files by the same rules.
#pragma once

#include "util/file.h"

// The section marker: two asterisks and the first 11 characters of
// "*messages***"; the marker line's last asterisk is not compared.
const char kLanguageMarker[] = "***messages**";
const int kLanguageMarkerLength = 13;

// The marker is searched in at most kLanguageMarkerBlocks blocks that
// overlap by kLanguageMarkerOverlap bytes, so it must begin within the first
// kLanguageMarkerReach bytes of the file, and at least
// kLanguageMarkerOverlap bytes before its end.
const int kLanguageMarkerBlockSize = 8192;
const int kLanguageMarkerBlocks = 16;
// Blocks overlap, so a marker cut by a block's end is found in the next
// block; the overlap is also the least a block must hold to be searched.
const int kLanguageMarkerOverlap = 16;
const long long kLanguageMarkerReach =
    (long long)kLanguageMarkerBlocks * (kLanguageMarkerBlockSize - kLanguageMarkerOverlap);

// The section is read to at most this many bytes from the marker.
const int kLanguageSectionSize = 65536;

// Offset of the first section marker (two asterisks and the first 11
// characters of "*messages***") in the blocks read from file's current
// position, or -1.
long long FindLanguageMarker(File& file);

// Turns escapes into the characters they stand for and line ends into form
// feeds, in place; stops at a NUL. Returns the converted length.
int ConvertLanguageSection(char* text, int n);
