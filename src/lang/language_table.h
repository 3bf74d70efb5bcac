// The language table: translations of the program's texts, found by the
// key of each text.
#pragma once

#include <stddef.h>
#include <windows.h>

#include "lang/array.h"
#include "lang/text_key.h"

// Compares two keys the way the index is sorted: byte by byte over at most
// 8 characters, stopping early at a NUL.
int CompareTextKeys(const char* a, const char* b);

class LanguageResources {
public:
    // The table's text: lines that end at form feeds (0x0C), the first of
    // them the section marker; an entry line is 8 lower-case hex digits,
    // '=', '"', the translation and a closing '"'. Null when no language
    // file was loaded. Owned (allocated with malloc).
    char* text = nullptr;
    int textLength = 0;
    // Offsets into text of the line starts, sorted by CompareTextKeys.
    Array<int> index;
    // The dialogs are to be laid out right to left.
    unsigned char rightToLeft = 0;

    LanguageResources() = default;
    ~LanguageResources();
    LanguageResources(const LanguageResources&) = delete;
    LanguageResources& operator=(const LanguageResources&) = delete;

    bool IsLoaded() const { return text != nullptr; }

    // Reads the translations from the language file fileName (beside the
    // program when the name has no backslash) and decides the direction of
    // the dialogs. A missing or unusable file leaves the table empty.
    void Load(const char* fileName);

    // Writes the translation of source into dest (destSize bytes), or a copy
    // of source when there is none. source may be dest itself. A translation
    // longer than dest is cut at dest's end; dest is always terminated.
    void Translate(char* dest, size_t destSize, const char* source,
                   const char* dialogName, TranslationKind kind) const;

    // The horizontal and vertical percentages that the language file gives
    // dialogName (100 and 100 without an entry); true when they scale it.
    bool GetScale(const char* dialogName, int* sx, int* sy) const;
    // Lays dialog out right to left when the language asks for it.
    void ApplyDirection(HWND dialog) const;
    // Translates the dialog's title and control texts and, when the
    // language file gives it a scale, resizes it and its controls.
    void Localize(HWND dialog, const char* dialogName) const;

private:
    const char* FindEntry(const char* key) const;
    bool ReadLanguageFile(const char* fileName);
    void DecideDirection();
};

// The process-wide language table. Filled at most once at start-up.
extern LanguageResources LanguageTable;
