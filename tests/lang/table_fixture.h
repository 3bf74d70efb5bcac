// Fills a language table the way the language file loader leaves it: the
// lines joined with form feeds, the first of them the section marker, and
// an index of the line starts sorted by their first 8 characters.
#pragma once

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lang/language_table.h"

inline void FillTable(LanguageResources& table, const std::vector<std::string>& lines,
                      bool lastLineEnds = true, bool indexAll = true)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); i++) {
        text += lines[i];
        if (i + 1 < lines.size() || lastLineEnds)
            text += '\x0C';
    }
    free(table.text);
    table.text = (char*)malloc(text.size() + 1);
    memcpy(table.text, text.c_str(), text.size() + 1);
    table.textLength = (int)text.size();

    std::vector<int> starts;
    size_t offset = 0;
    for (size_t i = 0; i < lines.size(); i++) {
        if (i > 0 && (indexAll || i % 2 == 0))
            starts.push_back((int)offset);
        offset += lines[i].size() + 1;
    }
    const char* base = table.text;
    std::stable_sort(starts.begin(), starts.end(), [base](int a, int b) {
        return CompareTextKeys(base + a, base + b) < 0;
    });
    for (int s : starts)
        table.index.Add(s);
}

inline std::string Key(TranslationKind kind, const char* dialog, const char* text)
{
    char key[9];
    ComputeTextKey(key, kind, dialog, text);
    return key;
}
