// Stand-in for the Quillo archiver: one plain window that says which
// document it was asked to open and where it lives. Links, the file-type
// open command ("Quillo.exe" "%1") and the completion dialog's start button
// all start this program, so a person or a test can see that they work.
#include <windows.h>

namespace {

const char kClassName[] = "QuilloStandIn";
const char kTitle[] = "Quillo";
const int kTextId = 100;

template <typename T, size_t N>
char (&ArraySizeHelper(T (&)[N]))[N];
#define ARRAY_SIZE(a) (sizeof(ArraySizeHelper(a)))

// Appends s to the string in buf; false when it had to be cut short. The
// result always ends in a NUL.
bool BufAppend(char* buf, size_t size, const char* s)
{
    size_t len = lstrlenA(buf);
    while (*s && len + 1 < size)
        buf[len++] = *s++;
    buf[len] = 0;
    return *s == 0;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

// The document from the command line: blanks around it and one pair of
// surrounding quotes removed, as the shell's "%1" puts them.
void GetDocument(char* buf, size_t size, const char* cmdLine)
{
    buf[0] = 0;
    while (IsSpace(*cmdLine))
        cmdLine++;
    if (*cmdLine == '"')
        cmdLine++;
    BufAppend(buf, size, cmdLine);
    // Quotes and blanks are never the trail byte of a double-byte
    // character, so they can be cut from the end byte by byte.
    size_t len = lstrlenA(buf);
    while (len > 0 && IsSpace(buf[len - 1]))
        buf[--len] = 0;
    if (len > 0 && buf[len - 1] == '"')
        buf[--len] = 0;
}

// This program's folder, without the trailing backslash; "" if its path
// does not fit.
void GetOwnFolder(char* buf, size_t size)
{
    DWORD len = GetModuleFileNameA(NULL, buf, (DWORD)size);
    if (len == 0 || len >= size) {
        buf[0] = 0;
        return;
    }
    // Walk by characters: a trail byte may equal '\' in code page 932.
    char* lastSlash = NULL;
    for (char* p = buf; *p; p = CharNextA(p))
        if (*p == '\\')
            lastSlash = p;
    if (lastSlash)
        *lastSlash = 0;
}

void OnSize(HWND hwnd)
{
    RECT r;
    GetClientRect(hwnd, &r);
    const int margin = 12;
    MoveWindow(GetDlgItem(hwnd, kTextId), margin, margin, r.right - 2 * margin,
               r.bottom - 2 * margin, TRUE);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        OnSize(hwnd);
        return 0;
    case WM_CTLCOLORSTATIC:
        // The text sits on the window's own background.
        SetBkColor((HDC)wParam, GetSysColor(COLOR_WINDOW));
        return (LRESULT)GetSysColorBrush(COLOR_WINDOW);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int show)
{
    char document[MAX_PATH * 2];
    GetDocument(document, ARRAY_SIZE(document), cmdLine ? cmdLine : "");
    char folder[MAX_PATH];
    GetOwnFolder(folder, ARRAY_SIZE(folder));

    char caption[MAX_PATH * 2 + 16];
    caption[0] = 0;
    BufAppend(caption, ARRAY_SIZE(caption), kTitle);
    if (document[0]) {
        BufAppend(caption, ARRAY_SIZE(caption), " - ");
        BufAppend(caption, ARRAY_SIZE(caption), document);
    }

    char text[MAX_PATH * 4];
    text[0] = 0;
    BufAppend(text, ARRAY_SIZE(text),
              "This is a stand-in for the Quillo archiver.\r\n\r\nDocument to open: ");
    BufAppend(text, ARRAY_SIZE(text), document[0] ? document : "no document");
    BufAppend(text, ARRAY_SIZE(text), "\r\n\r\nProgram folder: ");
    BufAppend(text, ARRAY_SIZE(text), folder);
    BufAppend(text, ARRAY_SIZE(text), "\r\n\r\nPress Esc to close.");

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc))
        return 1;

    HWND hwnd = CreateWindowExA(0, kClassName, caption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 520, 240, NULL, NULL, instance, NULL);
    if (!hwnd)
        return 1;
    HWND label = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                 0, 0, 0, 0, hwnd, (HMENU)(INT_PTR)kTextId, instance, NULL);
    SendMessageA(label, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    OnSize(hwnd);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        // Esc closes the window whichever of its windows has the focus.
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
