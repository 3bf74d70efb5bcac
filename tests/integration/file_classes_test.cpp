// File classes and the application path against Wine's real registry. The
// classes are registered in this process, which listens for the shell's
// notification itself: Wine delivers change notifications only to windows
// of the process that sends them. The language and application path cases
// run a probe from a program folder of the test's making.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <stdio.h>

#include <memory>
#include <string>
#include <vector>

#include "integration/file_classes.h"
#include "lang/ext_resource.h"
#include "program_driver.h"
#include "shellext_registry.h"

namespace {

const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quillo.exe";
const UINT kNotifyMessage = WM_APP + 7;

// The tree of a file class whose documents Quillo.exe at exe opens.
std::string ClassTree(const std::string& exe, const std::string& description, const char* icon)
{
    return "[]\n@=\"" + description + "\"\n[DefaultIcon]\n@=\"" + exe + "," + icon +
           "\"\n[shell]\n[shell\\open]\n[shell\\open\\command]\n@=\"\"" + exe +
           "\" \"%1\"\"\n";
}

// Counts the shell's association-changed notifications that reach a
// window of this thread.
class ShellNotifications {
public:
    ShellNotifications()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "QuilloNotificationTest";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                  wc.hInstance, NULL);
        SetWindowLongPtrA(window_, GWLP_USERDATA, (LONG_PTR)&count_);
        SHGetSpecialFolderLocation(NULL, CSIDL_DESKTOP, &desktop_);
        SHChangeNotifyEntry entry = {desktop_, TRUE};
        registration_ = SHChangeNotifyRegister(window_, SHCNRF_ShellLevel, SHCNE_ASSOCCHANGED,
                                               kNotifyMessage, 1, &entry);
    }
    ~ShellNotifications()
    {
        SHChangeNotifyDeregister(registration_);
        DestroyWindow(window_);
        CoTaskMemFree(desktop_);
    }

    bool Listening() const { return window_ && registration_; }

    // The notifications so far, after waiting up to ms for the first.
    int Count(DWORD ms)
    {
        DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            if (count_ > 0 || GetTickCount() - start > ms)
                return count_;
            Sleep(20);
        }
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == kNotifyMessage && (lParam & SHCNE_ASSOCCHANGED))
            ++*(int*)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
        if (msg == kNotifyMessage)
            return 0;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    HWND window_ = NULL;
    LPITEMIDLIST desktop_ = NULL;
    ULONG registration_ = 0;
    int count_ = 0;
};

class FileClasses : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* key : {"Quillo", "Quillo.ZIP", "Quillo.REV", ".rev"}) {
            saved_.push_back(std::make_unique<SavedRegistryKey>(HKEY_CLASSES_ROOT, key));
            RegDeleteTreeRaw(HKEY_CLASSES_ROOT, key);
        }
        // The program's own strings, from this test program's resources.
        ProgramModule = ResourceModule = GetModuleHandleA(NULL);
    }
    void TearDown() override { saved_.clear(); }

    // Quillo.exe beside this test program.
    std::string Exe() const { return TestProgramFolder() + "Quillo.exe"; }

private:
    std::vector<std::unique_ptr<SavedRegistryKey>> saved_;
};

// Runs the probe, copied into folder with the files beside it that a case
// asks for, with currentDir as its current directory; false when it failed.
bool RunClassesProbe(ProgramFolder& folder, const std::string& args, const std::string& currentDir)
{
    std::string probe = folder.Add(BuiltFile("tests\\classesprobe.exe"), "uninstall.exe");
    RunningProgram run;
    return !probe.empty() && run.Start(probe, args, currentDir) && run.Wait(30000) == 0;
}

class AppPath : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeRaw(HKEY_LOCAL_MACHINE, kAppPathKey); }

private:
    // Made before SetUp clears the key; puts it back after the case.
    SavedRegistryKey saved_{HKEY_LOCAL_MACHINE, kAppPathKey};
};

} // namespace

TEST_F(FileClasses, DescribesTheThreeClassesAndRevAndTellsTheShell)
{
    // Whatever ".rev" pointed at before is overwritten.
    RegWriteText(HKEY_CLASSES_ROOT, ".rev", "", "OtherRecovery.Volume");
    ShellNotifications notifications;
    ASSERT_TRUE(notifications.Listening());

    RegisterFileClasses();

    EXPECT_EQ(1, notifications.Count(2000));
    EXPECT_EQ(ClassTree(Exe(), "Quillo archive", "0"), RegTreeText(HKEY_CLASSES_ROOT, "Quillo"));
    EXPECT_EQ(ClassTree(Exe(), "Quillo ZIP archive", "0"),
              RegTreeText(HKEY_CLASSES_ROOT, "Quillo.ZIP"));
    EXPECT_EQ(ClassTree(Exe(), "QLO recovery volume", "1"),
              RegTreeText(HKEY_CLASSES_ROOT, "Quillo.REV"));
    EXPECT_EQ("[]\n@=\"Quillo.REV\"\n", RegTreeText(HKEY_CLASSES_ROOT, ".rev"));
}

TEST_F(FileClasses, AFailedWriteIsSkippedAndTheShellIsStillTold)
{
    if (TestFamily() == "win98")
        GTEST_SKIP() << "the 9x registry has no security, so no write is ever refused";
    RegWriteText(HKEY_CLASSES_ROOT, "Quillo", "", "Before");
    WriteProtectedKey readOnly(HKEY_CLASSES_ROOT, "Quillo");
    ASSERT_TRUE(readOnly.Applied());
    ShellNotifications notifications;
    ASSERT_TRUE(notifications.Listening());

    RegisterFileClasses();

    EXPECT_EQ("Before", RegValueText(HKEY_CLASSES_ROOT, "Quillo", ""));
    EXPECT_EQ(ClassTree(Exe(), "Quillo ZIP archive", "0"),
              RegTreeText(HKEY_CLASSES_ROOT, "Quillo.ZIP"));
    EXPECT_EQ(ClassTree(Exe(), "QLO recovery volume", "1"),
              RegTreeText(HKEY_CLASSES_ROOT, "Quillo.REV"));
    EXPECT_EQ("Quillo.REV", RegValueText(HKEY_CLASSES_ROOT, ".rev", ""));
    EXPECT_EQ(1, notifications.Count(2000));
}

TEST_F(FileClasses, DescriptionsFollowTheLanguageInForce)
{
    struct Case {
        const char* name;
        std::string source;   // copied beside the program as name
        std::vector<std::string> descriptions;
    } cases[] = {
        {"qlolng.dll", BuiltFile("bin\\qlolng.dll"),
         {"Quillo-Archiv", "Quillo-ZIP-Archiv", "QLO-Wiederherstellungsvolume"}},
        {"uninstall.lng", std::string(QLO_SOURCE_DIR) + "\\res\\lang\\uninstall.lng",
         {"Archive Quillo", "Archive ZIP Quillo", "Volume de r\xE9" "cup\xE9ration QLO"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder("Quillo-classes");
        ASSERT_FALSE(folder.Add(c.source, c.name).empty());
        // Started from elsewhere: the command still names Quillo.exe
        // beside the program.
        ASSERT_TRUE(RunClassesProbe(folder, "classes", TestProgramFolder()));
        EXPECT_EQ(c.descriptions[0], RegValueText(HKEY_CLASSES_ROOT, "Quillo", ""));
        EXPECT_EQ(c.descriptions[1], RegValueText(HKEY_CLASSES_ROOT, "Quillo.ZIP", ""));
        EXPECT_EQ(c.descriptions[2], RegValueText(HKEY_CLASSES_ROOT, "Quillo.REV", ""));
        EXPECT_EQ("\"" + folder.Path() + "\\Quillo.exe\" \"%1\"",
                  RegValueText(HKEY_CLASSES_ROOT, "Quillo.REV\\shell\\open\\command", ""));
    }
}

TEST_F(AppPath, NamesQuilloBesideTheProgramAndTakesPathFromTheCurrentDirectory)
{
    ProgramFolder folder("Quillo-apppath");
    ProgramFolder elsewhere("Quillo-elsewhere");
    // The program's own folder, as the setup is normally started; another
    // folder; a drive's root, whose backslash stays.
    for (const std::string& currentDir : {folder.Path(), elsewhere.Path(), std::string("C:\\")}) {
        SCOPED_TRACE(currentDir);
        ASSERT_TRUE(RunClassesProbe(folder, "apppath", currentDir));
        EXPECT_EQ("[]\n@=\"" + folder.Path() + "\\Quillo.exe\"\nPath=\"" + currentDir + "\"\n",
                  RegTreeText(HKEY_LOCAL_MACHINE, kAppPathKey));
    }
}
