// The Quillo.exe stand-in, started from a program folder as links and the
// file-type open command start it, and the text files of the sample
// installation that lie beside it.
#include "program_driver.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

namespace {

const char kClass[] = "QuilloStandIn";

// Quillo.exe in a program folder of its own, started with args; the window
// and the text in it.
struct StartedQuillo {
    ProgramFolder folder{"Quillo"};
    RunningProgram program;
    HWND window = NULL;
    std::string text;

    explicit StartedQuillo(const std::string& args)
    {
        std::string exe = folder.Add(BuiltFile("bin\\Quillo.exe"), "Quillo.exe");
        if (exe.empty() || !program.Start(exe, args, folder.Path()))
            return;
        window = WaitForWindow(program.Id(), kClass, nullptr, 20000);
        HWND label = window ? FindWindowExA(window, NULL, "Static", NULL) : NULL;
        if (label)
            text = WindowText(label);
    }
};

struct DocumentCase {
    const char* args;
    const char* document;
};

// The shell quotes "%1"; a person typing a command line may not.
const DocumentCase kDocuments[] = {
    {"\"C:\\My Archives\\backup 2001.qlo\"", "C:\\My Archives\\backup 2001.qlo"},
    {"C:\\archives\\plain.zip", "C:\\archives\\plain.zip"},
    {"  \"C:\\spaced.qlo\"  ", "C:\\spaced.qlo"},
};

} // namespace

TEST(QuilloStandIn, WithoutADocumentSaysSoAndNamesItsFolder)
{
    StartedQuillo quillo("");
    ASSERT_TRUE(quillo.window) << "no " << kClass << " window";
    EXPECT_EQ("Quillo", WindowText(quillo.window));
    EXPECT_NE(std::string::npos, quillo.text.find("stand-in for the Quillo archiver")) << quillo.text;
    EXPECT_NE(std::string::npos, quillo.text.find("no document")) << quillo.text;
    EXPECT_NE(std::string::npos, quillo.text.find(quillo.folder.Path())) << quillo.text;
    EXPECT_FALSE(SaveScreenshot(quillo.window, "quillo-standin").empty());
}

TEST(QuilloStandIn, NamesTheDocumentWithoutItsQuotes)
{
    for (const DocumentCase& c : kDocuments) {
        SCOPED_TRACE(c.args);
        StartedQuillo quillo(c.args);
        ASSERT_TRUE(quillo.window);
        EXPECT_EQ(std::string("Quillo - ") + c.document, WindowText(quillo.window));
        EXPECT_NE(std::string::npos, quillo.text.find(std::string(": ") + c.document + "\r\n"))
            << quillo.text;
        EXPECT_EQ(std::string::npos, quillo.text.find("no document"));
    }
    StartedQuillo quillo(kDocuments[0].args);
    ASSERT_TRUE(quillo.window);
    EXPECT_FALSE(SaveScreenshot(quillo.window, "quillo-standin-document").empty());
}

TEST(QuilloStandIn, EscAndCloseEndIt)
{
    const UINT kMessages[][2] = {{WM_KEYDOWN, VK_ESCAPE}, {WM_CLOSE, 0}};
    for (const auto& m : kMessages) {
        SCOPED_TRACE(m[0]);
        StartedQuillo quillo("");
        ASSERT_TRUE(quillo.window);
        PostMessageA(quillo.window, m[0], m[1], 0);
        EXPECT_EQ(0, quillo.program.Wait(10000));
    }
}

TEST(SampleInstallation, TextFilesLieBesideTheProgramWithWindowsLineEnds)
{
    for (const char* name : {"license.txt", "order.txt", "Qlo.txt"}) {
        SCOPED_TRACE(name);
        std::string path = BuiltFile((std::string("bin\\") + name).c_str());
        FILE* f = fopen(path.c_str(), "rb");
        ASSERT_TRUE(f) << path;
        std::string bytes;
        int c;
        while ((c = fgetc(f)) != EOF)
            bytes += (char)c;
        fclose(f);
        ASSERT_GT(bytes.size(), 200u);
        EXPECT_EQ("\r\n", bytes.substr(bytes.size() - 2));
        for (size_t i = 0; i < bytes.size(); i++) {
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
            }
            ASSERT_TRUE((unsigned char)bytes[i] < 0x80) << "not plain ASCII at byte " << i;
        }
    }
}
