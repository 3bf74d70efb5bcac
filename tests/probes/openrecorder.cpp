// Stands in for every program that the shell's "open" would start in the
// test prefixes (Notepad, Explorer, the browser): it appends its command
// line to a log and ends at once, so a test can check what was opened and
// no window stays behind. The log is the file that QLO_OPEN_LOG names, or
// C:\windows\temp\qlo-opened.log.
#include <windows.h>

#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH];
    DWORD len = GetEnvironmentVariableA("QLO_OPEN_LOG", log, sizeof log);
    if (len == 0 || len >= sizeof log)
        strcpy(log, "C:\\windows\\temp\\qlo-opened.log");

    // Several recorders may start at once: wait for the file rather than
    // lose a line.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 100 && file == INVALID_HANDLE_VALUE; tries++) {
        file = CreateFileA(log, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE)
            Sleep(20);
    }
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    SetFilePointer(file, 0, NULL, FILE_END);
    const char* line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, line, (DWORD)strlen(line), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
    return 0;
}
