// Starts uninstall.exe from a program folder of the test's making, as the
// system or the removal batch file would, and looks at what it shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "lang/text_key.h"
#include "program_driver.h"

namespace {

// Generous: a program start in the virtual machine can take seconds on a
// loaded machine.
const DWORD kBoxTimeout = 60000;

// The program must end by itself without showing any window.
void ExpectQuietRun(const std::string& args)
{
    SCOPED_TRACE("uninstall.exe " + args);
    ProgramFolder folder("Quillo");
    std::string exe = folder.Add(BuiltFile("bin\\uninstall.exe"), "uninstall.exe");
    RunningProgram run;
    ASSERT_TRUE(run.Start(exe, args, folder.Path()));
    DWORD start = GetTickCount();
    long code = -1;
    while ((code = run.Wait(20)) == -1 && GetTickCount() - start < 20000)
        EXPECT_TRUE(VisibleWindowsOf(run.Id()).empty()) << "a window appeared";
    EXPECT_EQ(0, code);
}

} // namespace

TEST(Program, SwitchesWithoutActionShowNothingAndEnd)
{
    for (const char* args : {"/x", "-foo", "C:\\my-files", "/warn", "/Silent", "/s"})
        ExpectQuietRun(args);
}

TEST(Program, WaitThenWarningShowsTheRemovalMessage)
{
    ProgramFolder folder("Quillo");
    std::string exe = folder.Add(BuiltFile("bin\\uninstall.exe"), "uninstall.exe");
    RunningProgram run;
    DWORD start = GetTickCount();
    ASSERT_TRUE(run.Start(exe, "/wait /warning", folder.Path()));
    HWND box = WaitForWindow(run.Id(), "#32770", "Uninstall Quillo", kBoxTimeout);
    DWORD shownAfter = GetTickCount() - start;
    ASSERT_TRUE(box != NULL);
    EXPECT_GE(shownAfter, 1950u);
    EXPECT_LT(shownAfter, 2000u + kBoxTimeout);
    EXPECT_EQ("Uninstall completed\nYou should delete " + exe + " manually", MessageBoxText(box));
    EXPECT_NE("", SaveScreenshot(box, "removal-message"));
    ASSERT_TRUE(PressButton(box, IDOK));
    EXPECT_EQ(0, run.Wait(10000));
}

TEST(Program, TheRemovalMessageSpeaksTheLanguageLibrarysLanguage)
{
    ProgramFolder folder("Quillo");
    std::string exe = folder.Add(BuiltFile("bin\\uninstall.exe"), "uninstall.exe");
    folder.Add(BuiltFile("bin\\qlolng.dll"), "qlolng.dll");
    RunningProgram run;
    ASSERT_TRUE(run.Start(exe, "-warning", folder.Path()));
    HWND box = WaitForWindow(run.Id(), "#32770", "Quillo deinstallieren", kBoxTimeout);
    ASSERT_TRUE(box != NULL);
    EXPECT_EQ("Deinstallation abgeschlossen\nBitte l\xF6schen Sie " + exe + " von Hand",
              MessageBoxText(box));
    EXPECT_NE("", SaveScreenshot(box, "removal-message-german"));
    ASSERT_TRUE(PressButton(box, IDOK));
    EXPECT_EQ(0, run.Wait(10000));
}

TEST(Program, ALanguageFileBesideItTranslatesTheProgramsOwnTexts)
{
    // With a language file loaded, the library's strings are no longer used
    // for messages: what the file does not translate stays English.
    ProgramFolder folder("Quillo");
    std::string exe = folder.Add(BuiltFile("bin\\uninstall.exe"), "uninstall.exe");
    folder.Add(BuiltFile("bin\\qlolng.dll"), "qlolng.dll");
    char key[9];
    ComputeTextKey(key, kMessageText, nullptr, "Uninstall completed");
    std::string lng = "; Quillo language file\r\n***messages***\r\n" + std::string(key) +
                      "=\"Klaar \\\"100%\\\"\"\r\n";
    HANDLE h = CreateFileA((folder.Path() + "\\uninstall.lng").c_str(), GENERIC_WRITE, 0, NULL,
                           CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD done;
    WriteFile(h, lng.data(), (DWORD)lng.size(), &done, NULL);
    CloseHandle(h);

    RunningProgram run;
    ASSERT_TRUE(run.Start(exe, "/warning", folder.Path()));
    HWND box = WaitForWindow(run.Id(), "#32770", "Uninstall Quillo", kBoxTimeout);
    ASSERT_TRUE(box != NULL);
    EXPECT_EQ("Klaar \"100%\"\nYou should delete " + exe + " manually", MessageBoxText(box));
    ASSERT_TRUE(PressButton(box, IDOK));
    EXPECT_EQ(0, run.Wait(10000));
}
