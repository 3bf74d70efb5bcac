// A tool for translators of uninstall.exe.
//   lngtool key TEXT                 the key of a message text
//   lngtool key -d DIALOG TEXT       the key of a title or control text of DIALOG
//   lngtool template PROGRAM.exe     a complete template of uninstall.lng for the
//                                    program as built: every message string and
//                                    every dialog title and control text, each
//                                    with its key, its English text and where it
//                                    appears; the scale of every dialog and the
//                                    direction entry
//   lngtool check PROGRAM.exe FILE.lng
//                                    checks a language file against the program
//                                    as the program would read it. It prints
//                                    FILE.lng:LINE: error|warning: ... and, last,
//                                    the program's texts left untranslated and a
//                                    summary. Exit code 1 when there are errors.
//
// An error is a line that the program reads otherwise than the translator
// meant: the section is not found, an entry is never found (upper-case key,
// malformed key, past the end of the section, above the section), read
// wrongly (no quotes, a text that a buffer cuts, a malformed scale) or
// ambiguous (a key given twice). A warning is a line that does no harm but
// probably no good either: a key that matches no text of this program (an
// older or newer version may have it), a direction that is neither LTR nor
// RTL, a message that loses or gains a %s.
#include <windows.h>
#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lang/array.h"
#include "lang/language_file.h"
#include "lang/text_key.h"
#include "util/buffers.h"
#include "util/file.h"
#include "util/text.h"

namespace {

// What a text of the program is, and so which buffer receives its
// translation.
enum TextRole {
    kRoleMessage,      // a message string
    kRoleDialogText,   // a dialog title or control text
    kRoleScale,        // the scale of a dialog: the key of its empty text
    kRoleDirection,    // the direction of all dialogs
};

struct RoleInfo {
    const char* name;
    int limit;   // characters the receiving buffer keeps, its terminator aside
};

const RoleInfo kRoles[] = {
    {"message", 255},
    {"dialog text", 1023},
    {"scale entry", 511},
    {"direction entry", 1023},
};

const size_t kTextSize = 1024;    // the longest dialog text, with its terminator
const size_t kMessageSize = 256;  // the longest message string, with its terminator
const size_t kWhereSize = 160;
const size_t kDialogNameSize = 256;

// The program takes a translation on the last line of the section, with no
// line end after it, to at most this many characters.
const int kLastLineLimit = 255;

const char kFormFeed = '\x0C';

TranslationKind KindOf(TextRole role)
{
    return role == kRoleMessage ? kMessageText : kDialogText;
}

// One text of the program that a language file may translate.
struct ProgramText {
    TextRole role;
    char key[kTextKeyLength + 1];
    char* text;              // owned; the English text
    char where[kWhereSize];  // "message 5105", "dialog SETUPDLG, caption"
};

// Reads a dialog template, field by field; reading past its end leaves
// zeros and marks the reader as failed.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : base_(data), end_(data + size), p_(data) {}

    bool Ok() const { return ok_; }

    WORD Word()
    {
        WORD value = 0;
        if (Have(sizeof value)) {
            memcpy(&value, p_, sizeof value);
            p_ += sizeof value;
        }
        return value;
    }

    DWORD Dword()
    {
        DWORD value = 0;
        if (Have(sizeof value)) {
            memcpy(&value, p_, sizeof value);
            p_ += sizeof value;
        }
        return value;
    }

    void Skip(size_t n)
    {
        if (Have(n))
            p_ += n;
    }

    // Each control of a template starts on a DWORD boundary.
    void AlignDword()
    {
        size_t offset = p_ - base_;
        Skip(((offset + 3) & ~(size_t)3) - offset);
    }

    // A zero-terminated UTF-16 string, as ANSI text in the system's code
    // page and cut to the buffer, as the dialog's window hands it to the
    // program (whose keys are computed over what it gets).
    void String(char* out, size_t size)
    {
        out[0] = 0;
        size_t len = 0;
        while (Have((len + 1) * sizeof(WORD)) && (p_[2 * len] | p_[2 * len + 1]))
            len++;
        if (!ok_)
            return;
        int n = len ? WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)p_, (int)len, NULL, 0, NULL, NULL)
                    : 0;
        char* whole = n > 0 ? (char*)malloc((size_t)n) : nullptr;
        if (whole && WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)p_, (int)len, whole, n, NULL,
                                         NULL) == n) {
            size_t kept = (size_t)n < size - 1 ? (size_t)n : size - 1;
            memcpy(out, whole, kept);
            out[kept] = 0;
        }
        free(whole);
        p_ += (len + 1) * sizeof(WORD);
    }

    // A "string or ordinal" field: *ordinal is 0 for a string.
    void NameOrOrdinal(WORD* ordinal, char* name, size_t size)
    {
        *ordinal = 0;
        name[0] = 0;
        if (Have(sizeof(WORD)) && p_[0] == 0xFF && p_[1] == 0xFF) {
            p_ += sizeof(WORD);
            *ordinal = Word();
            return;
        }
        String(name, size);
    }

private:
    bool Have(size_t n)
    {
        if (ok_ && (size_t)(end_ - p_) < n)
            ok_ = false;
        return ok_;
    }

    const BYTE* base_;
    const BYTE* end_;
    const BYTE* p_;
    bool ok_ = true;
};

// What a control is, for a translator: from its class and style. A
// template names a predefined class by its ordinal or by its name.
const char* ControlKind(WORD classOrdinal, const char* className, DWORD style)
{
    static const char* const kClassNames[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX",
                                              "SCROLLBAR", "COMBOBOX"};
    for (size_t i = 0; i < ARRAY_SIZE(kClassNames) && !classOrdinal; i++) {
        if (_stricmp(className, kClassNames[i]) == 0)
            classOrdinal = (WORD)(0x0080 + i);
    }
    switch (classOrdinal) {
    case 0x0080:
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
            return "check box";
        case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
            return "radio button";
        case BS_GROUPBOX:
            return "group box";
        default:
            return "button";
        }
    case 0x0081: return "edit box";
    case 0x0082: return "label";
    case 0x0083: return "list box";
    case 0x0084: return "scroll bar";
    case 0x0085: return "combo box";
    }
    if (_strnicmp(className, "RICHEDIT", 8) == 0)
        return "rich edit";
    return className[0] ? className : "control";
}

// Every text of a program that a language file may translate, in the order
// the program's resources give them: the direction, the message strings,
// then per dialog its scale, its title and its control texts.
class ProgramTexts {
public:
    Array<ProgramText> items;

    ProgramTexts() = default;
    ~ProgramTexts()
    {
        for (int i = 0; i < items.count; i++)
            free(items.items[i].text);
    }
    ProgramTexts(const ProgramTexts&) = delete;
    ProgramTexts& operator=(const ProgramTexts&) = delete;

    // False when program cannot be read.
    bool Read(const char* program)
    {
        HMODULE module = LoadLibraryExA(program, NULL, LOAD_LIBRARY_AS_DATAFILE);
        if (!module)
            return false;
        Add(kRoleDirection, "LTR", "LTR", "direction");
        EnumResourceNamesA(module, RT_STRING, OnStringBlock, (LONG_PTR)this);
        EnumResourceNamesA(module, RT_DIALOG, OnDialog, (LONG_PTR)this);
        FreeLibrary(module);
        return true;
    }

    // The first text with key, or null.
    const ProgramText* Find(const char* key) const
    {
        for (int i = 0; i < items.count; i++) {
            if (strcmp(items.items[i].key, key) == 0)
                return &items.items[i];
        }
        return nullptr;
    }

private:
    void Add(TextRole role, const char* dialog, const char* text, const char* whereFormat, ...)
        __attribute__((format(printf, 5, 6)))
    {
        ProgramText item;
        item.role = role;
        ComputeTextKey(item.key, KindOf(role), dialog, text);
        item.text = _strdup(text);
        if (!item.text)
            RaiseException(kFatalMemoryError, EXCEPTION_NONCONTINUABLE, 0, NULL);
        va_list args;
        va_start(args, whereFormat);
        BufFormatV(item.where, ARRAY_SIZE(item.where), whereFormat, args);
        va_end(args);
        items.Add(item);
    }

    // A string table block holds the strings (block - 1) * 16 to
    // (block - 1) * 16 + 15.
    static BOOL CALLBACK OnStringBlock(HMODULE module, LPCSTR, LPSTR name, LONG_PTR self)
    {
        if (!IS_INTRESOURCE(name))
            return TRUE;
        UINT first = ((UINT)(ULONG_PTR)name - 1) * 16;
        for (UINT id = first; id < first + 16; id++) {
            char text[kMessageSize];
            if (LoadStringA(module, id, text, ARRAY_SIZE(text)) > 0)
                ((ProgramTexts*)self)->Add(kRoleMessage, NULL, text, "message %u", id);
        }
        return TRUE;
    }

    static BOOL CALLBACK OnDialog(HMODULE module, LPCSTR, LPSTR name, LONG_PTR self)
    {
        char dialogName[kDialogNameSize];
        if (IS_INTRESOURCE(name))
            BufFormat(dialogName, ARRAY_SIZE(dialogName), "#%u", (unsigned)(ULONG_PTR)name);
        else
            BufCopy(dialogName, ARRAY_SIZE(dialogName), name);
        if (strcmp(dialogName, "RTL") == 0)
            return TRUE;   // a language library's direction marker, not a dialog
        HRSRC res = FindResourceA(module, name, RT_DIALOG);
        HGLOBAL data = res ? LoadResource(module, res) : NULL;
        if (data)
            ((ProgramTexts*)self)->AddDialog(dialogName, (const BYTE*)LockResource(data),
                                             SizeofResource(module, res));
        return TRUE;
    }

    void AddDialog(const char* name, const BYTE* data, DWORD size)
    {
        TemplateReader r(data, size);
        bool extended = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF &&
                        data[3] == 0xFF;
        DWORD style;
        if (extended) {
            r.Skip(8);   // version, signature, help id
            r.Skip(4);   // extended style
            style = r.Dword();
        } else {
            style = r.Dword();
            r.Skip(4);   // extended style
        }
        int count = r.Word();
        r.Skip(8);   // position and size
        WORD ordinal;
        char text[kTextSize];
        r.NameOrOrdinal(&ordinal, text, ARRAY_SIZE(text));   // menu
        r.NameOrOrdinal(&ordinal, text, ARRAY_SIZE(text));   // class
        r.String(text, ARRAY_SIZE(text));
        // The dialog's empty text carries its scale; an empty title is
        // translated through the same entry.
        Add(kRoleScale, name, "", "dialog %s, scale", name);
        if (text[0])
            Add(kRoleDialogText, name, text, "dialog %s, caption", name);
        if (style & DS_SETFONT) {
            r.Skip(extended ? 6 : 2);   // point size (and weight, italic, character set)
            r.String(text, ARRAY_SIZE(text));
        }
        for (int i = 0; i < count && r.Ok(); i++) {
            r.AlignDword();
            DWORD itemStyle;
            int id;
            if (extended) {
                r.Skip(8);   // help id, extended style
                itemStyle = r.Dword();
                r.Skip(8);   // position and size
                id = (int)r.Dword();
            } else {
                itemStyle = r.Dword();
                r.Skip(12);   // extended style, position and size
                WORD w = r.Word();
                id = w == 0xFFFF ? -1 : w;
            }
            WORD classOrdinal;
            char className[kDialogNameSize];
            r.NameOrOrdinal(&classOrdinal, className, ARRAY_SIZE(className));
            WORD textOrdinal;   // an icon or bitmap: nothing to translate
            r.NameOrOrdinal(&textOrdinal, text, ARRAY_SIZE(text));
            r.Skip(r.Word());   // creation data
            if (!r.Ok() || textOrdinal || !text[0])
                continue;   // the program leaves empty control texts alone
            const char* kind = ControlKind(classOrdinal, className, itemStyle);
            if (id == -1)
                Add(kRoleDialogText, name, text, "dialog %s, %s", name, kind);
            else
                Add(kRoleDialogText, name, text, "dialog %s, control %d (%s)", name, id, kind);
        }
    }
};

// Writes text as a language file needs it: quotes, backslashes and line
// breaks as escapes.
void PrintEscaped(FILE* out, const char* text)
{
    for (const char* p = text; *p; p++) {
        switch (*p) {
        case '"':  fputs("\\\"", out); break;
        case '\\': fputs("\\\\", out); break;
        case '\n': fputs("\\n", out); break;
        case '\r': fputs("\\r", out); break;
        case '\t': fputs("\\t", out); break;
        default:   fputc(*p, out); break;
        }
    }
}

// ---------------------------------------------------------------- template

const char kTemplateHead[] =
    "; Translations of the texts of %s, made by \"lngtool template\"\n"
    "; from the program as built. Save it as uninstall.lng beside the program,\n"
    "; in the language's ANSI code page (not UTF-8 or UTF-16).\n"
    ";\n"
    "; The program reads only what follows the marker line below, at most\n"
    "; 65,536 bytes. There each line KEY=\"TEXT\" translates one text: keep the\n"
    "; key (8 digits, computed from the English text and where it appears) and\n"
    "; the quotes, and put the translation in place of the English text. Lines\n"
    "; that do not begin with a key, such as these, are comments.\n"
    "; In a text write \\\" for a double quote, \\\\ for a backslash, \\n and \\r\n"
    "; for a line break, \\t for a tab. A message keeps at most 255 characters,\n"
    "; a dialog text 1,023. Keep %%s where the English text has it: the program\n"
    "; puts a name there. Delete an entry to leave its text in English.\n"
    "; \"lngtool check %s uninstall.lng\" checks a translation.\n";

void PrintEntry(const ProgramText& item, const char* translation)
{
    printf("%s=\"", item.key);
    PrintEscaped(stdout, translation);
    printf("\"\n");
}

int PrintTemplate(const char* program)
{
    ProgramTexts texts;
    if (!texts.Read(program)) {
        fprintf(stderr, "lngtool: cannot read %s\n", program);
        return 1;
    }
    const char* name = FindNamePart(program);
    printf(kTemplateHead, name, name);
    printf("***messages***\n");
    for (int i = 0; i < texts.items.count; i++) {
        const ProgramText& item = texts.items.items[i];
        if (texts.Find(item.key) != &item)
            continue;   // written with the first text of the same key
        printf("\n");
        switch (item.role) {
        case kRoleDirection:
            printf("; direction of every dialog: \"LTR\" left to right, \"RTL\" right to left\n");
            PrintEntry(item, "LTR");
            continue;
        case kRoleScale:
            printf("; %s: width and height in percent, joined by an asterisk;\n"
                   "; \"120*110\" makes the dialog 20 %% wider and 10 %% taller\n", item.where);
            PrintEntry(item, "100*100");
            continue;
        default:
            break;
        }
        // The same text in several places of one dialog has one key.
        for (int j = i; j < texts.items.count; j++) {
            if (strcmp(texts.items.items[j].key, item.key) == 0)
                printf("; %s\n", texts.items.items[j].where);
        }
        PrintEntry(item, item.text);
    }
    return 0;
}

// ---------------------------------------------------------------- check

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Blanks, a word, blanks and '=': a line meant as an entry.
bool LooksLikeEntry(const char* line)
{
    const char* p = line;
    while (IsBlank(*p))
        p++;
    const char* word = p;
    while (isalnum((unsigned char)*p))
        p++;
    if (p == word)
        return false;
    while (IsBlank(*p))
        p++;
    return *p == '=';
}

int CountFormats(const char* text)
{
    int n = 0;
    for (const char* p = strstr(text, "%s"); p; p = strstr(p + 2, "%s"))
        n++;
    return n;
}

// A scale entry the program reads as meant: two positive whole numbers
// joined by an asterisk. An empty one leaves the dialog alone too.
bool IsScale(const char* text)
{
    if (!text[0])
        return true;
    const char* p = text;
    for (int part = 0; part < 2; part++) {
        const char* digits = p;
        long value = 0;
        while (*p >= '0' && *p <= '9' && value < 100000)
            value = value * 10 + (*p++ - '0');
        if (p == digits || value <= 0)
            return false;
        if (part == 0 && *p++ != '*')
            return false;
    }
    return *p == 0;
}

// A short, escaped excerpt of text for a message.
void FormatExcerpt(char* buf, size_t size, const char* text)
{
    const size_t kExcerpt = 60;
    char cut[kExcerpt + 1];
    BufCopy(cut, ARRAY_SIZE(cut), text);
    buf[0] = 0;
    for (const char* p = cut; *p; p++) {
        char one[3] = {*p, 0, 0};
        switch (*p) {
        case '"':  BufCopy(one, ARRAY_SIZE(one), "\\\""); break;
        case '\\': BufCopy(one, ARRAY_SIZE(one), "\\\\"); break;
        case '\n': BufCopy(one, ARRAY_SIZE(one), "\\n"); break;
        case '\r': BufCopy(one, ARRAY_SIZE(one), "\\r"); break;
        case '\t': BufCopy(one, ARRAY_SIZE(one), "\\t"); break;
        }
        BufAppend(buf, size, one);
    }
    if (strlen(text) > kExcerpt)
        BufAppend(buf, size, "...");
}

// An entry read from the section.
struct Entry {
    char key[kTextKeyLength + 1];
    int line;
    bool english;   // the translation is the English text
};

class Checker {
public:
    Checker(const char* program, const char* lngName, const ProgramTexts& texts)
        : program_(FindNamePart(program)), lngName_(lngName), texts_(texts) {}

    // Checks the file's bytes; returns the exit code.
    int Check(const char* data, long long size, long long marker);

private:
    void Report(const char* severity, int line, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    bool FindMarkerLine(const char* data, long long size, long long marker);
    void CheckSection(const char* data, long long size, long long marker);
    void CheckLine(char* line, int number, bool lastLine);
    void CheckEntry(char* line, int number, bool lastLine);
    void ListUntranslated();

    const char* program_;
    const char* lngName_;
    const ProgramTexts& texts_;
    Array<Entry> entries_;
    int errors_ = 0;
    int warnings_ = 0;
};

void Checker::Report(const char* severity, int line, const char* format, ...)
{
    if (line > 0)
        printf("%s:%d: %s: ", lngName_, line, severity);
    else
        printf("%s: %s: ", lngName_, severity);
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    printf("\n");
    if (strcmp(severity, "error") == 0)
        errors_++;
    else if (strcmp(severity, "warning") == 0)
        warnings_++;
}

// Line number of the byte at offset: lines end at LF, CR LF or a lone CR.
int LineAt(const char* data, long long offset)
{
    int line = 1;
    for (long long i = 0; i < offset; i++) {
        if (data[i] == '\n' || (data[i] == '\r' && data[i + 1] != '\n'))
            line++;
    }
    return line;
}

// The first marker in the whole file, found as the program compares it, or -1.
long long FindAnyMarker(const char* data, long long size)
{
    for (long long i = 0; i + kLanguageMarkerLength <= size; i++) {
        if (memcmp(data + i, kLanguageMarker, kLanguageMarkerLength) == 0)
            return i;
    }
    return -1;
}

// Reports why the program finds no marker; false when it finds none.
bool Checker::FindMarkerLine(const char* data, long long size, long long marker)
{
    if (marker >= 0)
        return true;
    long long any = FindAnyMarker(data, size);
    if (any < 0) {
        bool utf16 = size >= 2 && (((BYTE)data[0] == 0xFF && (BYTE)data[1] == 0xFE) ||
                                   ((BYTE)data[0] == 0xFE && (BYTE)data[1] == 0xFF));
        Report("error", 0, "no line ***messages***: the program reads nothing of this file%s",
               utf16 ? " (it is saved as UTF-16: save it in the ANSI code page)" : "");
    } else if (any > size - kLanguageMarkerOverlap) {
        Report("error", LineAt(data, any),
               "the program does not find the ***messages*** line this near the end of the "
               "file: it needs %d bytes from the line's start, line end included",
               kLanguageMarkerOverlap);
    } else {
        Report("error", LineAt(data, any),
               "the ***messages*** line begins at byte %lld, beyond the first %lld bytes that "
               "the program searches: it reads nothing of this file",
               any, kLanguageMarkerReach);
    }
    return false;
}

int Checker::Check(const char* data, long long size, long long marker)
{
    if (FindMarkerLine(data, size, marker))
        CheckSection(data, size, marker);
    ListUntranslated();
    int total = 0, translated = 0;
    for (int i = 0; i < texts_.items.count; i++) {
        const ProgramText& item = texts_.items.items[i];
        if (texts_.Find(item.key) != &item ||
            (item.role != kRoleMessage && item.role != kRoleDialogText))
            continue;
        total++;
        for (int e = 0; e < entries_.count; e++) {
            if (strcmp(entries_.items[e].key, item.key) == 0 && !entries_.items[e].english) {
                translated++;
                break;
            }
        }
    }
    printf("%s: %d error%s, %d warning%s; %d of %d texts of %s translated\n", lngName_,
           errors_, errors_ == 1 ? "" : "s", warnings_, warnings_ == 1 ? "" : "s", translated,
           total, program_);
    return errors_ ? 1 : 0;
}

// Copies the line's 8-character key; returns key.
const char* CopyKey(char key[kTextKeyLength + 1], const char* line)
{
    memcpy(key, line, kTextKeyLength);
    key[kTextKeyLength] = 0;
    return key;
}

// A well-formed entry: 8 lower-case hex digits, '=' and '"'.
bool IsEntryLine(const char* line)
{
    for (size_t i = 0; i < kTextKeyLength; i++) {
        if (!((line[i] >= '0' && line[i] <= '9') || (line[i] >= 'a' && line[i] <= 'f')))
            return false;
    }
    return line[kTextKeyLength] == '=' && line[kTextKeyLength + 1] == '"';
}

// Copies data[from, to) into buf and converts it as the program converts
// its section.
char* ConvertLine(char* buf, const char* data, long long from, long long to)
{
    int n = from < to ? (int)(to - from) : 0;
    memcpy(buf, data + from, (size_t)n);
    ConvertLanguageSection(buf, n);
    return buf;
}

void Checker::CheckSection(const char* data, long long size, long long marker)
{
    // The program reads the section up to its size limit, a NUL byte or the
    // end of the file, whichever comes first.
    long long end = size < marker + kLanguageSectionSize ? size : marker + kLanguageSectionSize;
    const char* nul = (const char*)memchr(data + marker, 0, (size_t)(end - marker));
    if (nul) {
        end = nul - data;
        Report("error", LineAt(data, end),
               "a NUL byte ends the section here: the program reads nothing after it");
    }
    char* line = (char*)malloc((size_t)size + 1);
    if (!line)
        RaiseException(kFatalMemoryError, EXCEPTION_NONCONTINUABLE, 0, NULL);
    int lostEntries = 0, firstLost = 0;
    int number = 1;
    for (long long start = 0; start < size; number++) {
        long long stop = start;
        while (stop < size && data[stop] != '\r' && data[stop] != '\n')
            stop++;
        long long next = stop;
        if (next < size)
            next += (data[next] == '\r' && next + 1 < size && data[next + 1] == '\n') ? 2 : 1;

        if (next <= marker) {
            // Above the section: the program never reads it.
            ConvertLine(line, data, start, stop);
            char key[kTextKeyLength + 1];
            if (IsEntryLine(line) && texts_.Find(CopyKey(key, line)))
                Report("warning", number,
                       "this entry stands above the ***messages*** line: the program never "
                       "reads it");
        } else if (start <= marker) {
            for (long long i = start; i < marker; i++) {
                if (data[i] != '*') {
                    Report("warning", number,
                           "the section begins at this ***messages***, inside a line: the "
                           "program takes the first one in the file");
                    break;
                }
            }
        } else if (start >= end) {
            if (!nul && LooksLikeEntry(ConvertLine(line, data, start, stop))) {
                if (!lostEntries)
                    firstLost = number;
                lostEntries++;
            }
        } else if (stop > end && !nul) {
            Report("error", number,
                   "the section ends inside this line, %d bytes after the ***messages*** line: "
                   "the program reads only the start of it",
                   kLanguageSectionSize);
        } else {
            // The last line of the section has no line end after it when the
            // file, the section or a NUL ends it. A form feed ends a line for
            // the program too.
            bool lastLine = stop >= end;
            ConvertLine(line, data, start, stop < end ? stop : end);
            for (char* piece = line; ; ) {
                char* feed = strchr(piece, kFormFeed);
                if (feed)
                    *feed = 0;
                CheckLine(piece, number, lastLine && !feed);
                if (!feed)
                    break;
                piece = feed + 1;
            }
        }
        start = next;
    }
    free(line);
    if (lostEntries)
        Report("error", firstLost,
               "the program reads at most %d bytes from the ***messages*** line: this entry "
               "and the %d after it are never read",
               kLanguageSectionSize, lostEntries - 1);
}

void Checker::CheckLine(char* line, int number, bool lastLine)
{
    char key[kTextKeyLength + 1];
    bool hexKey = true, upper = false;
    for (size_t i = 0; i < kTextKeyLength && hexKey; i++) {
        hexKey = IsHexDigit(line[i]);
        upper = upper || (line[i] >= 'A' && line[i] <= 'F');
    }
    if (!hexKey) {
        if (LooksLikeEntry(line))
            Report("error", number,
                   "not an entry: a key is 8 hexadecimal digits at the very start of the line, "
                   "followed directly by =\"; the program reads this line as a comment");
        return;
    }
    CopyKey(key, line);
    if (upper) {
        if (LooksLikeEntry(line)) {
            CharLowerBuffA(key, kTextKeyLength);
            const ProgramText* item = texts_.Find(key);
            Report("error", number,
                   "the key has upper-case letters: the program never finds it; write %s%s%s",
                   key, item ? ", the key of " : "", item ? item->where : "");
        }
        return;
    }
    if (line[kTextKeyLength] == '=' && line[kTextKeyLength + 1] == '"') {
        CheckEntry(line, number, lastLine);
        return;
    }
    // The program finds such a line by its key all the same, but reads its
    // text from the 11th character on.
    if (line[kTextKeyLength] == '=')
        Report("error", number, "no opening double quote after the '='");
    else if (LooksLikeEntry(line) || texts_.Find(key))
        Report("error", number,
               "the key must be followed directly by =\" (without blanks): the program "
               "misreads this line");
}

void Checker::CheckEntry(char* line, int number, bool lastLine)
{
    Entry entry;
    CopyKey(entry.key, line);
    entry.line = number;
    char* text = line + kTextKeyLength + 2;
    if (lastLine && strlen(text) > (size_t)kLastLineLimit)
        Report("error", number,
               "no line end after this entry, the last of the section: the program reads at "
               "most %d characters of it",
               kLastLineLimit);
    char* close = strrchr(text, '"');
    if (close)
        *close = 0;
    else
        Report("error", number,
               "no closing double quote: the translation runs to the end of the line");
    for (int i = 0; i < entries_.count; i++) {
        if (strcmp(entries_.items[i].key, entry.key) == 0) {
            Report("error", number,
                   "the key %s is also on line %d: which of them the program takes is not "
                   "fixed",
                   entry.key, entries_.items[i].line);
            break;
        }
    }
    const ProgramText* item = texts_.Find(entry.key);
    entry.english = item && strcmp(text, item->text) == 0;
    entries_.Add(entry);
    if (!item) {
        Report("warning", number,
               "the key %s matches no text of %s: the program never uses this entry",
               entry.key, program_);
        return;
    }
    const RoleInfo& role = kRoles[item->role];
    int length = (int)strlen(text);
    if (length > role.limit)
        Report("error", number,
               "the translation of %s has %d characters (an escape counts as one): the "
               "program keeps the first %d",
               item->where, length, role.limit);
    switch (item->role) {
    case kRoleScale:
        if (!IsScale(text))
            Report("error", number,
                   "not a scale of %s: write width and height in percent, joined by an "
                   "asterisk, such as \"120*110\"",
                   item->where);
        break;
    case kRoleDirection:
        if (strcmp(text, "LTR") != 0 && strcmp(text, "RTL") != 0)
            Report("warning", number,
                   "the direction is \"LTR\" or \"RTL\" (in capitals): anything else leaves "
                   "the dialogs left to right");
        break;
    case kRoleMessage:
        if (CountFormats(text) != CountFormats(item->text))
            Report("warning", number,
                   "the English text of %s has %d %%s (the program puts a name there), the "
                   "translation %d",
                   item->where, CountFormats(item->text), CountFormats(text));
        break;
    case kRoleDialogText:
        break;
    }
}

// Notes on the program's texts that the file leaves in English.
void Checker::ListUntranslated()
{
    for (int i = 0; i < texts_.items.count; i++) {
        const ProgramText& item = texts_.items.items[i];
        if (texts_.Find(item.key) != &item ||
            (item.role != kRoleMessage && item.role != kRoleDialogText))
            continue;
        const Entry* entry = nullptr;
        for (int e = 0; e < entries_.count && !entry; e++) {
            if (strcmp(entries_.items[e].key, item.key) == 0)
                entry = &entries_.items[e];
        }
        if (entry && !entry->english)
            continue;
        char excerpt[kWhereSize];
        FormatExcerpt(excerpt, ARRAY_SIZE(excerpt), item.text);
        if (entry)
            Report("note", entry->line, "untranslated: %s is the English text \"%s\"",
                   item.where, excerpt);
        else
            Report("note", 0, "untranslated: %s has no entry (%s=\"%s\")", item.where,
                   item.key, excerpt);
    }
}

// Reads the whole file into a new buffer, with a NUL after it.
char* ReadWholeFile(const char* name, long long* size)
{
    const int kChunk = 65536;
    const long long kMaxSize = 64 << 20;
    File file;
    if (!file.Open(name))
        return nullptr;
    char* data = nullptr;
    long long used = 0;
    for (;;) {
        char* bigger = (char*)realloc(data, (size_t)(used + kChunk + 1));
        if (!bigger || used > kMaxSize) {
            free(bigger ? bigger : data);
            return nullptr;
        }
        data = bigger;
        int n = file.Read(data + used, kChunk);
        if (n < 0) {
            free(data);
            return nullptr;
        }
        if (n == 0)
            break;
        used += n;
    }
    data[used] = 0;
    *size = used;
    return data;
}

int CheckLanguageFile(const char* program, const char* lngName)
{
    ProgramTexts texts;
    if (!texts.Read(program)) {
        printf("%s: error: cannot read the program %s\n", lngName, program);
        return 1;
    }
    long long size = 0;
    char* data = ReadWholeFile(lngName, &size);
    if (!data) {
        printf("%s: error: cannot read the file\n", lngName);
        return 1;
    }
    // Where the program itself finds the section.
    File file;
    long long marker = file.Open(lngName) ? FindLanguageMarker(file) : -1;
    Checker checker(program, lngName, texts);
    int status = checker.Check(data, size, marker);
    free(data);
    return status;
}

int Usage()
{
    fprintf(stderr, "usage: lngtool key [-d DIALOG] TEXT\n"
                    "       lngtool template PROGRAM.exe\n"
                    "       lngtool check PROGRAM.exe FILE.lng\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && strcmp(argv[1], "key") == 0) {
        const char* dialog = NULL;
        int i = 2;
        if (argc >= 5 && strcmp(argv[2], "-d") == 0) {
            dialog = argv[3];
            i = 4;
        }
        if (i != argc - 1)
            return Usage();
        char key[kTextKeyLength + 1];
        ComputeTextKey(key, dialog ? kDialogText : kMessageText, dialog, argv[i]);
        printf("%s\n", key);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "template") == 0)
        return PrintTemplate(argv[2]);
    if (argc == 4 && strcmp(argv[1], "check") == 0)
        return CheckLanguageFile(argv[2], argv[3]);
    return Usage();
}
