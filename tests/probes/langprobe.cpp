// Looks up message strings the way the program does, from wherever it was
// copied to, and writes what it got to a file, one line per id:
//   langprobe OUTFILE [--table] [--unload] ID...
// --table loads a language table that holds no entries; --unload frees the
// language library before the lookups.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "lang/messages.h"

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    LanguageLibrary.Load(GetModuleHandleA(NULL));
    FILE* out = fopen(argv[1], "w");
    if (!out)
        return 3;
    fprintf(out, "loaded=%d\n", LanguageLibrary.loaded);
    for (int i = 2; i < argc; i++) {
        if (strcmp(argv[i], "--table") == 0) {
            static const char kMarkerOnly[] = "[Uninstall]\x0C";
            LanguageTable.text = (char*)malloc(sizeof kMarkerOnly);
            memcpy(LanguageTable.text, kMarkerOnly, sizeof kMarkerOnly);
            LanguageTable.textLength = (int)strlen(kMarkerOnly);
        } else if (strcmp(argv[i], "--unload") == 0) {
            LanguageLibrary.Unload();
            fprintf(out, "loaded=%d\n", LanguageLibrary.loaded);
        } else {
            fprintf(out, "%s\n", GetLangString(atoi(argv[i])));
        }
    }
    fclose(out);
    return 0;
}
