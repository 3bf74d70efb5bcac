// Dialogs built for the test, shown for real: what DialogCommon makes of
// their texts, their layout and their help.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "lang/dialog_common.h"
#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "program_driver.h"
#include "table_fixture.h"

namespace {

struct Control {
    int id;
    std::string text;
    RECT rect;   // in the dialog's client coordinates
    int dropHeight;   // a combo box's drop-down rectangle's height
};

struct DialogSeen {
    RECT client;
    LONG exStyle;
    std::string title;
    std::vector<Control> controls;
};

struct DialogRun {
    const char* name;
    DWORD help;
    int extraChildren;
    std::function<void(HWND)> whileOpen;
    DialogSeen seen;
};

// The run of the dialog being shown: WM_SETFONT comes before the dialog
// receives its parameter, so the procedure takes it from here.
DialogRun* pendingRun = nullptr;

INT_PTR CALLBACK TestDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    DialogRun* run = pendingRun;
    if (!run)
        return FALSE;
    if (msg == WM_SETFONT) {
        for (int i = 0; i < run->extraChildren; i++)
            CreateWindowA("STATIC", "c", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, dlg,
                          (HMENU)(INT_PTR)(1000 + i), NULL, NULL);
    }
    DialogCommon(dlg, msg, wp, lp, run->name, run->help);
    if (msg != WM_INITDIALOG)
        return FALSE;
    DialogSeen& s = run->seen;
    GetClientRect(dlg, &s.client);
    s.exStyle = GetWindowLongA(dlg, GWL_EXSTYLE);
    s.title = WindowText(dlg);
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        Control k = {GetDlgCtrlID(c), WindowText(c), {}, 0};
        RECT drop = {};
        if (WindowClass(c) == "ComboBox") {
            SendMessageA(c, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&drop);
            k.dropHeight = drop.bottom - drop.top;
        }
        GetWindowRect(c, &k.rect);
        MapWindowPoints(HWND_DESKTOP, dlg, (POINT*)&k.rect, 2);
        s.controls.push_back(k);
    }
    if (run->whileOpen)
        run->whileOpen(dlg);
    EndDialog(dlg, 1);
    return TRUE;
}

DialogSeen Show(const char* name, DWORD help = 0, int extraChildren = 0,
                std::function<void(HWND)> whileOpen = nullptr)
{
    DialogRun run = {name, help, extraChildren, whileOpen, {}};
    pendingRun = &run;
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(NULL), name, NULL, TestDialogProc, 0);
    pendingRun = nullptr;
    EXPECT_EQ(1, r) << "the dialog did not open";
    return run.seen;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramModule = ResourceModule = GetModuleHandleA(NULL);
        ClearTable();
    }
    void TearDown() override { ClearTable(); }
    static void ClearTable()
    {
        free(LanguageTable.text);
        LanguageTable.text = nullptr;
        LanguageTable.textLength = 0;
        LanguageTable.index.count = 0;
        LanguageTable.rightToLeft = 0;
    }
    static void Use(const std::vector<std::string>& entries)
    {
        ClearTable();
        std::vector<std::string> lines = {"***messages***"};
        lines.insert(lines.end(), entries.begin(), entries.end());
        FillTable(LanguageTable, lines);
    }
};

std::string DialogEntry(const char* dialog, const char* text, const char* translation)
{
    return Key(kDialogText, dialog, text) + "=\"" + translation + "\"";
}

const Control* Find(const DialogSeen& s, int id)
{
    for (const Control& c : s.controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

} // namespace

TEST_F(DialogTest, WithoutATableNothingChanges)
{
    DialogSeen a = Show("TESTDLG");
    DialogSeen b = Show("TESTDLG");
    EXPECT_EQ("Test dialog", a.title);
    ASSERT_EQ(5u, a.controls.size());
    EXPECT_EQ("OK", Find(a, IDOK)->text);
    EXPECT_EQ(0, a.exStyle & WS_EX_LAYOUTRTL);
    for (size_t i = 0; i < a.controls.size(); i++)
        EXPECT_TRUE(EqualRect(&a.controls[i].rect, &b.controls[i].rect));
}

TEST_F(DialogTest, TextsAreTranslatedPerDialog)
{
    Use({DialogEntry("TESTDLG", "OK", "Weiter"), DialogEntry("TESTDLG", "Test dialog", "Testdialog"),
         DialogEntry("TESTDLG", "&Help", "&Hilfe"), DialogEntry("OTHERDLG", "Other", "Andere")});
    DialogSeen test = Show("TESTDLG");
    EXPECT_EQ("Testdialog", test.title);
    EXPECT_EQ("Weiter", Find(test, IDOK)->text);
    EXPECT_EQ("&Hilfe", Find(test, IDHELP)->text);
    EXPECT_EQ("Hello", Find(test, 100)->text);
    DialogSeen other = Show("OTHERDLG");
    EXPECT_EQ("Andere", other.title);
    EXPECT_EQ("OK", Find(other, IDOK)->text);   // "OK" is keyed to TESTDLG only
}

TEST_F(DialogTest, AScaleOf150By100WidensTheDialogAndItsControls)
{
    DialogSeen plain = Show("TESTDLG");
    Use({Key(kDialogText, "TESTDLG", "") + "=\"150*100\""});
    DialogSeen wide = Show("TESTDLG");
    // The frame is measured one pixel short, so the client area gains one.
    EXPECT_EQ(plain.client.right * 150 / 100 + 1, wide.client.right);
    EXPECT_EQ(plain.client.bottom + 1, wide.client.bottom);
    for (const Control& p : plain.controls) {
        SCOPED_TRACE(p.id);
        const Control* w = Find(wide, p.id);
        ASSERT_TRUE(w != nullptr);
        int width = p.rect.right - p.rect.left, height = p.rect.bottom - p.rect.top;
        EXPECT_EQ((width + 1) * 150 / 100, w->rect.right - w->rect.left);
        EXPECT_NEAR(p.rect.left * 150 / 100, w->rect.left, 2);
        EXPECT_NEAR(p.rect.top, w->rect.top, 1);
        if (p.id != 101) {
            EXPECT_EQ(height + 1, w->rect.bottom - w->rect.top);
        } else {
            // A drop-down combo box keeps its visible height; its list grows
            // by the list's own scaled height.
            EXPECT_GT(w->dropHeight, p.dropHeight + 1);
        }
    }
}

TEST_F(DialogTest, ScalesThatDoNotScale)
{
    DialogSeen plain = Show("TESTDLG");
    for (const char* scale : {"100*100", "120", ""}) {
        SCOPED_TRACE(scale);
        Use({Key(kDialogText, "TESTDLG", "") + "=\"" + scale + "\""});
        DialogSeen same = Show("TESTDLG");
        EXPECT_TRUE(EqualRect(&plain.client, &same.client));
        for (size_t i = 0; i < plain.controls.size(); i++)
            EXPECT_TRUE(EqualRect(&plain.controls[i].rect, &same.controls[i].rect));
    }
    int sx = 0, sy = 0;
    Use({Key(kDialogText, "TESTDLG", "") + "=\" 120*-5x\""});
    EXPECT_TRUE(LanguageTable.GetScale("TESTDLG", &sx, &sy));
    EXPECT_EQ(120, sx);
    EXPECT_EQ(-5, sy);
    Use({Key(kDialogText, "TESTDLG", "") + "=\"*99999999999999\""});
    EXPECT_TRUE(LanguageTable.GetScale("TESTDLG", &sx, &sy));
    EXPECT_EQ(0, sx);
}

TEST_F(DialogTest, RightToLeftMirrorsEveryDialog)
{
    LanguageTable.rightToLeft = 1;
    EXPECT_NE(0, Show("OTHERDLG").exStyle & WS_EX_LAYOUTRTL);
    LanguageTable.rightToLeft = 0;
    EXPECT_EQ(0, Show("OTHERDLG").exStyle & WS_EX_LAYOUTRTL);
}

TEST_F(DialogTest, OnlyThe512FirstChildrenAreTranslated)
{
    Use({DialogEntry("MANYDLG", "c", "C")});
    DialogSeen many = Show("MANYDLG", 0, 520);
    ASSERT_EQ(520u, many.controls.size());
    int translated = 0;
    for (const Control& c : many.controls)
        translated += c.text == "C";
    EXPECT_EQ(512, translated);
    EXPECT_EQ("C", many.controls[511].text);
    EXPECT_EQ("c", many.controls[512].text);
}

namespace {

// Stands in for the help viewer: WinHelpA hands a running viewer its
// request through WM_COPYDATA.
std::vector<std::string> helpRequests;

LRESULT CALLBACK HelpViewerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COPYDATA) {
        const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)lp;
        // The request: size, command, data, extra, file name offset...
        struct WinHelpRequest { WORD size, command; LONG data; DWORD extra; WORD ofsFile, ofsData; };
        const WinHelpRequest* req = (const WinHelpRequest*)cds->lpData;
        std::string file = req->ofsFile ? (const char*)req + req->ofsFile : "";
        helpRequests.push_back(std::to_string(req->command) + " " + std::to_string(req->data) +
                               " " + file);
        return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

TEST_F(DialogTest, HelpOpensTheDialogsTopic)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HelpViewerProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "MS_WINHELP";
    RegisterClassA(&wc);
    HWND viewer = CreateWindowA("MS_WINHELP", "viewer", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(viewer != NULL);

    helpRequests.clear();
    Show("TESTDLG", 4288, 0, [](HWND dlg) {
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDHELP, 1), 0);   // a notification code too
        HELPINFO info = {sizeof info};
        SendMessageA(dlg, WM_HELP, 0, (LPARAM)&info);
        SendMessageA(dlg, WM_COMMAND, IDOK, 0);   // not help
    });
    std::vector<std::string> expected = {"1 4288 quillo.hlp", "1 4288 quillo.hlp"};
    EXPECT_EQ(expected, helpRequests);

    helpRequests.clear();
    Show("OTHERDLG", kNoHelp, 0, [](HWND dlg) {
        SendMessageA(dlg, WM_COMMAND, IDHELP, 0);
        HELPINFO info = {sizeof info};
        SendMessageA(dlg, WM_HELP, 0, (LPARAM)&info);
    });
    EXPECT_TRUE(helpRequests.empty());
    DestroyWindow(viewer);
}
