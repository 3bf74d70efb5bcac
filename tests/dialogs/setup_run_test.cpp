// The setup run, driven as a person would drive it: uninstall.exe /setup
// from a program folder of the test's making, its dialogs found on the
// display, their boxes clicked and their buttons pressed; then the saved
// choices, the registry and what the shell was asked to open.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "dialogs/context_items_dialog.h"
#include "dialogs/setup_dialog.h"
#include "integration/setup_options.h"
#include "integration/shortcuts.h"
#include "program_driver.h"
#include "registry/registry.h"
#include "registry_snapshot.h"
#include "resource.h"
#include "sample_installation.h"
#include "uninstall/uninstall.h"

namespace {

const DWORD kWindowTimeout = 60000;
const char kSetupCaption[] = "Quillo Setup";
const char kItemsCaption[] = "Context menu items";

bool Checked(HWND dlg, int id)
{
    return SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Enabled(HWND dlg, int id)
{
    return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE;
}

// A click whose handler runs a modal loop of its own: posted, so that the
// test does not wait for the loop to end.
void PostClick(HWND dlg, int id)
{
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}

// The ways a person closes a dialog without its OK button.
enum CloseWay { kEscape, kCloseBox, kCancelCommand };

void CloseBy(HWND dlg, CloseWay way)
{
    switch (way) {
    case kEscape: {
        // The dialog manager turns Esc on a control into IDCANCEL.
        HWND focus = GetDlgItem(dlg, IDOK);
        PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        break;
    }
    case kCloseBox:
        PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case kCancelCommand:
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        break;
    }
}

// Dispatches this thread's messages (a hidden help viewer's among them)
// until done() or the time is up.
template <typename Done>
bool PumpUntil(DWORD ms, Done done)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
    return true;
}

// Every tree a setup run writes in: the product key; under
// HKEY_CLASSES_ROOT the extensions, Quillo's classes, the shell extension's
// class and the shell's shared classes; under HKEY_LOCAL_MACHINE the
// application paths, the list of installed programs and the approved shell
// extensions. (Whole-root comparisons belong to the integration tests; the
// trees here keep each run quick.)
struct SetupState {
    std::vector<RegSnapshot> trees;

    SetupState()
    {
        static const char* const kClassTrees[] = {
            "Quillo", "Quillo.ZIP", "Quillo.REV", ".rev", "*", "Folder", "Directory", "Drive",
            "exefile", "CLSID\\{6D92E0A7-35C1-4B8F-9A2D-70E5C3B1F846}",
        };
        static const char* const kMachineTrees[] = {
            "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
            "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
        };
        trees.push_back(SnapshotRegistry(HKEY_CURRENT_USER, "Software\\Quillo"));
        for (const char* tree : kClassTrees)
            Add(HKEY_CLASSES_ROOT, tree);
        for (int row = 0; row < kArchiveTypeCount; row++) {
            const char* cursor = kArchiveTypes[row].extensions;
            char ext[kExtensionSize];
            while (NextExtension(&cursor, ext, sizeof ext))
                Add(HKEY_CLASSES_ROOT, ext);
        }
        for (int volume = 0; volume < 100; volume++) {
            char ext[8];
            snprintf(ext, sizeof ext, ".q%02d", volume);
            Add(HKEY_CLASSES_ROOT, ext);
        }
        for (const char* tree : kMachineTrees)
            Add(HKEY_LOCAL_MACHINE, tree);
    }
    void Add(HKEY root, const char* path) { trees.push_back(SnapshotRegistry(root, path)); }
};

std::string Differences(const SetupState& before, const SetupState& after)
{
    std::string all;
    for (size_t i = 0; i < before.trees.size() && i < after.trees.size(); i++)
        all += RegistryDifferences(before.trees[i], after.trees[i]);
    return all;
}

// The differences without what the removal leaves on purpose: the keys of
// the shell's shared classes that the shell extension's handlers stood in
// (emptied, since other programs' handlers may share them), and the "New"
// template key of an extension handed back to its previous owner, with the
// template data written there before Windows Me and 2000.
std::string WithoutKeptKeys(const std::string& differences)
{
    static const char* const kept[] = {
        "+ [*\\shellex", "+ [Directory\\shellex", "+ [Drive]", "+ [Drive\\shellex",
        "+ [exefile\\shellex", "+ [folder\\shellex", "+ [.zip\\ShellNew]",
    };
    std::string rest;
    size_t start = 0;
    while (start < differences.size()) {
        size_t end = differences.find('\n', start);
        std::string line = differences.substr(start, end - start);
        start = end == std::string::npos ? differences.size() : end + 1;
        bool keep = false;
        for (const char* k : kept)
            keep = keep || _strnicmp(line.c_str(), k, strlen(k)) == 0;
        // Keys only, never values: a value names something still in use.
        bool isValue = line.find("] \"") != std::string::npos;
        if (keep && isValue)
            keep = line.rfind("+ [.zip\\ShellNew] \"Data\" = REG_BINARY", 0) == 0;
        if (!keep)
            rest += line + "\n";
    }
    return rest;
}

std::string UninstallValue(const char* name)
{
    char buf[1024] = "";
    GetRegString(HKEY_LOCAL_MACHINE, kUninstallEntryKey, name, buf, "(none)", sizeof buf);
    return buf;
}

// The setup runs, each in a sample installation of its own.
class SetupRun : public ::testing::Test {
protected:
    SetupRun() : folder_(sample_.Folder()), exe_(sample_.Program()), log_(sample_.OpenLog()) {}
    ~SetupRun() override
    {
        for (HWND w = FindWindowA("QuilloStandIn", NULL); w; w = FindWindowA("QuilloStandIn", NULL)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
            TerminateProcess(p, 0);
            WaitForSingleObject(p, 5000);
            CloseHandle(p);
        }
    }

    // Starts the program with args and waits for the setup options dialog.
    HWND StartSetup(const char* args = "/setup")
    {
        if (!run_.Start(exe_, args, folder_.Path()))
            return NULL;
        return WaitForWindow(run_.Id(), "#32770", kSetupCaption, kWindowTimeout);
    }
    // The completion dialog: a dialog of the same caption, but another window.
    HWND WaitForDone(HWND setup)
    {
        HWND done = NULL;
        PumpUntil(kWindowTimeout, [&] {
            for (HWND w : VisibleWindowsOf(run_.Id()))
                if (w != setup && GetDlgItem(w, IDC_RUN_QUILLO))
                    done = w;
            return done != NULL;
        });
        return done;
    }
    // Presses OK in the setup options dialog and waits for the completion
    // dialog; NULL if it never came.
    HWND ConfirmSetup(HWND setup)
    {
        PressButton(setup, IDOK);
        return WaitForDone(setup);
    }
    // Waits until the shell has been asked to open something that contains
    // text; false if it never was.
    bool Opened(const std::string& text, DWORD ms = 20000)
    {
        return PumpUntil(ms, [&] { return ReadFileBytes(log_).find(text) != std::string::npos; });
    }

    SampleInstallation sample_;
    ProgramFolder& folder_;
    const std::string& exe_;
    const std::string& log_;
    RunningProgram run_;
};

// What a hidden window of the help viewer's class was asked: the command
// and the file.
std::vector<std::string> helpRequests;

LRESULT CALLBACK HelpViewerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COPYDATA) {
        struct Request { WORD size, command; LONG data; DWORD extra; WORD ofsFile, ofsData; };
        const Request* req = (const Request*)((const COPYDATASTRUCT*)lp)->lpData;
        helpRequests.push_back(std::to_string(req->command) + " " +
                               (req->ofsFile ? (const char*)req + req->ofsFile : ""));
        return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class SetupCancel : public SetupRun, public ::testing::WithParamInterface<CloseWay> {};

} // namespace

TEST_F(SetupRun, OpensWithTheSavedChoicesAndFollowsTheClicks)
{
    // Saved: only ZIP and TAR, the Start menu link, shell integration off
    // but both of its options on.
    SetupOptions saved = {};
    saved.slot[1] = saved.slot[6] = 1;
    saved.slot[kSlotStartMenuLink] = 1;
    saved.slot[kSlotCascadedMenus] = saved.slot[kSlotMenuIcons] = 1;
    SaveSetupOptions(&saved);
    LoadSetupOptions(&saved);   // what the dialog will show (ISO follows ".iso")

    HWND dlg = StartSetup();
    ASSERT_TRUE(dlg != NULL);
    SaveScreenshot(dlg, "setup-saved-choices");
    for (int slot : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})
        EXPECT_EQ(saved.slot[slot] != 0, Checked(dlg, IDC_ASSOC_FIRST + slot)) << slot;
    EXPECT_FALSE(Checked(dlg, IDC_DESKTOP_LINK));
    EXPECT_TRUE(Checked(dlg, IDC_STARTMENU_LINK));
    EXPECT_FALSE(Checked(dlg, IDC_PROGRAM_GROUP));
    EXPECT_FALSE(Checked(dlg, IDC_SHELL_INTEGRATION));
    // Disabled with integration off, and still checked.
    EXPECT_TRUE(Checked(dlg, IDC_CASCADED_MENUS));
    EXPECT_TRUE(Checked(dlg, IDC_MENU_ICONS));
    EXPECT_FALSE(Enabled(dlg, IDC_CASCADED_MENUS));
    EXPECT_FALSE(Enabled(dlg, IDC_MENU_ICONS));

    // Integration on enables both; off again disables them, marks kept.
    PressButton(dlg, IDC_SHELL_INTEGRATION);
    EXPECT_TRUE(Enabled(dlg, IDC_CASCADED_MENUS));
    EXPECT_TRUE(Enabled(dlg, IDC_MENU_ICONS));
    PressButton(dlg, IDC_MENU_ICONS);
    PressButton(dlg, IDC_SHELL_INTEGRATION);
    EXPECT_FALSE(Enabled(dlg, IDC_CASCADED_MENUS));
    EXPECT_FALSE(Enabled(dlg, IDC_MENU_ICONS));
    EXPECT_TRUE(Checked(dlg, IDC_CASCADED_MENUS));
    EXPECT_FALSE(Checked(dlg, IDC_MENU_ICONS));

    // Select all checks the twelve archive types and nothing else.
    PressButton(dlg, IDC_SELECT_ALL);
    for (int id = IDC_ASSOC_FIRST; id <= IDC_ASSOC_LAST; id++)
        EXPECT_TRUE(Checked(dlg, id)) << id;
    EXPECT_FALSE(Checked(dlg, IDC_DESKTOP_LINK));
    EXPECT_TRUE(Checked(dlg, IDC_STARTMENU_LINK));
    EXPECT_FALSE(Checked(dlg, IDC_PROGRAM_GROUP));
    EXPECT_FALSE(Checked(dlg, IDC_SHELL_INTEGRATION));

    // OK saves exactly what the boxes show, the disabled ones included.
    PressButton(dlg, IDC_DESKTOP_LINK);
    HWND done = ConfirmSetup(dlg);
    ASSERT_TRUE(done != NULL);
    PressButton(done, IDOK);
    EXPECT_EQ(0, run_.Wait(kWindowTimeout));

    SetupOptions now = {};
    LoadSetupOptions(&now);
    for (int slot = 0; slot < kArchiveTypeCount; slot++)
        EXPECT_EQ(1, now.slot[slot]) << slot;
    EXPECT_EQ(1, now.slot[kSlotDesktopLink]);
    EXPECT_EQ(1, now.slot[kSlotStartMenuLink]);
    EXPECT_EQ(0, now.slot[kSlotProgramGroup]);
    EXPECT_EQ(0, now.slot[kSlotShellIntegration]);
    EXPECT_EQ(1, now.slot[kSlotCascadedMenus]);
    EXPECT_EQ(0, now.slot[kSlotMenuIcons]);
    // ... and applies them.
    for (const char* ext : {".qlo", ".zip", ".iso", ".tgz"})
        EXPECT_TRUE(IsAssociatedWithQuillo(ext)) << ext;
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, "Quillo.ZIP"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "Quillo\\shellex\\DropHandler"));
    EXPECT_EQ("Quillo archiver", UninstallValue("DisplayName"));
    EXPECT_EQ(exe_, UninstallValue("UninstallString"));   // blanks and all, no quotes
    // No program group was made, so none is opened.
    EXPECT_FALSE(Opened("Quillo", 1000));
}

TEST_P(SetupCancel, ChangesNothingAndShowsNoCompletion)
{
    SetupOptions saved = {};
    LoadSetupOptions(&saved);
    SaveSetupOptions(&saved);
    SetupState before;

    HWND dlg = StartSetup("/setup /wait");
    ASSERT_TRUE(dlg != NULL);
    for (int id : {IDC_ASSOC_FIRST, IDC_ASSOC_FIRST + 4, IDC_SHELL_INTEGRATION, IDC_DESKTOP_LINK})
        PressButton(dlg, id);
    CloseBy(dlg, GetParam());
    // The switch after /setup still runs: the program ends after its pause,
    // and no completion dialog comes.
    DWORD start = GetTickCount();
    bool completion = false;
    while (run_.Wait(50) == -1 && GetTickCount() - start < kWindowTimeout)
        for (HWND w : VisibleWindowsOf(run_.Id()))
            completion = completion || GetDlgItem(w, IDC_RUN_QUILLO) != NULL;
    EXPECT_EQ(0, run_.Wait(0));
    EXPECT_FALSE(completion);
    EXPECT_EQ("", Differences(before, SetupState()));
    EXPECT_FALSE(Opened("Quillo", 500));
}

std::string CloseWayName(const ::testing::TestParamInfo<CloseWay>& info)
{
    static const char* const names[] = {"Escape", "CloseBox", "CancelCommand"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Ways, SetupCancel, ::testing::Values(kEscape, kCloseBox, kCancelCommand),
                         CloseWayName);

TEST_F(SetupRun, ContextMenuItemsAreSavedOnTheirOwnOk)
{
    HWND dlg = StartSetup();
    ASSERT_TRUE(dlg != NULL);

    // First open: the defaults, all but "Test" and "Convert".
    PostClick(dlg, IDC_CONTEXT_ITEMS);
    HWND items = WaitForWindow(run_.Id(), "#32770", kItemsCaption, kWindowTimeout);
    ASSERT_TRUE(items != NULL);
    SaveScreenshot(items, "context-items");
    for (const MenuItem& item : kMenuItems)
        EXPECT_EQ(item.defaultValue != 0, Checked(items, item.checkBoxId)) << item.valueName;
    // Cancel writes nothing.
    PressButton(items, 101);
    CloseBy(items, kCancelCommand);
    ASSERT_TRUE(PumpUntil(10000, [&] { return !IsWindow(items); }));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Quillo\\Setup\\MenuItems"));

    // OK writes all eleven, the unchanged ones too.
    PostClick(dlg, IDC_CONTEXT_ITEMS);
    items = WaitForWindow(run_.Id(), "#32770", kItemsCaption, kWindowTimeout);
    ASSERT_TRUE(items != NULL);
    EXPECT_TRUE(Checked(items, 101));
    PressButton(items, 103);   // "Extr" off
    PressButton(items, 110);   // "Test" on
    PressButton(items, IDOK);
    ASSERT_TRUE(PumpUntil(10000, [&] { return !IsWindow(items); }));
    for (const MenuItem& item : kMenuItems) {
        DWORD expected = item.checkBoxId == 103 ? 0 : item.checkBoxId == 110 ? 1 : item.defaultValue;
        EXPECT_EQ(expected, GetRegDword(HKEY_CURRENT_USER, kMenuItemsKey, item.valueName, 7))
            << item.valueName;
    }

    // Opened again, it shows what is stored; then the setup is cancelled,
    // and the items stay saved.
    PostClick(dlg, IDC_CONTEXT_ITEMS);
    items = WaitForWindow(run_.Id(), "#32770", kItemsCaption, kWindowTimeout);
    ASSERT_TRUE(items != NULL);
    EXPECT_FALSE(Checked(items, 103));
    EXPECT_TRUE(Checked(items, 110));
    CloseBy(items, kEscape);
    ASSERT_TRUE(PumpUntil(10000, [&] { return !IsWindow(items); }));
    CloseBy(dlg, kCloseBox);
    EXPECT_EQ(0, run_.Wait(kWindowTimeout));
    EXPECT_EQ(0u, GetRegDword(HKEY_CURRENT_USER, kMenuItemsKey, "Extr", 7));
    EXPECT_EQ(1u, GetRegDword(HKEY_CURRENT_USER, kMenuItemsKey, "Test", 7));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallEntryKey));
}

TEST_F(SetupRun, SilentSetupConfirmsBothDialogsAndOpensNoGroup)
{
    SetupOptions start = {};
    LoadSetupOptions(&start);
    ASSERT_EQ(1, start.slot[kSlotProgramGroup]);   // a group is made by default
    RunningProgram& run = run_;
    ASSERT_TRUE(run.Start(exe_, "/s /setup", folder_.Path()));
    EXPECT_EQ(0, run.Wait(kWindowTimeout));

    SetupOptions now = {};
    LoadSetupOptions(&now);
    EXPECT_EQ(0, memcmp(&start, &now, sizeof now));
    EXPECT_TRUE(IsAssociatedWithQuillo(".qlo"));
    EXPECT_EQ(exe_, UninstallValue("UninstallString"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Quillo\\Setup\\MenuItems"));
    EXPECT_FALSE(Opened("Quillo", 1000));
}

TEST_F(SetupRun, SilentAfterSetupWaitsForTheUserAndOpensTheGroup)
{
    HWND dlg = StartSetup("/setup /s");
    ASSERT_TRUE(dlg != NULL);
    Sleep(1000);
    EXPECT_TRUE(IsWindowVisible(dlg));   // still waiting
    HWND done = ConfirmSetup(dlg);
    ASSERT_TRUE(done != NULL);
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(done));
    CloseBy(done, kCloseBox);
    EXPECT_EQ(0, run_.Wait(kWindowTimeout));
    // The current user's program group, opened in the shell.
    EXPECT_TRUE(Opened("\\Quillo\""));
}

TEST_F(SetupRun, CompletionButtonsStartAndOpenAnew)
{
    // A hidden help viewer receives what WinHelp is asked.
    helpRequests.clear();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HelpViewerProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "MS_WINHELP";
    RegisterClassA(&wc);
    HWND viewer = CreateWindowA("MS_WINHELP", "viewer", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(viewer != NULL);

    HWND dlg = StartSetup();
    ASSERT_TRUE(dlg != NULL);
    HWND done = ConfirmSetup(dlg);
    ASSERT_TRUE(done != NULL);
    EXPECT_EQ(folder_.Path(), WindowText(GetDlgItem(done, IDC_INSTALL_FOLDER)));
    SaveScreenshot(done, "completion");

    // Two clicks, two programs, and the dialog stays. The program folder
    // lies under "C:\Program Files": a program "C:\Program.exe" (here the
    // recorder) must not be taken for the first words of Quillo's path.
    const char decoy[] = "C:\\Program.exe";
    ASSERT_TRUE(CopyFileA(BuiltFile("tests\\openrecorder.exe").c_str(), decoy, FALSE));
    PostClick(done, IDC_RUN_QUILLO);
    PostClick(done, IDC_RUN_QUILLO);
    std::vector<HWND> quillos;
    PumpUntil(kWindowTimeout, [&] {
        quillos.clear();
        for (HWND w = FindWindowA("QuilloStandIn", NULL); w; w = FindWindowExA(NULL, w, "QuilloStandIn", NULL))
            quillos.push_back(w);
        return quillos.size() >= 2;
    });
    ASSERT_EQ(2u, quillos.size());
    DWORD pid1 = 0, pid2 = 0;
    GetWindowThreadProcessId(quillos[0], &pid1);
    GetWindowThreadProcessId(quillos[1], &pid2);
    EXPECT_NE(pid1, pid2);
    EXPECT_TRUE(IsWindowVisible(done));
    DeleteFileA(decoy);
    EXPECT_EQ("", ReadFileBytes(log_));

    PostClick(done, IDC_VIEW_LICENSE);
    EXPECT_TRUE(Opened(folder_.Path() + "\\license.txt"));
    PostClick(done, IDC_PRICE_LIST);
    EXPECT_TRUE(Opened(folder_.Path() + "\\order.txt"));
    PostClick(done, IDC_HOME_PAGE);
    EXPECT_TRUE(Opened("https://www.quillo.example/"));
    PostClick(done, IDC_READ_HELP);
    EXPECT_TRUE(PumpUntil(20000, [&] { return !helpRequests.empty(); }));
    EXPECT_EQ(std::vector<std::string>{"11 quillo.hlp"}, helpRequests);   // HELP_FINDER

    CloseBy(done, kEscape);
    EXPECT_EQ(0, run_.Wait(kWindowTimeout));
    // The programs it started outlive it.
    EXPECT_TRUE(IsWindow(quillos[0]));
    DestroyWindow(viewer);
}

TEST_F(SetupRun, OkWithEveryBoxClearTakesBackAnEarlierSetup)
{
    RunningProgram first;
    ASSERT_TRUE(first.Start(exe_, "/s /setup", folder_.Path()));
    ASSERT_EQ(0, first.Wait(kWindowTimeout));
    ASSERT_TRUE(IsAssociatedWithQuillo(".zip"));
    ASSERT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, "Quillo\\shellex\\DropHandler"));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallEntryKey);

    HWND dlg = StartSetup();
    ASSERT_TRUE(dlg != NULL);
    for (int id = IDC_ASSOC_FIRST; id <= IDC_MENU_ICONS; id++)
        if (Checked(dlg, id))
            PressButton(dlg, id);
    HWND done = ConfirmSetup(dlg);
    ASSERT_TRUE(done != NULL);
    PressButton(done, IDOK);
    EXPECT_EQ(0, run_.Wait(kWindowTimeout));

    SetupOptions now = {};
    LoadSetupOptions(&now);
    for (int slot : {0, 1, 5, 10, (int)kSlotProgramGroup, (int)kSlotShellIntegration, (int)kSlotMenuIcons})
        EXPECT_EQ(0, now.slot[slot]) << slot;
    for (const char* ext : {".qlo", ".zip", ".cab", ".jar"})
        EXPECT_FALSE(IsAssociatedWithQuillo(ext)) << ext;
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "Quillo\\shellex\\DropHandler"));
    EXPECT_EQ(exe_, UninstallValue("UninstallString"));
    EXPECT_FALSE(Opened("Quillo", 500));
}

TEST_F(SetupRun, UninstallAfterSetupLeavesTheRegistryAsBefore)
{
    // Another archiver owns ".zip" before Quillo is set up.
    SavedRegistryTree zip(HKEY_CLASSES_ROOT, ".zip");
    RawDeleteTree(HKEY_CLASSES_ROOT, ".zip");
    SetRegString(HKEY_CLASSES_ROOT, ".zip", "", "OtherZip.Archive");
    SetupState before;
    char desktop[kShortcutPathSize];
    ASSERT_TRUE(GetDesktopFolder(desktop));
    std::string desktopLink = std::string(desktop) + "\\Quillo.lnk";

    HWND dlg = StartSetup();
    ASSERT_TRUE(dlg != NULL);
    PressButton(dlg, IDC_DESKTOP_LINK);
    HWND done = ConfirmSetup(dlg);
    ASSERT_TRUE(done != NULL);
    PressButton(done, IDOK);
    ASSERT_EQ(0, run_.Wait(kWindowTimeout));
    ASSERT_TRUE(IsAssociatedWithQuillo(".zip"));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(desktopLink.c_str()));

    // The uninstall, as the list of installed programs starts it; its batch
    // file goes to a recorder instead of the command interpreter.
    std::string command = UninstallValue("UninstallString");
    FILE* list = fopen((folder_.Path() + "\\Uninstall.lst").c_str(), "wb");
    ASSERT_TRUE(list != nullptr);
    fputs("Quillo.exe\r\nlicense.txt\r\norder.txt\r\nqlonew.dat\r\nzipnew.dat\r\n", list);
    fclose(list);
    char savedInterpreter[MAX_PATH] = "";
    GetEnvironmentVariableA("COMSPEC", savedInterpreter, MAX_PATH);
    SetEnvironmentVariableA("COMSPEC", BuiltFile("tests\\interpreterprobe.exe").c_str());
    RunningProgram uninstall;
    ASSERT_TRUE(uninstall.Start(command, "", folder_.Path()));
    HWND question = WaitForWindow(uninstall.Id(), "#32770", "Uninstall Quillo", kWindowTimeout);
    ASSERT_TRUE(question != NULL);
    PressButton(question, IDYES);
    EXPECT_EQ(0, uninstall.Wait(kWindowTimeout));
    SetEnvironmentVariableA("COMSPEC", savedInterpreter);

    EXPECT_EQ("", WithoutKeptKeys(Differences(before, SetupState())));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(desktopLink.c_str()));
    for (const char* name : {"Quillo.exe", "license.txt", "qlonew.dat", "zipnew.dat"})
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder_.Path() + "\\" + name).c_str()))
            << name;
}
