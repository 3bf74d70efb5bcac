// Applies file associations from wherever it was copied to, under the
// Windows version that Wine emulates for its file name:
//   assocprobe RECORD [OUTFILE]
// RECORD is the setup options record as 26 characters "0" or "1". OUTFILE,
// when given, receives the version the probe saw:
//   version=MAJOR.MINOR platform=ID nt=WINNTVERSION
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "integration/associations.h"
#include "util/text.h"

int main(int argc, char** argv)
{
    if (argc < 2 || strlen(argv[1]) != kSetupOptionCount)
        return 2;
    SetupOptions options;
    for (int i = 0; i < kSetupOptionCount; i++)
        options.slot[i] = argv[1][i] == '1' ? 1 : 0;
    if (argc > 2) {
        OSVERSIONINFOA version = {sizeof version};
        GetVersionExA(&version);
        FILE* out = fopen(argv[2], "w");
        if (!out)
            return 3;
        fprintf(out, "version=%lu.%lu platform=%lu nt=%d\n", version.dwMajorVersion,
                version.dwMinorVersion, version.dwPlatformId, WinNTVersion());
        fclose(out);
    }
    ApplyAssociations(&options);
    return 0;
}
