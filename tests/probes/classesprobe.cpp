// Registers the file classes and the application path from wherever it was
// copied to, after loading the language library and language file beside
// it as the program does at start-up:
//   classesprobe classes|apppath...
#include <windows.h>
#include <string.h>

#include "integration/file_classes.h"
#include "lang/ext_resource.h"
#include "lang/language_table.h"

int main(int argc, char** argv)
{
    LanguageLibrary.Load(GetModuleHandleA(NULL));
    LanguageTable.Load("uninstall.lng");
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "classes") == 0)
            RegisterFileClasses();
        else if (strcmp(argv[i], "apppath") == 0)
            RegisterAppPath();
        else
            return 2;
    }
    return 0;
}
