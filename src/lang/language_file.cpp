// Reading the language file "uninstall.lng" into the language table.
#include "lang/language_table.h"
#include "lang/language_file.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "lang/ext_resource.h"
#include "util/buffers.h"
#include "util/file.h"
#include "util/text.h"

namespace {

const int kSectionSpare = 1024;
const size_t kPathSize = 1024;
const size_t kDirectionSize = 1024;

const char kFormFeed = '\x0C';

} // namespace

long long FindLanguageMarker(File& file)
{
    char block[kLanguageMarkerBlockSize];
    for (int b = 0; b < kLanguageMarkerBlocks; b++) {
        long long position = file.Tell();
        int n = file.Read(block, kLanguageMarkerBlockSize);
        if (n < kLanguageMarkerOverlap)
            return -1;
        for (int i = 0; i <= n - kLanguageMarkerOverlap; i++) {
            if (memcmp(block + i, kLanguageMarker, kLanguageMarkerLength) == 0)
                return position + i;
        }
        file.Seek(position + n - kLanguageMarkerOverlap, FILE_BEGIN);
    }
    return -1;
}

int ConvertLanguageSection(char* text, int n)
{
    int w = 0;
    for (int r = 0; r < n; r++) {
        char c = text[r];
        if (c == 0)
            break;
        if (c == '\\' && r + 1 < n) {
            char escaped = 0;
            switch (text[r + 1]) {
            case '"':  escaped = '"'; break;
            case '\\': escaped = '\\'; break;
            case 'n':  escaped = '\n'; break;
            case 'r':  escaped = '\r'; break;
            case 't':  escaped = '\t'; break;
            }
            if (escaped) {
                text[w++] = escaped;
                r++;
                continue;
            }
        }
        text[w++] = (c == '\r' || c == '\n') ? kFormFeed : c;
    }
    text[w] = 0;
    return w;
}

namespace {

// The text the index is sorted over; qsort has no context argument and the
// program has one thread.
const char* sortedText = nullptr;

int CompareIndexEntries(const void* a, const void* b)
{
    return CompareTextKeys(sortedText + *(const int*)a, sortedText + *(const int*)b);
}

} // namespace

void LanguageResources::Load(const char* fileName)
{
    ReadLanguageFile(fileName);
    DecideDirection();
}

bool LanguageResources::ReadLanguageFile(const char* fileName)
{
    char path[kPathSize];
    if (strchr(fileName, '\\')) {
        if (!BufCopy(path, ARRAY_SIZE(path), fileName))
            return false;
    } else if (!FormProgramFolderPath(fileName, path, ARRAY_SIZE(path))) {
        return false;
    }

    File file;
    if (!file.Open(path))
        return false;
    long long marker = FindLanguageMarker(file);
    if (marker < 0)
        return false;
    file.Seek(marker, FILE_BEGIN);

    char* section = (char*)malloc(kLanguageSectionSize + kSectionSpare);
    if (!section)
        return false;
    section[kLanguageSectionSize] = 0;
    int n = file.Read(section, kLanguageSectionSize);
    if (n < 0)
        n = 0;   // a failed read leaves a loaded table with nothing in it
    free(text);
    text = section;
    textLength = ConvertLanguageSection(text, n);

    // Every line start but the marker line's, unless it lies too near the
    // end to hold a key.
    for (int k = 1; k < textLength - 8; k++) {
        if (text[k - 1] == kFormFeed && text[k] != kFormFeed)
            index.Add(k);
    }
    sortedText = text;
    if (index.count > 1)
        qsort(index.items, index.count, sizeof(int), CompareIndexEntries);
    sortedText = nullptr;
    return true;
}

void LanguageResources::DecideDirection()
{
    // A language library marks a right-to-left language with a dialog
    // resource named "RTL"; a language file with the entry LTR = "RTL".
    if (FindResourceA(ResourceModule, "RTL", RT_DIALOG)) {
        rightToLeft = 1;
        return;
    }
    char direction[kDirectionSize];
    Translate(direction, ARRAY_SIZE(direction), "LTR", "LTR", kDialogText);
    rightToLeft = strcmp(direction, "RTL") == 0 ? 1 : 0;
}
