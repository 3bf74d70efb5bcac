#include "lang/text_key.h"

#include <stdio.h>
#include <string.h>

namespace {

unsigned long crcTable[256];
bool crcTableBuilt = false;

void BuildCrcTable()
{
    for (unsigned long n = 0; n < 256; n++) {
        unsigned long c = n;
        for (int bit = 0; bit < 8; bit++)
            c = (c & 1) ? 0xEDB88320UL ^ (c >> 1) : c >> 1;
        crcTable[n] = c;
    }
    crcTableBuilt = true;
}

} // namespace

unsigned long Crc32(unsigned long crc, const void* data, size_t len)
{
    if (!crcTableBuilt)
        BuildCrcTable();
    const unsigned char* p = (const unsigned char*)data;
    crc = ~crc & 0xFFFFFFFFUL;
    while (len--)
        crc = crcTable[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc & 0xFFFFFFFFUL;
}

void ComputeTextKey(char key[kTextKeyLength + 1], TranslationKind kind,
                    const char* dialogName, const char* text)
{
    const char prefix = kind == kMessageText ? 's' : '$';
    unsigned long crc = Crc32(0, &prefix, 1);
    if (dialogName)
        crc = Crc32(crc, dialogName, strlen(dialogName));
    crc = Crc32(crc, text, strlen(text));
    snprintf(key, kTextKeyLength + 1, "%08lx", crc);
}
