// Drives the sample installation of scripts/run.sh as a person would: the
// setup dialogs with a few choices of its own, and the uninstall's question.
// It prints each step and saves a screenshot of each window it passed
// through (BMP files; the script turns them into PNG):
//   demodriver setup PROGRAM SHOT-FOLDER [SWITCHES...]
//   demodriver uninstall COMMAND-LINE SHOT-FOLDER
//   demodriver watch PROGRAM SHOT-FOLDER [SWITCHES...]
// "uninstall" starts COMMAND-LINE as it stands, the way the system's list of
// installed programs starts the command it finds in the registry. "watch"
// lets a person click: it only reports the windows and waits for the end.
// Every wait is bounded; the exit code is 0 when the run went as planned.
#include <windows.h>
#include <stdio.h>

#include <set>
#include <string>
#include <vector>

#include "program_driver.h"
#include "resource.h"

namespace {

const DWORD kWindowTimeout = 60000;
const DWORD kWatchTimeout = 30 * 60000;
// What the driver changes in the context menu items dialog.
const int kItemToUntick = 109;   // "Compress and email..."

DWORD startTick;
std::string shotFolder;
int shotCount;

// Prints one step: text with each "%s" replaced by the next of a and b.
void Say(const char* text, const std::string& a = "", const std::string& b = "")
{
    std::string line;
    const std::string* next[] = {&a, &b};
    size_t used = 0;
    for (const char* p = text; *p; p++) {
        if (p[0] == '%' && p[1] == 's' && used < 2) {
            line += *next[used++];
            p++;
        } else {
            line += *p;
        }
    }
    printf("demo: [%5.1f s] %s\n", (GetTickCount() - startTick) / 1000.0, line.c_str());
    fflush(stdout);
}

// A control's text without its mnemonic marks.
std::string Label(HWND dialog, int id)
{
    std::string text = WindowText(GetDlgItem(dialog, id)), out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '&' && i + 1 < text.size())
            i++;
        out += text[i];
    }
    return out;
}

void Shot(HWND hwnd, const char* what)
{
    char name[64];
    snprintf(name, sizeof name, "%02d-%s", ++shotCount, what);
    std::string path = SaveScreenshot(hwnd, name, shotFolder.c_str());
    if (path.empty())
        Say("  (no screenshot of this window could be taken)");
    else
        Say("  screenshot %s.png", name);
}

// A window's title; a dialog still busy with its start on a slow machine
// may not answer at first.
std::string TitleOf(HWND hwnd)
{
    std::string title = WindowText(hwnd);
    for (int tries = 0; title.empty() && tries < 10 && IsWindow(hwnd); tries++) {
        Sleep(500);
        title = WindowText(hwnd);
    }
    return title;
}

bool Checked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The ticked boxes among ids first..last, by their labels.
std::string TickedBoxes(HWND dialog, int first, int last)
{
    std::string list;
    for (int id = first; id <= last; id++)
        if (GetDlgItem(dialog, id) && Checked(dialog, id))
            list += (list.empty() ? "" : ", ") + Label(dialog, id);
    return list.empty() ? "(none)" : list;
}

// A click whose handler may run a modal loop of its own: posted, so that
// the driver does not wait for the loop to end.
void PostClick(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void Click(HWND dialog, int id)
{
    Say("  clicking \"%s\"", Label(dialog, id));
    PressButton(dialog, id);
}

// The kinds of window the program shows, told apart by their controls (the
// captions follow the language).
bool IsSetupDialog(HWND w) { return GetDlgItem(w, IDC_CONTEXT_ITEMS) != NULL; }
bool IsItemsDialog(HWND w) { return GetDlgItem(w, IDC_MENU_ITEM_FIRST) != NULL; }
bool IsDoneDialog(HWND w) { return GetDlgItem(w, IDC_HOME_PAGE) && !IsSetupDialog(w); }
// A message box: its text is the static 0xFFFF, which the dialogs' own
// unnamed statics share.
bool IsMessageBox(HWND w)
{
    return WindowClass(w) == "#32770" && GetDlgItem(w, 0xFFFF) && !IsSetupDialog(w) &&
           !IsItemsDialog(w) && !IsDoneDialog(w);
}

// A started program, whichever way its command line was made; ended by
// force if it still runs when the object goes.
class Process {
public:
    ~Process()
    {
        if (!info_.hProcess)
            return;
        if (Running())
            TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
    bool Start(std::string commandLine, const std::string& folder)
    {
        STARTUPINFOA si = {sizeof si};
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back(0);
        return CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, folder.c_str(), &si,
                              &info_) != 0;
    }
    long Wait(DWORD ms)
    {
        DWORD code = 0;
        if (!info_.hProcess || WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(info_.hProcess, &code))
            return -1;
        return (long)code;
    }
    bool Running() { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD Id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
};

// A window of process pid that matches, polled until timeoutMs; NULL if
// none came or the program ended. Message boxes that were not asked for
// are reported, captured and answered with OK on the way.
template <typename Match>
HWND WaitFor(Process& run, Match match, DWORD timeoutMs = kWindowTimeout)
{
    DWORD start = GetTickCount();
    static std::set<HWND> reported;
    while (GetTickCount() - start < timeoutMs) {
        for (HWND w : VisibleWindowsOf(run.Id())) {
            if (match(w))
                return w;
            if (IsMessageBox(w) && !reported.count(w)) {
                reported.insert(w);
                Say("unexpected message \"%s\": %s", WindowText(w), MessageBoxText(w));
                Shot(w, "unexpected-message");
                PressButton(w, IDOK);
            }
        }
        if (!run.Running())
            return NULL;
        Sleep(50);
    }
    return NULL;
}

bool WaitGone(HWND w, DWORD timeoutMs = kWindowTimeout)
{
    DWORD start = GetTickCount();
    while (IsWindow(w) && IsWindowVisible(w)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

int Fail(const char* what)
{
    Say("FAILED: %s", what);
    return 1;
}

int EndOf(Process& run)
{
    long code = run.Wait(kWindowTimeout);
    if (code == -1)
        return Fail("the program did not end within 60 s");
    Say("the program ended with exit code %s", std::to_string(code));
    return code == 0 ? 0 : 1;
}

// The stand-in's window, started by the completion dialog's button.
HWND WaitForQuillo()
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWindowTimeout) {
        HWND w = FindWindowA("QuilloStandIn", NULL);
        if (w && IsWindowVisible(w))
            return w;
        Sleep(50);
    }
    return NULL;
}

int DriveSetup(Process& run, bool silent)
{
    if (silent) {
        Say("silent setup: no dialog is expected to wait for a person");
        return EndOf(run);
    }
    HWND setup = WaitFor(run, IsSetupDialog);
    if (!setup)
        return Fail("the setup options dialog did not appear");
    Say("the setup options dialog \"%s\" is open", TitleOf(setup));
    Say("  archive types ticked: %s", TickedBoxes(setup, IDC_ASSOC_FIRST, IDC_ASSOC_LAST));
    Say("  other options ticked: %s", TickedBoxes(setup, IDC_DESKTOP_LINK, IDC_MENU_ICONS));
    Shot(setup, "setup-options");
    if (!Checked(setup, IDC_DESKTOP_LINK))
        Click(setup, IDC_DESKTOP_LINK);

    Say("  clicking \"%s\"", Label(setup, IDC_CONTEXT_ITEMS));
    PostClick(setup, IDC_CONTEXT_ITEMS);
    HWND items = WaitFor(run, IsItemsDialog);
    if (!items)
        return Fail("the context menu items dialog did not appear");
    Say("the dialog \"%s\" is open", TitleOf(items));
    Say("  ticked: %s", TickedBoxes(items, IDC_MENU_ITEM_FIRST, IDC_MENU_ITEM_LAST));
    Shot(items, "context-menu-items");
    if (Checked(items, kItemToUntick))
        Click(items, kItemToUntick);
    Click(items, IDOK);
    if (!WaitGone(items))
        return Fail("the context menu items dialog did not close");

    Say("back in the setup options dialog");
    Say("  other options ticked: %s", TickedBoxes(setup, IDC_DESKTOP_LINK, IDC_MENU_ICONS));
    Shot(setup, "setup-options-chosen");
    Click(setup, IDOK);

    HWND done = WaitFor(run, [&](HWND w) { return w != setup && IsDoneDialog(w); });
    if (!done)
        return Fail("the completion dialog did not appear");
    Say("the completion dialog is open: \"%s %s\"", Label(done, 0xFFFF),
        WindowText(GetDlgItem(done, IDC_INSTALL_FOLDER)));
    Shot(done, "completion");
    Say("  clicking \"%s\"", Label(done, IDC_RUN_QUILLO));
    PostClick(done, IDC_RUN_QUILLO);
    HWND quillo = WaitForQuillo();
    if (!quillo)
        return Fail("Quillo did not start");
    Say("Quillo started: a window \"%s\"", TitleOf(quillo));
    Shot(quillo, "quillo");
    Say("  closing Quillo's window");
    PostMessageA(quillo, WM_CLOSE, 0, 0);
    if (!WaitGone(quillo))
        return Fail("Quillo's window did not close");
    Click(done, IDOK);
    return EndOf(run);
}

int DriveUninstall(Process& run)
{
    HWND box = WaitFor(run, IsMessageBox);
    if (!box)
        return Fail("the uninstall asked no question");
    Say("the uninstall asks \"%s\": %s", TitleOf(box), MessageBoxText(box));
    Shot(box, "uninstall-question");
    if (!GetDlgItem(box, IDYES))
        return Fail("the question has no Yes button");
    Click(box, IDYES);
    // After Yes a message means trouble (no list file, for one).
    HWND more = WaitFor(run, [&](HWND w) { return w != box && IsMessageBox(w); });
    if (more) {
        Say("the uninstall shows \"%s\": %s", WindowText(more), MessageBoxText(more));
        Shot(more, "uninstall-message");
        PressButton(more, IDOK);
        EndOf(run);
        return 1;
    }
    return EndOf(run);
}

int Watch(Process& run)
{
    Say("waiting for you: the program's windows are on your display (at most 30 minutes)");
    std::set<HWND> seen;
    long code = -1;
    DWORD start = GetTickCount();
    while ((code = run.Wait(100)) == -1 && GetTickCount() - start < kWatchTimeout) {
        for (HWND w : VisibleWindowsOf(run.Id())) {
            if (seen.insert(w).second) {
                Say("the program shows \"%s\"", WindowText(w));
                Shot(w, "window");
            }
        }
    }
    if (code == -1)
        return Fail("the program did not end within 30 minutes");
    Say("the program ended with exit code %s", std::to_string(code));
    return code == 0 ? 0 : 1;
}

// The folder of the program that a command line starts: the first quoted
// word, or else everything up to ".exe".
std::string FolderOf(const std::string& commandLine)
{
    std::string program = commandLine;
    if (!program.empty() && program[0] == '"')
        program = program.substr(1, program.find('"', 1) - 1);
    else if (program.find(".exe") != std::string::npos)
        program = program.substr(0, program.find(".exe") + 4);
    return program.substr(0, program.find_last_of('\\'));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: demodriver setup|uninstall|watch PROGRAM SHOT-FOLDER [SWITCHES...]\n");
        return 2;
    }
    startTick = GetTickCount();
    std::string mode = argv[1], target = argv[2];
    shotFolder = argv[3];
    std::string args;
    bool silent = false;
    for (int i = 4; i < argc; i++) {
        args += std::string(i > 4 ? " " : "") + argv[i];
        std::string s = argv[i];
        silent = silent || s == "/s" || s == "/S" || s == "-s" || s == "/s1";
    }
    if (mode == "setup")
        shotCount = 0;
    else if (mode == "uninstall")
        shotCount = 10;
    else
        shotCount = 20;

    std::string folder = FolderOf(target);
    // "uninstall" takes the command as it stands: the registry's command,
    // blanks and all, without quotes.
    std::string commandLine = target;
    if (mode != "uninstall")
        commandLine = "\"" + target + "\"" + (args.empty() ? "" : " " + args);
    Say("starting %s (in %s)", commandLine, folder);
    Process run;
    if (!run.Start(commandLine, folder))
        return Fail("the program cannot be started");
    if (mode == "uninstall")
        return DriveUninstall(run);
    if (mode == "watch")
        return Watch(run);
    return DriveSetup(run, silent);
}
