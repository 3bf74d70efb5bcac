// Applies the shell extension registration from wherever it was copied to:
//   shellextprobe RECORD [OUTFILE]
// RECORD is the setup options record as 26 characters "0" or "1". OUTFILE,
// when given, receives what COM then makes of the extension's class:
//   create=0x%08lx (the HRESULT of CoCreateInstance)
#include <windows.h>
#include <objbase.h>
#include <stdio.h>
#include <string.h>

#include "integration/shell_extension.h"

namespace {
const CLSID kExtensionClassId = {0x6D92E0A7, 0x35C1, 0x4B8F,
                                 {0x9A, 0x2D, 0x70, 0xE5, 0xC3, 0xB1, 0xF8, 0x46}};
}

int main(int argc, char** argv)
{
    if (argc < 2 || strlen(argv[1]) != kSetupOptionCount)
        return 2;
    SetupOptions options;
    for (int i = 0; i < kSetupOptionCount; i++)
        options.slot[i] = argv[1][i] == '1' ? 1 : 0;
    ApplyShellExtension(&options);
    if (argc < 3)
        return 0;

    CoInitialize(NULL);
    IUnknown* object = NULL;
    HRESULT hr = CoCreateInstance(kExtensionClassId, NULL, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  (void**)&object);
    if (object)
        object->Release();
    CoUninitialize();
    FILE* out = fopen(argv[2], "w");
    if (!out)
        return 3;
    fprintf(out, "create=0x%08lx\n", (unsigned long)hr);
    fclose(out);
    return 0;
}
