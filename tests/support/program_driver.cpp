#include "program_driver.h"

#include <shellapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

std::string TestProgramFolder()
{
    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (len == 0 || len >= MAX_PATH)
        return "";
    std::string s(path, len);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string BuiltFile(const char* relative)
{
    // Tests live in <build>\tests\.
    std::string folder = TestProgramFolder();
    folder.pop_back();
    folder = folder.substr(0, folder.find_last_of('\\') + 1);
    return folder + relative;
}

ProgramFolder::ProgramFolder(const char* name)
{
    char buf[MAX_PATH];
    snprintf(buf, sizeof buf, "C:\\Program Files\\%s-%lu-%lu", name,
             GetCurrentProcessId(), GetTickCount());
    CreateDirectoryA("C:\\Program Files", NULL);
    CreateDirectoryA(buf, NULL);
    path_ = buf;
}

ProgramFolder::~ProgramFolder()
{
    std::string from = path_;
    from.push_back(0);   // the list ends with two NULs
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationA(&op);
}

std::string ProgramFolder::Add(const std::string& source, const char* name)
{
    std::string dest = path_ + "\\" + name;
    if (!CopyFileA(source.c_str(), dest.c_str(), FALSE))
        return "";
    return dest;
}

RunningProgram::~RunningProgram()
{
    if (info_.hProcess) {
        if (Running())
            TerminateProcess(info_.hProcess, 99);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool RunningProgram::Start(const std::string& exe, const std::string& args,
                           const std::string& folder)
{
    std::string cmd = "\"" + exe + "\"";
    if (!args.empty())
        cmd += " " + args;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    STARTUPINFOA si = {sizeof si};
    return CreateProcessA(exe.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL,
                          folder.empty() ? NULL : folder.c_str(), &si, &info_) != 0;
}

long RunningProgram::Wait(DWORD ms)
{
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return (long)code;
}

bool RunningProgram::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

namespace {

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param)
{
    WindowSearch* search = (WindowSearch*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd))
        search->found.push_back(hwnd);
    return TRUE;
}

} // namespace

std::vector<HWND> VisibleWindowsOf(DWORD pid)
{
    WindowSearch search = {pid, {}};
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.found;
}

HWND WaitForWindow(DWORD pid, const char* className, const char* caption, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND hwnd : VisibleWindowsOf(pid)) {
            if (className && WindowClass(hwnd) != className)
                continue;
            if (caption && WindowText(hwnd) != caption)
                continue;
            return hwnd;
        }
        if (GetTickCount() - start > timeoutMs)
            return NULL;
        Sleep(20);
    }
}

std::string WindowText(HWND hwnd)
{
    char buf[4096] = "";
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, (LPARAM)buf,
                             SMTO_ABORTIFHUNG, 2000, &result))
        return "";
    return buf;
}

std::string WindowClass(HWND hwnd)
{
    char buf[256] = "";
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

std::string MessageBoxText(HWND box)
{
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? WindowText(text) : "";
}

bool PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    if (!button)
        return false;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    return true;
}

std::string SaveScreenshot(HWND hwnd, const char* name, const char* folder)
{
    RECT r;
    if (!GetWindowRect(hwnd, &r))
        return "";
    // Let the window finish painting before it is captured.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    Sleep(200);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return "";
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    GdiFlush();

    std::string path;
    if (folder) {
        path = std::string(folder) + "\\" + name + ".bmp";
    } else {
        std::string shots = BuiltFile("screenshots");
        CreateDirectoryA(shots.c_str(), NULL);
        path = shots + "\\" + TestFamily() + "-" + name + ".bmp";
    }
    DWORD stride = ((DWORD)w * 3 + 3) & ~3u;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * h;
    bool ok = false;
    FILE* f = fopen(path.c_str(), "wb");
    if (f) {
        ok = fwrite(&fh, sizeof fh, 1, f) == 1 &&
             fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             fwrite(bits, stride * h, 1, f) == 1;
        fclose(f);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return ok ? path : "";
}

std::string TestFamily()
{
    const char* family = getenv("QLO_FAMILY");
    if (!family || !*family)
        return "winxp";
    std::string f = family;
    size_t dash = f.find_last_of('-');
    return dash == std::string::npos ? f : f.substr(dash + 1);
}

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    char buf[4096];
    size_t n;
    while (f && (n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    if (f)
        fclose(f);
    return bytes;
}
