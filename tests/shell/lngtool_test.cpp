// The translators' tool, run as a translator would run it.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string>

#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "program_driver.h"

namespace {

// Runs lngtool with args and returns what it printed.
std::string RunTool(const std::string& args, const std::string& outFile)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
    HANDLE out = CreateFileA(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                             0, NULL);
    STARTUPINFOA si = {sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + BuiltFile("bin\\lngtool.exe") + "\" " + args;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    bool started = CreateProcessA(NULL, line.data(), NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL,
                                  NULL, &si, &pi);
    CloseHandle(out);
    if (!started)
        return "cannot start";
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    std::string text;
    FILE* f = fopen(outFile.c_str(), "rb");
    char buf[4096];
    size_t n;
    while (f && (n = fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    if (f)
        fclose(f);
    return text;
}

std::string TempPath(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name + std::to_string(GetCurrentProcessId());
}

} // namespace

TEST(LngTool, PrintsKeys)
{
    int n = 0;
    auto key = [&](const std::string& args) {
        std::string out = TempPath("lngtool-key") + "-" + std::to_string(n++);
        std::string s = RunTool(args, out);
        DeleteFileA(out.c_str());
        return s.substr(0, s.find_first_of("\r\n"));
    };
    EXPECT_EQ("29b544f7", key("key \"Uninstall completed\""));
    EXPECT_EQ("a8604cfa", key("key -d SETUPDLG OK"));
}

TEST(LngTool, ATemplateOfTheProgramLoadsAsATableOfItsOwnTexts)
{
    std::string out = TempPath("lngtool-template") + ".lng";
    std::string text = RunTool("template \"" + BuiltFile("bin\\uninstall.exe") + "\"", out);
    EXPECT_NE(std::string::npos, text.find("29b544f7=\"Uninstall completed\""));
    EXPECT_NE(std::string::npos, text.find("50a17ae8=\"LTR\""));

    // Loaded as a language file, the template translates every message into
    // itself, and it is read as left to right.
    ProgramModule = ResourceModule = GetModuleHandleA(NULL);
    LanguageResources table;
    table.Load(out.c_str());
    ASSERT_TRUE(table.IsLoaded());
    EXPECT_EQ(0, table.rightToLeft);
    for (int id = 5101; id <= 5112; id++) {
        char own[256], translated[256];
        LoadStringA(NULL, id, own, sizeof own);
        table.Translate(translated, sizeof translated, own, nullptr, kMessageText);
        EXPECT_STREQ(own, translated);
    }
    DeleteFileA(out.c_str());
}
