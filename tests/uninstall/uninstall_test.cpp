// The uninstall, started as the system's list of programs starts it: the
// program alone, from a program folder of the test's making, its questions
// answered by the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "integration/associations.h"
#include "integration/file_classes.h"
#include "integration/shell_extension.h"
#include "integration/shortcuts.h"
#include "program_driver.h"
#include "registry/registry.h"
#include "uninstall/uninstall.h"
#include "util/text.h"

namespace {

const DWORD kBoxTimeout = 60000;

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteText(const std::string& path, const std::string& text, DWORD attributes = 0)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD done;
    WriteFile(h, text.data(), (DWORD)text.size(), &done, NULL);
    CloseHandle(h);
    if (attributes)
        SetFileAttributesA(path.c_str(), attributes);
}

std::string TempFolder()
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return dir;
}

bool ProductKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quillo", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void MarkProductKey()
{
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillo\\Setup", 0, NULL, 0, KEY_WRITE, NULL, &key,
                    NULL);
    DWORD one = 1;
    RegSetValueExA(key, "ShellExt", 0, REG_DWORD, (const BYTE*)&one, 4);
    RegCloseKey(key);
}

// The batch file the program writes for this family, byte for byte.
std::string ExpectedBatch(const std::string& program, const std::string& folder,
                          const std::string& batch, bool nt)
{
    std::string s = nt ? "\"" + program + "\" /wait\r\n"
                       : "start /wait \"" + program + "\" /wait\r\n";
    for (int i = 0; i < 5; i++)
        s += "del \"" + program + "\"\r\nrd \"" + folder + "\"\r\nif not exist \"" + program +
             "\" goto done\r\n";
    s += ":done\r\nif exist \"" + program + "\" \"" + program + "\" /warning\r\ndel \"" + batch + "\"";
    return s;
}

// Starts the uninstall in folder and answers its question.
HWND StartAndFindQuestion(RunningProgram& run, const std::string& exe, const std::string& folder,
                          const char* caption = "Uninstall Quillo")
{
    if (!run.Start(exe, "", folder))
        return NULL;
    return WaitForWindow(run.Id(), "#32770", caption, kBoxTimeout);
}

} // namespace

TEST(Uninstall, AnsweringNoChangesNothing)
{
    ProgramFolder folder("Quillo");
    std::string exe = folder.Add(BuiltFile("bin\\uninstall.exe"), "uninstall.exe");
    WriteText(folder.Path() + "\\Quillo.exe", "x");
    WriteText(folder.Path() + "\\Uninstall.lst", "Quillo.exe\r\n");
    MarkProductKey();
    RunningProgram run;
    HWND box = StartAndFindQuestion(run, exe, folder.Path());
    ASSERT_TRUE(box != NULL);
    EXPECT_EQ("Continue with uninstall Quillo", MessageBoxText(box));
    EXPECT_NE("", SaveScreenshot(box, "uninstall-question"));
    ASSERT_TRUE(PressButton(box, IDNO));
    EXPECT_EQ(0, run.Wait(10000));
    EXPECT_TRUE(Exists(folder.Path() + "\\Quillo.exe"));
    EXPECT_TRUE(Exists(folder.Path() + "\\Uninstall.lst"));
    EXPECT_TRUE(ProductKeyExists());
}

TEST(Uninstall, WithoutTheListNothingIsRemoved)
{
    ProgramFolder folder("Quillo");
    std::string exe = folder.Add(BuiltFile("bin\\uninstall.exe"), "uninstall.exe");
    WriteText(folder.Path() + "\\Quillo.exe", "x");
    MarkProductKey();
    RunningProgram run;
    HWND box = StartAndFindQuestion(run, exe, folder.Path());
    ASSERT_TRUE(box != NULL);
    ASSERT_TRUE(PressButton(box, IDYES));
    HWND error = NULL;
    for (int i = 0; i < 600 && !error; i++) {   // up to 30 s on a loaded machine
        for (HWND w : VisibleWindowsOf(run.Id()))
            if (w != box && MessageBoxText(w).find("list") != std::string::npos)
                error = w;
        Sleep(50);
    }
    ASSERT_TRUE(error != NULL);
    EXPECT_EQ("Cannot open list file Uninstall.lst", MessageBoxText(error));
    EXPECT_EQ("Uninstall Quillo", WindowText(error));
    EXPECT_NE("", SaveScreenshot(error, "uninstall-no-list"));
    PressButton(error, IDOK);
    EXPECT_EQ(0, run.Wait(10000));
    EXPECT_TRUE(Exists(folder.Path() + "\\Quillo.exe"));
    EXPECT_TRUE(ProductKeyExists());
}

TEST(Uninstall, DeletesTheListedEntriesAndWritesTheBatchFile)
{
    // The command interpreter is a recorder here: it keeps the batch file
    // and how it was started, so the bytes can be checked on both families.
    ProgramFolder folder("Quillo 100%");
    std::string dir = folder.Path();
    std::string exe = folder.Add(BuiltFile("bin\\uninstall.exe"), "uninstall.exe");
    folder.Add(BuiltFile("bin\\qlolng.dll"), "qlolng.dll");
    CreateDirectoryA((dir + "\\sub").c_str(), NULL);
    CreateDirectoryA((dir + "\\sub\\deeper").c_str(), NULL);
    WriteText(dir + "\\Quillo.exe", "x");
    WriteText(dir + "\\sub\\readonly.txt", "x", FILE_ATTRIBUTE_READONLY);
    WriteText(dir + "\\sub\\deeper\\hidden.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    WriteText(dir + "\\ leading blank.txt", "x");
    WriteText(dir + "\\leading blank.txt", "stays: the list names the one with the blank");
    WriteText(dir + "\\quillo.gid", "x", FILE_ATTRIBUTE_HIDDEN);
    std::string outside = dir + "-outside.txt";
    WriteText(outside, "must stay");
    std::string tail(3000, 'x');
    WriteText(dir + "\\" + tail.substr(0, 10), "a piece of an overlong line: stays");
    // Folders before their contents, every kind of line end, blanks, an
    // overlong line, and entries that reach outside the folder.
    WriteText(dir + "\\Uninstall.lst",
              "sub\r\nsub\\deeper\n\n   \r\nsub\\deeper\\hidden.txt \t\r\n"
              "sub\\readonly.txt\r\nQuillo.exe\r\n leading blank.txt\r\nqlolng.dll\r\n" +
              std::string(2047, 'y') + tail.substr(0, 10) + "\r\n" +
              "..\\" + folder.Path().substr(folder.Path().find_last_of('\\') + 1) + "-outside.txt\r\n"
              "C:\\Windows\\win.ini\r\n\\Windows\\win.ini\r\n");

    std::string interpreter = BuiltFile("tests\\interpreterprobe.exe");
    char saved[MAX_PATH] = "";
    GetEnvironmentVariableA("COMSPEC", saved, MAX_PATH);
    SetEnvironmentVariableA("COMSPEC", interpreter.c_str());
    std::string batch = TempFolder() + "Uninstall_Qlo.Bat";
    DeleteFileA((batch + ".record").c_str());

    RunningProgram run;
    // The language library beside the program asks in German.
    HWND box = StartAndFindQuestion(run, exe, dir, "Quillo deinstallieren");
    SetEnvironmentVariableA("COMSPEC", saved);
    ASSERT_TRUE(box != NULL);
    ASSERT_TRUE(PressButton(box, IDYES));
    EXPECT_EQ(0, run.Wait(30000));
    for (int i = 0; i < 200 && !Exists(batch + ".record"); i++)
        Sleep(50);

    EXPECT_FALSE(Exists(dir + "\\sub"));
    EXPECT_FALSE(Exists(dir + "\\Quillo.exe"));
    EXPECT_FALSE(Exists(dir + "\\ leading blank.txt"));
    EXPECT_FALSE(Exists(dir + "\\qlolng.dll"));   // the library was unloaded first
    EXPECT_FALSE(Exists(dir + "\\quillo.gid"));
    EXPECT_FALSE(Exists(dir + "\\Uninstall.lst"));
    EXPECT_TRUE(Exists(dir + "\\leading blank.txt"));
    EXPECT_TRUE(Exists(dir + "\\" + tail.substr(0, 10)));
    EXPECT_TRUE(Exists(outside));
    EXPECT_TRUE(Exists("C:\\Windows\\win.ini"));
    EXPECT_TRUE(Exists(exe));   // the batch file deletes it, and it did not run

    std::string record = ReadFileBytes(batch + ".record");
    size_t line1 = record.find('\n');
    ASSERT_NE(std::string::npos, line1);
    EXPECT_EQ(interpreter + " /c \"" + batch + "\"", record.substr(0, line1))
        << "the interpreter's command line";
    size_t bytesAt = record.find('\n', record.find('\n', line1 + 1) + 1) + 1;
    std::string doubled = dir;
    for (size_t at = 0; (at = doubled.find('%', at)) != std::string::npos; at += 2)
        doubled.insert(at, "%");
    std::string doubledExe = doubled + "\\uninstall.exe";
    EXPECT_EQ(ExpectedBatch(doubledExe, doubled, batch, TestFamily() != "win98"),
              record.substr(bytesAt));
    DeleteFileA(batch.c_str());
    DeleteFileA((batch + ".record").c_str());
    DeleteFileA(outside.c_str());
}

namespace {

bool KeyExists(HKEY root, const char* path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

const char kUninstallEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillo archiver";
const char kAppPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillo.exe";

// Everything a setup makes, made here by the program's own code.
void SetUpIntegration()
{
    CoInitialize(NULL);
    SetupOptions all;
    memset(all.slot, 1, sizeof all.slot);
    RegisterAppPath();
    ApplyShellExtension(&all);
    ApplyAssociations(&all);
    RegisterFileClasses();
    ApplyShortcuts(&all, NULL);
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallEntry, "DisplayName", "Quillo archiver");
    MarkProductKey();
    CoUninitialize();
}

bool WaitUntilGone(const std::vector<std::string>& paths, DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        bool any = false;
        for (const std::string& p : paths)
            any = any || Exists(p);
        if (!any)
            return true;
        if (GetTickCount() - start > ms)
            return false;
        Sleep(50);
    }
}

} // namespace

// The NT form of the batch file, run for real by the command interpreter.
// (The 95 family's "start /wait" line cannot run under Wine's interpreter,
// which takes the quoted path for a window title; its bytes are checked
// above.)
TEST(Uninstall, RemovesEverythingAndAtLastItselfThroughTheInterpreter)
{
    if (TestFamily() == "win98")
        GTEST_SKIP() << "Wine's cmd cannot run the 95 family's start /wait line";
    std::string dir;
    {
        ProgramFolder folder("Quillo 50% & more");
        dir = folder.Path();
    }
    CreateDirectoryA(dir.c_str(), NULL);
    std::string exe = dir + "\\uninstall.exe";
    ASSERT_TRUE(CopyFileA(BuiltFile("bin\\uninstall.exe").c_str(), exe.c_str(), FALSE));
    CopyFileA(BuiltFile("bin\\qlolng.dll").c_str(), (dir + "\\qlolng.dll").c_str(), FALSE);
    CreateDirectoryA((dir + "\\docs").c_str(), NULL);
    WriteText(dir + "\\docs\\license.txt", "x", FILE_ATTRIBUTE_READONLY);
    WriteText(dir + "\\Quillo.exe", "x");
    WriteText(dir + "\\Uninstall.lst", "docs\r\ndocs\\license.txt\r\nQuillo.exe\r\nqlolng.dll\r\n");
    SetUpIntegration();
    ASSERT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Quillo"));

    std::string batch = TempFolder() + "Uninstall_Qlo.Bat";
    RunningProgram run;
    HWND box = StartAndFindQuestion(run, exe, dir, "Quillo deinstallieren");
    ASSERT_TRUE(box != NULL);
    ASSERT_TRUE(PressButton(box, IDYES));
    EXPECT_EQ(0, run.Wait(30000));
    EXPECT_TRUE(WaitUntilGone({exe, dir, batch}, 60000)) << "left: " << Exists(exe) << Exists(dir)
                                                          << Exists(batch);
    struct Key { HKEY root; const char* path; } gone[] = {
        {HKEY_CLASSES_ROOT, "Quillo"}, {HKEY_CLASSES_ROOT, "Quillo.ZIP"},
        {HKEY_CLASSES_ROOT, "Quillo.REV"}, {HKEY_CLASSES_ROOT, ".rev"},
        {HKEY_LOCAL_MACHINE, kUninstallEntry}, {HKEY_LOCAL_MACHINE, kAppPath},
        {HKEY_CURRENT_USER, "Software\\Quillo"},
    };
    for (const Key& k : gone)
        EXPECT_FALSE(KeyExists(k.root, k.path)) << k.path;
    char programs[MAX_PATH];
    SHGetSpecialFolderPathA(NULL, programs, CSIDL_PROGRAMS, FALSE);
    EXPECT_FALSE(Exists(std::string(programs) + "\\Quillo"));
}

TEST(Uninstall, AProgramFileThatStaysLockedGetsTheRemovalMessage)
{
    if (TestFamily() == "win98")
        GTEST_SKIP() << "Wine's cmd cannot run the 95 family's start /wait line";
    ProgramFolder folder("Quillo");
    std::string exe = folder.Add(BuiltFile("bin\\uninstall.exe"), "uninstall.exe");
    WriteText(folder.Path() + "\\Uninstall.lst", "Quillo.exe\r\n");
    // Held open for reading: it cannot be deleted, but it can still run.
    HANDLE lock = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    RunningProgram run;
    HWND box = StartAndFindQuestion(run, exe, folder.Path());
    ASSERT_TRUE(box != NULL);
    ASSERT_TRUE(PressButton(box, IDYES));
    EXPECT_EQ(0, run.Wait(30000));
    // The batch file starts a new instance with /warning.
    // It belongs to another process: look at every such box for the one
    // that names this program.
    HWND warning = NULL;
    for (int i = 0; i < 1200 && !warning; i++) {
        for (HWND w = FindWindowExA(NULL, NULL, "#32770", "Uninstall Quillo"); w && !warning;
             w = FindWindowExA(NULL, w, "#32770", "Uninstall Quillo")) {
            if (MessageBoxText(w).find(exe) != std::string::npos)
                warning = w;
        }
        if (!warning)
            Sleep(50);
    }
    ASSERT_TRUE(warning != NULL);
    EXPECT_EQ("Uninstall completed\nYou should delete " + exe + " manually", MessageBoxText(warning));
    EXPECT_NE("", SaveScreenshot(warning, "uninstall-locked"));
    PressButton(warning, IDOK);
    CloseHandle(lock);
    std::string batch = TempFolder() + "Uninstall_Qlo.Bat";
    EXPECT_TRUE(WaitUntilGone({batch}, 20000));
}

TEST(IsEntryInsideFolder, RefusesWhatLeadsOutside)
{
    struct Case { const char* line; bool inside; } cases[] = {
        {"Quillo.exe", true}, {"sub\\file.txt", true}, {"sub/file.txt", true},
        {" leading blank", true}, {"..name", true}, {"a..\\b", true}, {"sub\\.\\x", true},
        {"..", false}, {"..\\x", false}, {"sub\\..\\..\\x", false}, {"sub/../x", false},
        {"C:\\x", false}, {"C:x", false}, {"\\x", false}, {"/x", false},
        {"\\\\server\\share", false}, {"file.txt:stream", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.inside, IsEntryInsideFolder(c.line));
    }
}
