// Starts uninstall.exe with the given switches from its own folder, reports
// every window it shows (title, text, a screenshot), answers each with its
// default button, and reports how the program ended:
//   rundriver PROGRAM SCREENSHOT-FOLDER [SWITCHES...]
#include <windows.h>
#include <stdio.h>

#include <set>
#include <string>

#include "program_driver.h"

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    std::string exe = argv[1];
    std::string folder = exe.substr(0, exe.find_last_of('\\'));
    std::string args;
    for (int i = 3; i < argc; i++)
        args += std::string(i > 3 ? " " : "") + argv[i];

    RunningProgram run;
    DWORD start = GetTickCount();
    if (!run.Start(exe, args, folder)) {
        printf("run: cannot start %s\n", exe.c_str());
        return 1;
    }
    std::set<HWND> seen;
    int shots = 0;
    long code = -1;
    while ((code = run.Wait(50)) == -1 && GetTickCount() - start < 60000) {
        for (HWND hwnd : VisibleWindowsOf(run.Id())) {
            if (seen.count(hwnd))
                continue;
            seen.insert(hwnd);
            printf("run: after %.1f s the program shows a window \"%s\"\n",
                   (GetTickCount() - start) / 1000.0, WindowText(hwnd).c_str());
            std::string text = MessageBoxText(hwnd);
            if (!text.empty())
                printf("run:   its text reads:\n%s\n", text.c_str());
            char name[32];
            snprintf(name, sizeof name, "window-%d", ++shots);
            std::string shot = SaveScreenshot(hwnd, name, argv[2]);
            printf("run:   pressing OK\n");
            fflush(stdout);
            PressButton(hwnd, IDOK);
        }
    }
    if (code == -1) {
        printf("run: the program did not end within 60 s\n");
        return 1;
    }
    printf("run: the program ended after %.1f s with exit code %ld, %s\n",
           (GetTickCount() - start) / 1000.0, code,
           seen.empty() ? "without showing any window" : "after the windows above");
    return 0;
}
