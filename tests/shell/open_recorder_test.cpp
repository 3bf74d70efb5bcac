// The test prefixes open text files, folders and web addresses with the
// open recorder (scripts/wine-rig.sh registers it), so the program's
// "open" calls can be checked and leave no window behind.
#include "program_driver.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <stdio.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), ::tolower);
    return s;
}

// Waits up to 10 s for the log to hold wanted (compared without case: the
// shell may hand on a path in other case than given).
bool LogGets(const std::string& log, const std::string& wanted)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50))
        if (Lower(ReadFileBytes(log)).find(Lower(wanted)) != std::string::npos)
            return true;
    return false;
}

class OpenRecorder : public testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        DWORD len = GetTempPathA(MAX_PATH, temp);
        ASSERT_TRUE(len > 0 && len < MAX_PATH);
        char name[64];
        snprintf(name, sizeof name, "qlo open %lu-%lu", GetCurrentProcessId(), GetTickCount());
        folder_ = std::string(temp) + name;
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), NULL)) << folder_;
        log_ = folder_ + "\\opened.log";
        SetEnvironmentVariableA("QLO_OPEN_LOG", log_.c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("QLO_OPEN_LOG", NULL);
        std::string from = folder_;
        from.push_back(0);
        SHFILEOPSTRUCTA op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
        SHFileOperationA(&op);
    }

    std::string folder_, log_;
};

} // namespace

TEST_F(OpenRecorder, LogsTextFilesFoldersAndAddressesTheShellOpens)
{
    std::string text = folder_ + "\\read me.txt";
    FILE* f = fopen(text.c_str(), "wb");
    ASSERT_TRUE(f);
    fputs("Quillo\r\n", f);
    fclose(f);
    std::string sub = folder_ + "\\Quillo group";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), NULL));

    for (const std::string& target : {text, sub, std::string("https://www.quillo.example/")}) {
        SCOPED_TRACE(target);
        INT_PTR result = (INT_PTR)ShellExecuteA(NULL, "open", target.c_str(), NULL, "",
                                                SW_SHOWNORMAL);
        EXPECT_GT(result, 32);
        // Each on a line of its own, as the open command quotes "%1".
        EXPECT_TRUE(LogGets(log_, "\"" + target + "\"\r\n")) << ReadFileBytes(log_);
    }
}
