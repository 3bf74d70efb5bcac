// The key that finds a text's translation: the CRC-32 of a kind prefix,
// the dialog name and the text, written as 8 lower-case hex digits.
#pragma once

#include <stddef.h>

enum TranslationKind {
    kMessageText = 0,   // message strings: prefix "s"
    kDialogText = 1,    // dialog titles and control texts: prefix "$"
};

const size_t kTextKeyLength = 8;

// CRC-32 (the checksum of gzip and PNG) of len bytes, continuing from crc;
// start with 0 for a new checksum.
unsigned long Crc32(unsigned long crc, const void* data, size_t len);

// Writes the key of text (with dialogName, or none when null) into key,
// which holds 9 bytes: 8 digits and the terminator.
void ComputeTextKey(char key[kTextKeyLength + 1], TranslationKind kind,
                    const char* dialogName, const char* text);
