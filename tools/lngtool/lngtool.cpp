// A tool for translators of uninstall.exe.
//   lngtool key TEXT                 the key of a message text
//   lngtool key -d DIALOG TEXT       the key of a title or control text of DIALOG
//   lngtool template PROGRAM.exe     a complete template of uninstall.lng for the
//                                    program as built: every message string and
//                                    every dialog title and control text, each
//                                    with its key and its English text
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "lang/text_key.h"

namespace {

const int kFirstMessage = 5101;
const int kLastMessage = 5112;

// Writes text as a language file needs it: quotes, backslashes and line
// breaks as escapes.
void PrintEscaped(const char* text)
{
    for (const char* p = text; *p; p++) {
        switch (*p) {
        case '"':  fputs("\\\"", stdout); break;
        case '\\': fputs("\\\\", stdout); break;
        case '\n': fputs("\\n", stdout); break;
        case '\r': fputs("\\r", stdout); break;
        case '\t': fputs("\\t", stdout); break;
        default:   fputc(*p, stdout); break;
        }
    }
}

void PrintEntry(TranslationKind kind, const char* dialog, const char* text)
{
    char key[kTextKeyLength + 1];
    ComputeTextKey(key, kind, dialog, text);
    printf("%s=\"", key);
    PrintEscaped(text);
    printf("\"\n");
}

// Reads a zero-terminated UTF-16 string of a dialog template into ANSI text
// and returns the position after it.
const WORD* ReadTemplateString(const WORD* p, char* out, int size)
{
    int len = 0;
    while (p[len])
        len++;
    out[0] = 0;
    if (len > 0) {
        int n = WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)p, len, out, size - 1, NULL, NULL);
        out[n > 0 ? n : 0] = 0;
    }
    return p + len + 1;
}

// Skips a "string or ordinal" field of a dialog template.
const WORD* SkipNameOrOrdinal(const WORD* p)
{
    if (*p == 0xFFFF)
        return p + 2;
    while (*p)
        p++;
    return p + 1;
}

const WORD* AlignDword(const WORD* p, const void* base)
{
    size_t offset = (const BYTE*)p - (const BYTE*)base;
    return (const WORD*)((const BYTE*)base + ((offset + 3) & ~(size_t)3));
}

void PrintDialog(const char* name, const BYTE* data, DWORD size)
{
    const WORD* p = (const WORD*)data;
    bool extended = size >= 4 && p[0] == 1 && p[1] == 0xFFFF;
    DWORD style;
    int count;
    if (extended) {
        style = *(const DWORD*)(data + 12);
        count = *(const WORD*)(data + 16);
        p = (const WORD*)(data + 26);
    } else {
        style = *(const DWORD*)data;
        count = *(const WORD*)(data + 8);
        p = (const WORD*)(data + 18);
    }
    p = SkipNameOrOrdinal(p);   // menu
    p = SkipNameOrOrdinal(p);   // class
    char text[1024];
    p = ReadTemplateString(p, text, sizeof text);
    printf("\n; dialog %s\n; scale: width and height in percent, joined by an asterisk, "
           "e.g. \"120*110\"\n", name);
    char key[kTextKeyLength + 1];
    ComputeTextKey(key, kDialogText, name, "");
    printf("; %s=\"100*100\"\n", key);
    printf("; dialog %s, title\n", name);
    PrintEntry(kDialogText, name, text);
    if (style & DS_SETFONT) {
        p += extended ? 3 : 1;   // point size (and weight, italic, charset)
        char face[256];
        p = ReadTemplateString(p, face, sizeof face);
    }
    for (int i = 0; i < count; i++) {
        p = AlignDword(p, data);
        int id;
        if (extended) {
            id = (int)*(const DWORD*)((const BYTE*)p + 20);
            p = (const WORD*)((const BYTE*)p + 24);
        } else {
            id = *(const WORD*)((const BYTE*)p + 16);
            p = (const WORD*)((const BYTE*)p + 18);
        }
        p = SkipNameOrOrdinal(p);   // class
        if (*p == 0xFFFF) {
            p += 2;   // an ordinal text (an icon or bitmap id): nothing to translate
            text[0] = 0;
        } else {
            p = ReadTemplateString(p, text, sizeof text);
        }
        WORD extra = *p++;
        p = (const WORD*)((const BYTE*)p + extra);
        if (text[0]) {
            printf("; dialog %s, control %d\n", name, id);
            PrintEntry(kDialogText, name, text);
        }
    }
}

BOOL CALLBACK OnDialog(HMODULE module, LPCSTR, LPSTR name, LONG_PTR)
{
    char dialogName[256];
    if (IS_INTRESOURCE(name))
        snprintf(dialogName, sizeof dialogName, "#%u", (unsigned)(ULONG_PTR)name);
    else
        snprintf(dialogName, sizeof dialogName, "%s", name);
    HRSRC res = FindResourceA(module, name, RT_DIALOG);
    if (!res)
        return TRUE;
    if (strcmp(dialogName, "RTL") == 0)
        return TRUE;   // a direction marker, not a dialog
    PrintDialog(dialogName, (const BYTE*)LockResource(LoadResource(module, res)),
                SizeofResource(module, res));
    return TRUE;
}

int PrintTemplate(const char* program)
{
    HMODULE module = LoadLibraryExA(program, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        fprintf(stderr, "lngtool: cannot read %s\n", program);
        return 1;
    }
    printf("; uninstall.lng: translations for uninstall.exe.\n"
           "; Put this file beside uninstall.exe. Everything before the line\n"
           "; ***messages*** is not read; after it, each line KEY=\"TEXT\" translates\n"
           "; one text: keep the key, replace the text. Lines that do not begin\n"
           "; with a key are comments. Escapes: \\\" \\\\ \\n \\r \\t.\n"
           "; The section may hold at most 65,536 bytes. A message may hold 255\n"
           "; characters, a dialog text 1,023.\n"
           "***messages***\n");
    printf("\n; direction: \"RTL\" lays every dialog out right to left\n");
    char key[kTextKeyLength + 1];
    ComputeTextKey(key, kDialogText, "LTR", "LTR");
    printf("%s=\"LTR\"\n", key);
    for (int id = kFirstMessage; id <= kLastMessage; id++) {
        char text[256];
        if (LoadStringA(module, id, text, sizeof text) <= 0)
            continue;
        printf("\n; message %d\n", id);
        PrintEntry(kMessageText, NULL, text);
    }
    EnumResourceNamesA(module, RT_DIALOG, OnDialog, 0);
    FreeLibrary(module);
    return 0;
}

int Usage()
{
    fprintf(stderr, "usage: lngtool key [-d DIALOG] TEXT\n"
                    "       lngtool template PROGRAM.exe\n");
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
    return Usage();
}
