// Drives uninstall.exe as a person would: from a program folder of the
// test's own making, finding the windows it shows, reading their texts and
// pressing their buttons.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Folder of this test program, with a trailing backslash.
std::string TestProgramFolder();
// A file built by the project: "bin\\uninstall.exe", "tests\\langprobe.exe"...
// (relative to the build folder).
std::string BuiltFile(const char* relative);

// A fresh folder under "C:\Program Files", deleted with its contents when
// the object goes.
class ProgramFolder {
public:
    explicit ProgramFolder(const char* name);
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Copies source into the folder as name; returns the new file's path.
    std::string Add(const std::string& source, const char* name);

private:
    std::string path_;
};

// A started program; ended by force if it still runs when the object goes.
class RunningProgram {
public:
    RunningProgram() = default;
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Starts "exe" args in folder; false when it cannot start.
    bool Start(const std::string& exe, const std::string& args, const std::string& folder);
    // Waits up to ms for the end; the exit code, or -1 on a time-out.
    long Wait(DWORD ms);
    bool Running() const;
    DWORD Id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
};

// The visible top-level window of process pid with this class and caption
// (null for any), polled every 20 ms until timeoutMs; NULL if none came.
HWND WaitForWindow(DWORD pid, const char* className, const char* caption, DWORD timeoutMs);
// Every visible top-level window of process pid.
std::vector<HWND> VisibleWindowsOf(DWORD pid);

// The text of a window of another process (WM_GETTEXT, with a time-out).
std::string WindowText(HWND hwnd);
// The class name of a window.
std::string WindowClass(HWND hwnd);
// The message text of a message box (its static control 0xFFFF).
std::string MessageBoxText(HWND box);
// Presses the button with id in dialog (BM_CLICK); false when it is missing.
bool PressButton(HWND dialog, int id);

// Saves what a person sees of hwnd (a screen capture of its rectangle) as
// a BMP in folder, or in the build's screenshots folder (the name then
// prefixed with the family); returns the file's path, or "" on failure. The
// scripts turn them into PNG files.
std::string SaveScreenshot(HWND hwnd, const char* name, const char* folder = nullptr);

// The whole content of a file; "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// The family the test runs under: "win98" or "winxp" (from QLO_FAMILY).
std::string TestFamily();
