// Translating, scaling and mirroring dialogs, and opening their help.
#include "lang/dialog_common.h"
#include "lang/language_table.h"

#include <stdlib.h>
#include <string.h>

#include "util/buffers.h"
#include "util/text.h"

namespace {

const size_t kScaleSize = 512;
const size_t kDialogTextSize = 1024;
const int kMaxChildren = 512;
const char kHelpFile[] = "quillo.hlp";

// Reads a number as atol does (blanks, a sign, digits up to the first
// non-digit; none is 0), but clamped instead of overflowing.
long ReadPercentage(const char* text)
{
    long long value = strtol(text, NULL, 10);
    if (value > 100000)
        value = 100000;
    if (value < -100000)
        value = -100000;
    return (long)value;
}

// value * percent / 100, truncated toward zero. The percentages are
// bounded, so this stays well inside 64 bits; the result is clamped to int.
int Scale(int value, int percent)
{
    long long scaled = (long long)value * percent / 100;
    if (scaled > 0x7FFFFFFF)
        scaled = 0x7FFFFFFF;
    if (scaled < -0x7FFFFFFF)
        scaled = -0x7FFFFFFF;
    return (int)scaled;
}

void TranslateWindowText(const LanguageResources& table, HWND window, const char* dialogName,
                         bool evenWhenEmpty)
{
    char text[kDialogTextSize];
    text[0] = 0;
    GetWindowTextA(window, text, ARRAY_SIZE(text));
    if (text[0] == 0 && !evenWhenEmpty)
        return;
    table.Translate(text, ARRAY_SIZE(text), text, dialogName, kDialogText);
    SetWindowTextA(window, text);
}

bool IsDropDownCombo(HWND window)
{
    char className[kDialogTextSize];
    className[0] = 0;
    GetClassNameA(window, className, ARRAY_SIZE(className));
    return CompareTextNoCase(className, "COMBOBOX") == 0 &&
           (GetWindowLongA(window, GWL_STYLE) & 3) != CBS_SIMPLE;
}

} // namespace

bool LanguageResources::GetScale(const char* dialogName, int* sx, int* sy) const
{
    char scale[kScaleSize];
    Translate(scale, ARRAY_SIZE(scale), "", dialogName, kDialogText);
    const char* star = strchr(scale, '*');
    if (star) {
        *sx = (int)ReadPercentage(scale);
        *sy = (int)ReadPercentage(star + 1);
    } else {
        *sx = 100;
        *sy = 100;
    }
    return *sx != 100 || *sy != 100;
}

void LanguageResources::ApplyDirection(HWND dialog) const
{
    if (rightToLeft == 1)
        SetWindowLongA(dialog, GWL_EXSTYLE, GetWindowLongA(dialog, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
}

void LanguageResources::Localize(HWND dialog, const char* dialogName) const
{
    int sx, sy;
    bool scaled = GetScale(dialogName, &sx, &sy);

    RECT w, c;
    GetWindowRect(dialog, &w);
    GetClientRect(dialog, &c);
    // The + 1 belongs to these formulas, as in the control sizes below.
    int frameWidth = (w.right - w.left + 1) - c.right;
    int frameHeight = (w.bottom - w.top + 1) - c.bottom;
    if (scaled) {
        SetWindowPos(dialog, NULL, 0, 0, Scale(c.right, sx) + frameWidth,
                     Scale(c.bottom, sy) + frameHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
    }

    TranslateWindowText(*this, dialog, dialogName, true);

    // From here frameHeight is the distance from the window's top edge to
    // the client area, and frameWidth / 2 the width of the left border.
    frameHeight -= GetSystemMetrics(SM_CYDLGFRAME);

    HWND first = GetWindow(dialog, GW_CHILD);
    HWND child = first;
    for (int n = 0; child && n < kMaxChildren; n++) {
        TranslateWindowText(*this, child, dialogName, false);
        if (scaled) {
            RECT r;
            GetWindowRect(child, &r);
            int x = Scale(r.left - w.left - frameWidth / 2, sx);
            int y = Scale(r.top - w.top - frameHeight, sy);
            int width = Scale(r.right - r.left + 1, sx);
            int height = Scale(r.bottom - r.top + 1, sy);
            if (IsDropDownCombo(child)) {
                RECT list = {};
                SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&list);
                height += Scale(list.bottom - list.top + 1, sy);
            }
            SetWindowPos(child, NULL, x, y, width, height, SWP_NOZORDER | SWP_NOOWNERZORDER);
        }
        child = GetWindow(child, GW_HWNDNEXT);
        if (child == first)
            break;
    }
}

void DialogCommon(HWND dialog, UINT message, WPARAM wParam, LPARAM, const char* dialogName,
                  DWORD helpContext)
{
    switch (message) {
    case WM_SETFONT:
        // Sent while the dialog is created, before its controls exist.
        LanguageTable.ApplyDirection(dialog);
        break;
    case WM_INITDIALOG:
        LanguageTable.Localize(dialog, dialogName);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDHELP && helpContext != kNoHelp)
            WinHelpA(dialog, kHelpFile, HELP_CONTEXT, helpContext);
        break;
    case WM_HELP:
        if (helpContext != kNoHelp)
            WinHelpA(dialog, kHelpFile, HELP_CONTEXT, helpContext);
        break;
    }
}
