#include "lang/ext_resource.h"

#include "util/buffers.h"
#include "util/text.h"

HINSTANCE ProgramModule = NULL;
HINSTANCE ResourceModule = NULL;

ExtResource LanguageLibrary;

namespace {
const char kLanguageLibraryName[] = "qlolng.dll";
}

void ExtResource::Load(HINSTANCE instance)
{
    Unload();
    ProgramModule = instance;
    ResourceModule = instance;

    char path[1024];
    if (!FormProgramFolderPath(kLanguageLibraryName, path, ARRAY_SIZE(path)))
        return;
    HMODULE library = LoadLibraryA(path);
    if (library) {
        ResourceModule = library;
        loaded = 1;
    }
}

void ExtResource::Unload()
{
    if (!loaded)
        return;
    FreeLibrary(ResourceModule);
    ResourceModule = ProgramModule;
    loaded = 0;
}
