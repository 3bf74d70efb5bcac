#include "lang/language_table.h"

#include <stdlib.h>
#include <string.h>

#include "util/buffers.h"

// Constructed before the entry point runs; constant-initialised, so its
// place among the static objects does not matter.
LanguageResources LanguageTable;

namespace {

const char kLineEnd = '\x0C';
// A translation on the last line, with no line end after it, is taken to
// at most this many characters.
const size_t kLastLineLimit = 255;

bool IsEntryFor(const char* line, const char* key)
{
    return strncmp(line, key, kTextKeyLength) == 0 &&
           line[kTextKeyLength] == '=' && line[kTextKeyLength + 1] == '"';
}

} // namespace

int CompareTextKeys(const char* a, const char* b)
{
    return strncmp(a, b, kTextKeyLength);
}

LanguageResources::~LanguageResources()
{
    free(text);
    text = nullptr;
}

const char* LanguageResources::FindEntry(const char* key) const
{
    // Binary search over the sorted line starts: it looks only at the first
    // 8 characters of each line.
    int low = 0;
    int n = index.count;
    while (n > 0) {
        int middle = low + n / 2;
        int offset = index.items[middle];
        if (offset < 0 || offset > textLength)
            break;
        int order = CompareTextKeys(key, text + offset);
        if (order == 0)
            return text + offset;
        if (order < 0) {
            n = n / 2;
        } else {
            low = middle + 1;
            n = n - n / 2 - 1;
        }
    }

    // Not in the index: scan the text line by line for a full entry.
    for (const char* line = text; *line; ) {
        if (IsEntryFor(line, key))
            return line;
        while (*line && *line != kLineEnd)
            line++;
        while (*line == kLineEnd)
            line++;
    }
    return nullptr;
}

void LanguageResources::Translate(char* dest, size_t destSize, const char* source,
                                  const char* dialogName, TranslationKind kind) const
{
    if (destSize == 0)
        return;
    const char* line = nullptr;
    if (text) {
        char key[kTextKeyLength + 1];
        ComputeTextKey(key, kind, dialogName, source);
        line = FindEntry(key);
    }
    if (!line) {
        if (dest != source)
            BufCopy(dest, destSize, source);
        return;
    }

    // The translation follows the key, '=' and '"'. A line found by the
    // index may end before that: then its translation is empty.
    const char* start = line;
    for (size_t i = 0; i < kTextKeyLength + 2 && *start && *start != kLineEnd; i++)
        start++;

    // Its extent: to the line's form feed, or at most 255 characters on the
    // last line. It then ends at its last double quote; without one it runs
    // to the end of the line, form feed dropped.
    size_t len = 0;
    bool lastLine = true;
    while (start[len]) {
        if (start[len] == kLineEnd) {
            lastLine = false;
            break;
        }
        len++;
    }
    if (lastLine && len > kLastLineLimit)
        len = kLastLineLimit;
    for (size_t i = len; i > 0; i--) {
        if (start[i - 1] == '"') {
            len = i - 1;
            break;
        }
    }
    if (len > destSize - 1)
        len = destSize - 1;
    memmove(dest, start, len);
    dest[len] = 0;
}
