#include "lang/messages.h"

#include <windows.h>

#include "lang/ext_resource.h"
#include "lang/language_table.h"

namespace {
char messageRing[kMessageRingSize][kMessageBufferSize];
int lastMessageBuffer = 0;
}

const char* GetLangString(int id)
{
    lastMessageBuffer = (lastMessageBuffer + 1) % kMessageRingSize;
    char* buffer = messageRing[lastMessageBuffer];
    buffer[0] = 0;

    // With a language table loaded, the table translates the program's own
    // texts and the library's strings are not used for messages.
    if (!LanguageTable.IsLoaded()) {
        if (LoadStringA(ResourceModule, id, buffer, kMessageBufferSize) == 0) {
            buffer[0] = 0;
            LoadStringA(ProgramModule, id, buffer, kMessageBufferSize);
        }
    } else {
        LoadStringA(ProgramModule, id, buffer, kMessageBufferSize);
    }
    LanguageTable.Translate(buffer, kMessageBufferSize, buffer, nullptr, kMessageText);
    return buffer;
}
