// The three setup dialogs as a person sees them, in English, through the
// sample language library and the sample language file, mirrored right to
// left and scaled: each variant is run from a program folder of its own,
// every dialog is captured, and a few texts and measures show that the
// variant took effect.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <ostream>
#include <string>
#include <vector>

#include "lang/text_key.h"
#include "program_driver.h"
#include "resource.h"
#include "sample_installation.h"
#include "uninstall/uninstall.h"

namespace {

const DWORD kWindowTimeout = 60000;
const int kScaleX = 130, kScaleY = 115;

enum Translation { kEnglish, kLibrary, kSampleFile, kRightToLeft, kScaled };

// What a variant shows: the texts of the dialogs' captions and of one
// control each, as the program's ANSI code page (1252) spells them.
struct Variant {
    const char* testName;
    const char* name;   // of the screenshots: "setup-NAME"...
    Translation translation;
    const char* setupCaption;
    const char* contextItemsButton;
    const char* itemsCaption;
    const char* runQuilloButton;
};

const Variant kVariants[] = {
    {"English", "en", kEnglish, "Quillo Setup", "&Context menu items...", "Context menu items", "&Run Quillo"},
    {"German", "de", kLibrary, "Quillo einrichten", "&Eintr\xE4ge im Kontextmen\xFC...",
     "Eintr\xE4ge im Kontextmen\xFC", "Quillo &starten"},
    {"French", "fr", kSampleFile, "Configuration de Quillo", "\xC9l\xE9ments de &menu...",
     "\xC9l\xE9ments des menus contextuels", "&Lancer Quillo"},
    {"RightToLeft", "rtl", kRightToLeft, "Quillo Setup", "&Context menu items...", "Context menu items", "&Run Quillo"},
    {"Scaled", "scaled", kScaled, "Quillo Setup", "&Context menu items...", "Context menu items", "&Run Quillo"},
};

// Names the case in gtest's messages instead of the struct's bytes.
void PrintTo(const Variant& v, std::ostream* os)
{
    *os << v.testName;
}

std::string ScaleEntry(const char* dialog)
{
    char key[kTextKeyLength + 1];
    ComputeTextKey(key, kDialogText, dialog, "");
    char line[64];
    snprintf(line, sizeof line, "%s=\"%d*%d\"", key, kScaleX, kScaleY);
    return line;
}

bool WriteLanguageFile(const std::string& path, const std::vector<std::string>& entries)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    fputs("***messages***\r\n", f);
    for (const std::string& e : entries)
        fprintf(f, "%s\r\n", e.c_str());
    return fclose(f) == 0;
}

INT_PTR CALLBACK IdleDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// The client size of a dialog of the program's own resources, created in
// this process with the same font: what the program shows unscaled.
SIZE PlainClientSize(const char* dialog)
{
    LoadLibraryA("riched32.dll");
    HWND w = CreateDialogParamA(GetModuleHandleA(NULL), dialog, NULL, IdleDialogProc, 0);
    RECT r = {};
    GetClientRect(w, &r);
    DestroyWindow(w);
    return {r.right, r.bottom};
}

SIZE ClientSize(HWND w)
{
    RECT r = {};
    GetClientRect(w, &r);
    return {r.right, r.bottom};
}

bool Mirrored(HWND w)
{
    return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
}

// The visible window of process pid that has a control with id and none
// with notId, polled until timeoutMs; NULL if none came. The dialogs are
// told apart this way because their captions are translated.
HWND WaitForDialogWith(DWORD pid, int id, int notId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND w : VisibleWindowsOf(pid))
            if (GetDlgItem(w, id) && !(notId && GetDlgItem(w, notId)))
                return w;
        if (GetTickCount() - start > timeoutMs)
            return NULL;
        Sleep(20);
    }
}

bool WaitUntilGone(HWND w, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(w)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

class SetupScreenshots : public ::testing::TestWithParam<Variant> {
protected:
    SetupScreenshots() : folder_(sample_.Folder()), exe_(sample_.Program()) {}

    // Puts the variant's language library or language file beside the program.
    bool Translate(Translation translation)
    {
        std::string lng = folder_.Path() + "\\uninstall.lng";
        switch (translation) {
        case kEnglish:
            return true;
        case kLibrary:
            return !folder_.Add(BuiltFile("bin\\qlolng.dll"), "qlolng.dll").empty();
        case kSampleFile:
            return !folder_.Add(QLO_SOURCE_DIR "\\res\\lang\\uninstall.lng", "uninstall.lng").empty();
        case kRightToLeft:
            return WriteLanguageFile(lng, {"50a17ae8=\"RTL\""});
        case kScaled:
            return WriteLanguageFile(lng, {ScaleEntry("SETUPDLG"), ScaleEntry("CONTEXTITEMS"),
                                           ScaleEntry("DONEDLG")});
        }
        return false;
    }

    // Checks what shows that the variant took effect on dialog.
    void ExpectVariant(HWND w, const char* dialog, const char* caption)
    {
        SCOPED_TRACE(dialog);
        const Variant& v = GetParam();
        EXPECT_EQ(caption, WindowText(w));
        EXPECT_EQ(v.translation == kRightToLeft, Mirrored(w));
        SIZE plain = PlainClientSize(dialog), seen = ClientSize(w);
        if (v.translation == kScaled) {
            // The frame is measured one pixel short, so the client area gains one.
            EXPECT_EQ(plain.cx * kScaleX / 100 + 1, seen.cx);
            EXPECT_EQ(plain.cy * kScaleY / 100 + 1, seen.cy);
        } else {
            EXPECT_EQ(plain.cx, seen.cx);
            EXPECT_EQ(plain.cy, seen.cy);
        }
    }

    std::string Shot(const char* dialog) const
    {
        return std::string(dialog) + "-" + GetParam().name;
    }

    SampleInstallation sample_;
    ProgramFolder& folder_;
    const std::string& exe_;
    RunningProgram run_;
};

} // namespace

TEST_P(SetupScreenshots, ShowsEveryDialog)
{
    const Variant& v = GetParam();
    ASSERT_TRUE(Translate(v.translation));
    ASSERT_TRUE(run_.Start(exe_, "/setup", folder_.Path()));

    HWND setup = WaitForDialogWith(run_.Id(), IDC_CONTEXT_ITEMS, 0, kWindowTimeout);
    ASSERT_TRUE(setup != NULL);
    EXPECT_NE("", SaveScreenshot(setup, Shot("setup").c_str()));
    ExpectVariant(setup, "SETUPDLG", v.setupCaption);
    EXPECT_EQ(v.contextItemsButton, WindowText(GetDlgItem(setup, IDC_CONTEXT_ITEMS)));

    // The button opens its dialog in a modal loop of its own: posted, so
    // that the test goes on while it is open.
    PostMessageA(setup, WM_COMMAND, MAKEWPARAM(IDC_CONTEXT_ITEMS, BN_CLICKED),
                 (LPARAM)GetDlgItem(setup, IDC_CONTEXT_ITEMS));
    HWND items = WaitForDialogWith(run_.Id(), IDC_MENU_ITEM_LAST, 0, kWindowTimeout);
    ASSERT_TRUE(items != NULL);
    EXPECT_NE("", SaveScreenshot(items, Shot("context-items").c_str()));
    ExpectVariant(items, "CONTEXTITEMS", v.itemsCaption);
    PostMessageA(items, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(items, kWindowTimeout));

    PressButton(setup, IDOK);
    HWND done = WaitForDialogWith(run_.Id(), IDC_RUN_QUILLO, IDC_CONTEXT_ITEMS, kWindowTimeout);
    ASSERT_TRUE(done != NULL);
    EXPECT_NE("", SaveScreenshot(done, Shot("done").c_str()));
    ExpectVariant(done, "DONEDLG", v.setupCaption);
    EXPECT_EQ(v.runQuilloButton, WindowText(GetDlgItem(done, IDC_RUN_QUILLO)));
    EXPECT_EQ(folder_.Path(), WindowText(GetDlgItem(done, IDC_INSTALL_FOLDER)));
    // The home page is the message string's text: the German library and
    // the French file give addresses of their own.
    PostMessageA(done, WM_COMMAND, IDC_HOME_PAGE, 0);
    const std::string home = v.translation == kSampleFile ? "\"https://www.quillo.example/fr/\""
                             : v.translation == kLibrary  ? "\"https://www.quillo.example/de/\""
                                                          : "\"https://www.quillo.example/\"";
    std::string log;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000 && log.find(home) == std::string::npos;
         Sleep(50))
        log = ReadFileBytes(sample_.OpenLog());
    EXPECT_NE(std::string::npos, log.find(home)) << log;
    PressButton(done, IDOK);
    EXPECT_EQ(0, run_.Wait(kWindowTimeout));
}

INSTANTIATE_TEST_SUITE_P(Variants, SetupScreenshots, ::testing::ValuesIn(kVariants),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                             return std::string(info.param.testName);
                         });
