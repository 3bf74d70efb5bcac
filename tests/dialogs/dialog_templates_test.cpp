// The three setup dialogs as their templates hold them, and as the dialog
// manager lays them out: every control's id, class, caption, style,
// rectangle and place in the tab order.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"

namespace {

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;

struct Row {
    int id;
    const char* cls;   // "Button", "Static" or a class name
    const char* caption;
    short x, y, cx, cy;
    DWORD style;       // beyond WS_CHILD | WS_VISIBLE
};

const char kExplanation[] =
    "   These options control integration of Quillo into Windows. The first group of options "
    "allows to choose archive types to handle by Quillo. The second group selects places to "
    "add links to the Quillo executable. And the last group controls integration into the "
    "Windows shell. Shell integration provides handy facilities like \"Extract\" item in "
    "archive context menus, so usually there is no reason to disable it.\r\n"
    "   Press \"Help\" button to read more detailed description of these options.";

const std::vector<Row> kSetupRows = {
    {1, "Button", "OK", 111, 209, 50, 14, kPush},
    {-1, "Button", "Associate Quillo with", 7, 5, 127, 132, BS_GROUPBOX},
    {5101, "Button", "&QLO", 16, 21, 37, 12, kCheck},
    {5102, "Button", "&ZIP", 16, 33, 37, 12, kCheck},
    {5103, "Button", "CAB", 16, 45, 37, 12, kCheck},
    {5104, "Button", "ARJ", 16, 57, 37, 12, kCheck},
    {5105, "Button", "LZH", 16, 69, 37, 12, kCheck},
    {5106, "Button", "ACE", 16, 81, 37, 12, kCheck},
    {5107, "Button", "TAR", 80, 21, 37, 12, kCheck},
    {5108, "Button", "GZip", 80, 33, 37, 12, kCheck},
    {5109, "Button", "UUE", 80, 45, 37, 12, kCheck},
    {5110, "Button", "BZ2", 80, 57, 37, 12, kCheck},
    {5111, "Button", "JAR", 80, 69, 37, 12, kCheck},
    {5112, "Button", "ISO", 80, 81, 37, 12, kCheck},
    {-1, "Static", "", 8, 114, 127, 1, SS_ETCHEDHORZ},
    {5119, "Button", "Select &all", 16, 119, 50, 14, kPush},
    {-1, "Button", "Interface", 140, 5, 184, 57, BS_GROUPBOX},
    {5113, "Button", "Add Quillo to &Desktop", 148, 19, 170, 12, kCheck},
    {5114, "Button", "Add Quillo to &Start Menu", 148, 31, 170, 12, kCheck},
    {5115, "Button", "Create Quillo &program group", 148, 43, 170, 12, kCheck},
    {5116, "Button", "&Integrate Quillo into shell", 148, 78, 170, 12, kCheck},
    {-1, "Button", "Shell integration", 140, 65, 184, 72, BS_GROUPBOX},
    {5117, "Button", "Cascaded con&text menus", 148, 90, 170, 12, kCheck},
    {5118, "Button", "Ico&ns in context menus", 148, 102, 170, 12, kCheck},
    {9, "Button", "Help", 169, 209, 50, 14, kPush},
    {-1, "Button", "", 7, 139, 317, 63, BS_GROUPBOX},
    {5120, "RICHEDIT", kExplanation, 12, 147, 306, 50,
     ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP},
    {5121, "Button", "&Context menu items...", 148, 119, 100, 14, kPush},
};

const std::vector<Row> kContextRows = {
    {-1, "Button", "Choose items to display in Explorer context menus", 7, 7, 229, 154, BS_GROUPBOX},
    {101, "Button", "Extr&act files...", 16, 21, 210, 12, kCheck},
    {102, "Button", "E&xtract Here", 16, 33, 210, 12, kCheck},
    {103, "Button", "&Extract to <folder\\>", 16, 45, 210, 12, kCheck},
    {104, "Button", "Extract each archive to &separate folder", 16, 57, 210, 12, kCheck},
    {105, "Button", "Open with Quillo (for SFX archives)", 16, 69, 210, 12, kCheck},
    {106, "Button", "&Add to archive...", 16, 81, 210, 12, kCheck},
    {107, "Button", "Add &to <archive name>", 16, 93, 210, 12, kCheck},
    {108, "Button", "Compress to <archive name> and email", 16, 105, 210, 12, kCheck},
    {109, "Button", "Compress and email...", 16, 117, 210, 12, kCheck},
    {110, "Button", "Test a&rchive", 16, 129, 210, 12, kCheck},
    {111, "Button", "Con&vert archive...", 16, 141, 210, 12, kCheck},
    {1, "Button", "OK", 35, 168, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {2, "Button", "Cancel", 97, 168, 50, 14, kPush},
    {9, "Button", "Help", 158, 168, 50, 14, kPush},
};

const std::vector<Row> kDoneRows = {
    {1, "Button", "Done", 140, 209, 50, 14, kPush},
    {-1, "Static", "Quillo has been successfully installed to the folder", 17, 14, 146, 8,
     SS_LEFT | WS_GROUP},
    {5101, "Static", "", 164, 14, 150, 8, SS_LEFT | WS_GROUP},
    {-1, "Static",
     "Use \"Settings...\" command from the Quillo \"Options\" menu for further customization.",
     17, 33, 297, 16, SS_LEFT | WS_GROUP},
    {-1, "Static",
     "If you installed Quillo for the first time, do not forget to read online help.", 17, 53,
     297, 16, SS_LEFT | WS_GROUP},
    {-1, "Button", "", 8, 2, 314, 125, BS_GROUPBOX},
    {5102, "Button", "&Run Quillo", 11, 134, 60, 14, kPush},
    {5103, "Button", "Read &help", 74, 134, 60, 14, kPush},
    {5104, "Button", "View &license", 136, 134, 60, 14, kPush},
    {5105, "Button", "&Price list", 198, 134, 60, 14, kPush},
    {5106, "Button", "Ho&me page", 259, 134, 60, 14, kPush},
    {-1, "Button", "", 8, 152, 314, 50, BS_GROUPBOX},
    {5107, "Static", "Thank you for using Quillo !", 17, 173, 297, 8, SS_CENTER | WS_GROUP},
};

struct Header {
    const char* name;
    const char* caption;
    short x, y, cx, cy;
    DWORD style;
    const std::vector<Row>* rows;
};

const DWORD kDialogStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
const Header kDialogs[] = {
    {"SETUPDLG", "Quillo Setup", 53, 46, 331, 228, kDialogStyle | DS_CENTER, &kSetupRows},
    {"CONTEXTITEMS", "Context menu items", 42, 45, 243, 188, kDialogStyle, &kContextRows},
    {"DONEDLG", "Quillo Setup", 53, 46, 331, 228, kDialogStyle | DS_CENTER, &kDoneRows},
};

// A reader of a dialog template in its classic (not extended) form.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* p) : p_(p) {}
    WORD Word() { WORD w; memcpy(&w, p_, 2); p_ += 2; return w; }
    DWORD Dword() { DWORD d; memcpy(&d, p_, 4); p_ += 4; return d; }
    short Short() { return (short)Word(); }
    // A wide string (as ANSI), or "#n" for an ordinal.
    std::string NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::wstring w;
        for (WORD c = first; c; c = Word())
            w += (wchar_t)c;
        char buf[2048] = "";
        WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, buf, sizeof buf, NULL, NULL);
        return buf;
    }
    void AlignDword() { p_ = (const BYTE*)(((ULONG_PTR)p_ + 3) & ~(ULONG_PTR)3); }

private:
    const BYTE* p_;
};

std::string ClassOfOrdinal(const std::string& cls)
{
    if (cls == "#128") return "Button";
    if (cls == "#130") return "Static";
    return cls;
}

const BYTE* LoadTemplate(const char* name)
{
    HRSRC res = FindResourceA(GetModuleHandleA(NULL), name, (LPCSTR)RT_DIALOG);
    return res ? (const BYTE*)LockResource(LoadResource(GetModuleHandleA(NULL), res)) : nullptr;
}

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

class DialogTemplates : public ::testing::TestWithParam<Header> {
protected:
    static void SetUpTestSuite() { LoadLibraryA("riched32.dll"); }
};

} // namespace

TEST_P(DialogTemplates, HoldEveryControlAsDesigned)
{
    const Header& d = GetParam();
    const BYTE* raw = LoadTemplate(d.name);
    ASSERT_TRUE(raw != nullptr);
    TemplateReader t(raw);
    EXPECT_EQ(d.style, t.Dword());
    EXPECT_EQ(0u, t.Dword());   // no extended styles
    WORD count = t.Word();
    ASSERT_EQ(d.rows->size(), count);
    EXPECT_EQ(d.x, t.Short());
    EXPECT_EQ(d.y, t.Short());
    EXPECT_EQ(d.cx, t.Short());
    EXPECT_EQ(d.cy, t.Short());
    EXPECT_EQ("", t.NameOrOrdinal());   // menu
    EXPECT_EQ("", t.NameOrOrdinal());   // class
    EXPECT_EQ(d.caption, t.NameOrOrdinal());
    EXPECT_EQ(8, t.Word());
    EXPECT_EQ("MS Sans Serif", t.NameOrOrdinal());
    for (const Row& row : *d.rows) {
        SCOPED_TRACE(std::string(d.name) + " control " + std::to_string(row.id) + " " + row.caption);
        t.AlignDword();
        EXPECT_EQ(kChild | row.style, t.Dword());
        EXPECT_EQ(0u, t.Dword());
        EXPECT_EQ(row.x, t.Short());
        EXPECT_EQ(row.y, t.Short());
        EXPECT_EQ(row.cx, t.Short());
        EXPECT_EQ(row.cy, t.Short());
        EXPECT_EQ((WORD)row.id, t.Word());
        EXPECT_EQ(row.cls, ClassOfOrdinal(t.NameOrOrdinal()));
        EXPECT_EQ(row.caption, t.NameOrOrdinal());
        EXPECT_EQ(0, t.Word());   // no creation data
    }
}

TEST_P(DialogTemplates, LayOutAsDesignedInTabOrder)
{
    const Header& d = GetParam();
    HWND dlg = CreateDialogParamA(GetModuleHandleA(NULL), d.name, NULL, PlainProc, 0);
    ASSERT_TRUE(dlg != NULL) << GetLastError();
    char text[2048];
    GetWindowTextA(dlg, text, sizeof text);
    EXPECT_STREQ(d.caption, text);

    std::vector<HWND> tabStops;
    size_t i = 0;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), i++) {
        ASSERT_LT(i, d.rows->size());
        const Row& row = (*d.rows)[i];
        SCOPED_TRACE(std::string(d.name) + " control " + std::to_string(row.id) + " " + row.caption);
        EXPECT_EQ(row.id, (short)GetDlgCtrlID(c));
        // The dialog manager converts position and size each on its own,
        // as MapDialogRect converts each field.
        RECT want = {row.x, row.y, row.cx, row.cy};
        MapDialogRect(dlg, &want);
        RECT got;
        GetWindowRect(c, &got);
        MapWindowPoints(HWND_DESKTOP, dlg, (POINT*)&got, 2);
        EXPECT_EQ(want.left, got.left);
        EXPECT_EQ(want.top, got.top);
        // An etched line is drawn by the static control itself, which
        // sizes its window to the edge it draws; its template size stays
        // checked above.
        if (row.style != SS_ETCHEDHORZ) {
            EXPECT_EQ(want.right, got.right - got.left);
            EXPECT_EQ(want.bottom, got.bottom - got.top);
        }
        SendMessageA(c, WM_GETTEXT, sizeof text, (LPARAM)text);
        EXPECT_STREQ(row.caption, text);
        if (row.style & WS_TABSTOP)
            tabStops.push_back(c);
    }
    EXPECT_EQ(d.rows->size(), i);

    // Tab walks the controls in template order and comes round again.
    ASSERT_FALSE(tabStops.empty());
    HWND at = tabStops[0];
    for (size_t k = 1; k <= tabStops.size(); k++) {
        at = GetNextDlgTabItem(dlg, at, FALSE);
        EXPECT_EQ(tabStops[k % tabStops.size()], at) << "tab stop " << k;
    }
    DestroyWindow(dlg);
}

INSTANTIATE_TEST_SUITE_P(Setup, DialogTemplates, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<Header>& info) {
                             return std::string(info.param.name);
                         });
