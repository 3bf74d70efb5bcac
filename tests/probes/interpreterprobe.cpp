// Stands in for the command interpreter: records how it was started and
// the batch file it was given, instead of running it.
//   (started as)  interpreterprobe.exe /c "BATCH"
// Writes BATCH.record: line 1 the command line, line 2 whether standard
// output is the NUL device ("nul" or "other"), line 3 whether the process
// has a console ("console" or "none"), then the batch file's bytes.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <string>

int main()
{
    std::string cmd = GetCommandLineA();
    size_t open = cmd.find("/c \"");
    if (open == std::string::npos)
        return 2;
    std::string batch = cmd.substr(open + 4);
    batch = batch.substr(0, batch.find('"'));
    std::string bytes;
    FILE* in = fopen(batch.c_str(), "rb");
    char buf[4096];
    size_t n;
    while (in && (n = fread(buf, 1, sizeof buf, in)) > 0)
        bytes.append(buf, n);
    if (in)
        fclose(in);

    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
    FILE* rec = fopen((batch + ".record").c_str(), "wb");
    if (!rec)
        return 3;
    fprintf(rec, "%s\n%s\n%s\n", cmd.c_str(), type == FILE_TYPE_CHAR ? "char" : "other",
            GetConsoleWindow() ? "console" : "none");
    fwrite(bytes.data(), 1, bytes.size(), rec);
    fclose(rec);
    return 0;
}
