// The translators' tool, run as a translator would run it.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "lang/text_key.h"
#include "program_driver.h"

namespace {

struct ToolRun {
    long exitCode;
    std::string output;   // what it printed, standard output and error together
};

// Runs lngtool with args in folder (null: this program's) and collects
// what it printed in outFile.
ToolRun RunTool(const std::string& args, const std::string& outFile, const char* folder = nullptr)
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
                                  folder, &si, &pi);
    CloseHandle(out);
    if (!started)
        return {-1, "cannot start"};
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return {(long)code, ReadFileBytes(outFile)};
}

std::string TempPath(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name + std::to_string(GetCurrentProcessId());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f != NULL) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string Key(TranslationKind kind, const char* dialog, const char* text)
{
    char key[kTextKeyLength + 1];
    ComputeTextKey(key, kind, dialog, text);
    return key;
}

// Every line of text that is not a note, nor the summary.
std::vector<std::string> LinesOtherThanNotes(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.find(": note: ") == std::string::npos &&
            line.find(" errors, ") == std::string::npos)
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// A dialog template built in memory, as the resource compiler lays it out.
class TemplateBuilder {
public:
    std::vector<WORD> words;

    void Word(WORD w) { words.push_back(w); }
    void Dword(DWORD d) { Word(LOWORD(d)); Word(HIWORD(d)); }
    void Text(const wchar_t* s)
    {
        for (; *s; s++)
            Word((WORD)*s);
        Word(0);
    }
    void Ordinal(WORD ordinal) { Word(0xFFFF); Word(ordinal); }
    void AlignDword()
    {
        if (words.size() % 2)
            Word(0);
    }
};

// An extended template (DIALOGEX) with a check box, one text on two
// controls, a rich edit whose text holds a line break and quotes, an icon
// and an empty edit box.
std::vector<WORD> ExtendedDialog()
{
    struct Item { DWORD style; int id; const wchar_t* className; WORD classOrdinal;
                  const wchar_t* text; WORD textOrdinal; };
    const Item items[] = {
        {BS_AUTOCHECKBOX, 200, nullptr, 0x80, L"&Alpha", 0},
        {SS_LEFT, -1, nullptr, 0x82, L"Same", 0},
        {BS_PUSHBUTTON, 201, L"Button", 0, L"Same", 0},
        {ES_MULTILINE, 202, L"RICHEDIT", 0, L"Line one\r\nLine \"two\"", 0},
        {SS_ICON, 203, nullptr, 0x82, nullptr, 1},
        {0, 204, nullptr, 0x81, L"", 0},
    };
    TemplateBuilder t;
    t.Word(1);
    t.Word(0xFFFF);
    t.Dword(0);   // help id
    t.Dword(0);   // extended style
    t.Dword(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION);
    t.Word(ARRAYSIZE(items));
    for (int i = 0; i < 4; i++)
        t.Word(10);
    t.Word(0);   // menu
    t.Word(0);   // class
    t.Text(L"Fixture");
    t.Word(8);   // point size, weight, italic and character set
    t.Word(400);
    t.Word(0);
    t.Text(L"MS Shell Dlg");
    for (const Item& item : items) {
        t.AlignDword();
        t.Dword(0);   // help id
        t.Dword(0);   // extended style
        t.Dword(item.style | WS_CHILD | WS_VISIBLE);
        for (int i = 0; i < 4; i++)
            t.Word(10);
        t.Dword((DWORD)item.id);
        if (item.className)
            t.Text(item.className);
        else
            t.Ordinal(item.classOrdinal);
        if (item.text)
            t.Text(item.text);
        else
            t.Ordinal(item.textOrdinal);
        t.Word(0);   // creation data
    }
    return t.words;
}

// A classic template (DIALOG) without a title or font, with one button.
std::vector<WORD> ClassicDialog()
{
    TemplateBuilder t;
    t.Dword(DS_MODALFRAME | WS_POPUP);
    t.Dword(0);
    t.Word(1);
    for (int i = 0; i < 4; i++)
        t.Word(10);
    t.Word(0);   // menu
    t.Word(0);   // class
    t.Text(L"");
    t.AlignDword();
    t.Dword(BS_DEFPUSHBUTTON | WS_CHILD | WS_VISIBLE);
    t.Dword(0);
    for (int i = 0; i < 4; i++)
        t.Word(10);
    t.Word(IDOK);
    t.Ordinal(0x80);
    t.Text(L"OK");
    t.Word(0);
    return t.words;
}

// A folder of the test's own with a copy of the program that also holds the
// dialogs FIXDLG and OLDDLG; deleted with its files when the object goes.
class FixtureFolder {
public:
    FixtureFolder() : path_(TempPath("lngtool-fixture"))
    {
        CreateDirectoryA(path_.c_str(), NULL);
        program_ = path_ + "\\fixture.exe";
        CopyFileA(BuiltFile("bin\\uninstall.exe").c_str(), program_.c_str(), FALSE);
        HANDLE update = BeginUpdateResourceA(program_.c_str(), FALSE);
        std::vector<WORD> extended = ExtendedDialog(), classic = ClassicDialog();
        WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
        ok_ = update &&
              UpdateResourceA(update, RT_DIALOG, "FIXDLG", english, extended.data(),
                              (DWORD)(extended.size() * sizeof(WORD))) &&
              UpdateResourceA(update, RT_DIALOG, "OLDDLG", english, classic.data(),
                              (DWORD)(classic.size() * sizeof(WORD))) &&
              EndUpdateResourceA(update, FALSE);
    }
    ~FixtureFolder()
    {
        for (const std::string& file : files_)
            DeleteFileA((path_ + "\\" + file).c_str());
        DeleteFileA(program_.c_str());
        RemoveDirectoryA(path_.c_str());
    }
    FixtureFolder(const FixtureFolder&) = delete;
    FixtureFolder& operator=(const FixtureFolder&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Path() const { return path_; }
    const std::string& Program() const { return program_; }
    // Writes a file of the folder; returns its path.
    std::string Add(const char* name, const std::string& bytes)
    {
        files_.push_back(name);
        WriteBytes(path_ + "\\" + name, bytes);
        return path_ + "\\" + name;
    }
    // lngtool ARGS, run in the folder. Each run writes a file of its own:
    // under Wine a file written again under the same name was at times
    // read back with its former contents.
    ToolRun Run(const std::string& args)
    {
        std::string out = path_ + "\\out" + std::to_string(runs_++) + ".txt";
        ToolRun run = RunTool(args, out, path_.c_str());
        DeleteFileA(out.c_str());
        return run;
    }

private:
    std::string path_;
    std::string program_;
    std::vector<std::string> files_;
    int runs_ = 0;
    bool ok_ = false;
};

} // namespace

TEST(LngTool, PrintsKeys)
{
    FixtureFolder folder;
    auto key = [&](const std::string& args) {
        std::string s = folder.Run(args).output;
        return s.substr(0, s.find_first_of("\r\n"));
    };
    EXPECT_EQ("29b544f7", key("key \"Uninstall completed\""));
    EXPECT_EQ("a8604cfa", key("key -d SETUPDLG OK"));
}

TEST(LngTool, ATemplateOfTheProgramLoadsAsATableOfItsOwnTextsAndPassesTheCheck)
{
    std::string program = BuiltFile("bin\\uninstall.exe");
    std::string out = TempPath("lngtool-template") + ".lng";
    std::string text = RunTool("template \"" + program + "\"", out).output;
    EXPECT_NE(std::string::npos, text.find("; message 5105\r\n29b544f7=\"Uninstall completed\""));
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

    // Whatever dialogs the program holds, its template is a clean file in
    // which every text is still English.
    ToolRun check = RunTool("check \"" + program + "\" \"" + out + "\"", out + ".txt");
    EXPECT_EQ(0, check.exitCode) << check.output;
    EXPECT_EQ(std::vector<std::string>(), LinesOtherThanNotes(check.output));
    EXPECT_NE(std::string::npos, check.output.find(": 0 errors, 0 warnings; 0 of ")) << check.output;
    DeleteFileA(out.c_str());
    DeleteFileA((out + ".txt").c_str());
}

TEST(LngTool, TheTemplateTakesEveryTextOfEveryDialog)
{
    FixtureFolder folder;
    ASSERT_TRUE(folder.Ok());
    ToolRun run = folder.Run("template fixture.exe");
    ASSERT_EQ(0, run.exitCode);
    const std::string& text = run.output;
    std::string expected[] = {
        "; dialog FIXDLG, caption\r\n" + Key(kDialogText, "FIXDLG", "Fixture") + "=\"Fixture\"\r\n",
        "; dialog FIXDLG, control 200 (check box)\r\n" +
            Key(kDialogText, "FIXDLG", "&Alpha") + "=\"&Alpha\"\r\n",
        // One text on two controls: one entry, both places named.
        "; dialog FIXDLG, label\r\n; dialog FIXDLG, control 201 (button)\r\n" +
            Key(kDialogText, "FIXDLG", "Same") + "=\"Same\"\r\n",
        "; dialog FIXDLG, control 202 (rich edit)\r\n" +
            Key(kDialogText, "FIXDLG", "Line one\r\nLine \"two\"") +
            "=\"Line one\\r\\nLine \\\"two\\\"\"\r\n",
        Key(kDialogText, "FIXDLG", "") + "=\"100*100\"\r\n",
        Key(kDialogText, "OLDDLG", "") + "=\"100*100\"\r\n",
        "; dialog OLDDLG, control 1 (button)\r\n" + Key(kDialogText, "OLDDLG", "OK") + "=\"OK\"\r\n",
    };
    for (const std::string& entry : expected)
        EXPECT_NE(std::string::npos, text.find(entry)) << entry << "\nin\n" << text;
    EXPECT_EQ(text.find("=\"Same\""), text.rfind("=\"Same\""));   // no second entry
    EXPECT_EQ(std::string::npos, text.find("OLDDLG, caption"));   // it has none
    EXPECT_EQ(std::string::npos, text.find("(edit box)"));        // empty, never translated

    // The escapes read back as the text the rich edit control shows.
    std::string lng = folder.Add("template.lng", text);
    ProgramModule = ResourceModule = GetModuleHandleA(NULL);
    LanguageResources table;
    table.Load(lng.c_str());
    char translated[1024];
    table.Translate(translated, sizeof translated, "Line one\r\nLine \"two\"", "FIXDLG",
                    kDialogText);
    EXPECT_STREQ("Line one\r\nLine \"two\"", translated);
}

TEST(LngTool, TheSampleLanguageFilePassesTheCheck)
{
    std::string out = TempPath("lngtool-sample");
    ToolRun run = RunTool("check \"" + BuiltFile("bin\\uninstall.exe") + "\" \"" QLO_SOURCE_DIR
                          "\\res\\lang\\uninstall.lng\"", out);
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_EQ(std::vector<std::string>(), LinesOtherThanNotes(run.output));
    EXPECT_NE(std::string::npos, run.output.find(": 0 errors, 0 warnings; ")) << run.output;
    DeleteFileA(out.c_str());
}

TEST(LngTool, CheckReportsEachFaultAtItsLine)
{
    FixtureFolder folder;
    ASSERT_TRUE(folder.Ok());
    const std::string head = "; French\r\n***messages***\r\n";   // entries from line 3
    const std::string scale = Key(kDialogText, "FIXDLG", "");
    const std::string caption = Key(kDialogText, "FIXDLG", "Fixture");
    auto entry = [](const std::string& key, const std::string& text) {
        return key + "=\"" + text + "\"\r\n";
    };
    // A comment line of exactly n bytes, line end included.
    auto filler = [](size_t n) { return ";" + std::string(n - 3, 'x') + "\r\n"; };
    // 255 characters once the escapes are read, and one more.
    const std::string longest = std::string(245, 'a') + "\\\"\\\\\\n\\r\\t" + std::string(5, 'b');
    struct Case {
        const char* name;
        std::string file;
        long exitCode;
        int errors;
        std::string expected;   // a line of the output, or part of it
    };
    const Case cases[] = {
        {"clean", head + entry("29b544f7", "Fertig") + entry(scale, "120*110") +
                      entry("50a17ae8", "RTL"),
         0, 0, "fixture.lng: 0 errors, 0 warnings; 1 of "},
        {"unknown key", head + entry("12345678", "Fertig"), 0, 0,
         "fixture.lng:3: warning: the key 12345678 matches no text of fixture.exe"},
        {"upper-case key", head + entry("29B544F7", "Fertig"), 1, 1,
         "fixture.lng:3: error: the key has upper-case letters: the program never finds it; "
         "write 29b544f7, the key of message 5105"},
        {"no closing quote", head + "29b544f7=\"Fertig\r\n", 1, 1,
         "fixture.lng:3: error: no closing double quote"},
        {"no opening quote", head + "29b544f7=Fertig\"\r\n", 1, 1,
         "fixture.lng:3: error: no opening double quote"},
        {"blank after the key", head + "\r\n29b544f7 = \"Fertig\"\r\n", 1, 1,
         "fixture.lng:4: error: the key must be followed directly by =\""},
        {"short key", head + entry("29b544f", "Fertig"), 1, 1, "fixture.lng:3: error: not an entry"},
        {"indented key", head + "  " + entry("29b544f7", "Fertig"), 1, 1,
         "fixture.lng:3: error: not an entry"},
        {"longest message", head + entry("29b544f7", longest), 0, 0, "0 errors"},
        {"message too long", head + entry("29b544f7", longest + "c"), 1, 1,
         "fixture.lng:3: error: the translation of message 5105 has 256 characters"},
        {"dialog text too long", head + entry(caption, std::string(1024, 'a')), 1, 1,
         "fixture.lng:3: error: the translation of dialog FIXDLG, caption has 1024 characters"},
        {"scale too long", head + entry(scale, "120*110" + std::string(505, ' ')), 1, 2,
         "has 512 characters (an escape counts as one): the program keeps the first 511"},
        {"scale with an x", head + entry(scale, "120x110"), 1, 1,
         "fixture.lng:3: error: not a scale of dialog FIXDLG, scale"},
        {"negative scale", head + entry(scale, "-5*100"), 1, 1, "fixture.lng:3: error: not a scale"},
        {"direction in lower case", head + entry("50a17ae8", "rtl"), 0, 0,
         "fixture.lng:3: warning: the direction is \"LTR\" or \"RTL\""},
        {"message without its %s", head + entry("9f3e75c0", "Supprimez-le"), 0, 0,
         "fixture.lng:3: warning: the English text of message 5106 has 1 %s"},
        {"duplicate key", head + entry("29b544f7", "Fertig") + entry("29b544f7", "Fini"), 1, 1,
         "fixture.lng:4: error: the key 29b544f7 is also on line 3"},
        {"entry above the marker", entry("29b544f7", "Fertig") + head, 0, 0,
         "fixture.lng:1: warning: this entry stands above the ***messages*** line"},
        {"no marker", "; French\r\n" + entry("29b544f7", "Fertig"), 1, 1,
         "fixture.lng: error: no line ***messages***"},
        {"marker at the last byte searched", filler(130816) + "***messages***\r\n" + entry("29b544f7", "Fertig"),
         0, 0, "0 errors"},
        {"marker beyond it", filler(130817) + "***messages***\r\n" + entry("29b544f7", "Fertig"), 1, 1,
         "fixture.lng:2: error: the ***messages*** line begins at byte 130817, beyond the first "
         "130816 bytes"},
        {"marker too near the end", "; French\r\n***messages***\r", 1, 1,
         "fixture.lng:2: error: the program does not find the ***messages*** line this near"},
        {"entry past the section", head + filler(65536 - 16) + entry("29b544f7", "Fertig") +
                                       entry("01f00f88", "Quillo"),
         1, 1, "fixture.lng:4: error: the program reads at most 65536 bytes from the "
               "***messages*** line: this entry and the 1 after it are never read"},
        {"entry cut by the section's end", head + filler(65536 - 17) + entry("29b544f7", "Fertig"),
         1, 1, "fixture.lng:4: error: the section ends inside this line"},
        {"NUL byte", head + entry("29b544f7", "Fertig") + std::string(1, '\0') + "\r\n" +
                         entry("01f00f88", "Quillo"),
         1, 1, "fixture.lng:4: error: a NUL byte ends the section here"},
        {"last line without a line end",
         head + caption + "=\"" + std::string(300, 'a') + "\"", 1, 1,
         "fixture.lng:3: error: no line end after this entry"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case has a file of its own name, as each run has its output.
        std::string name = "case" + std::to_string(n++) + ".lng";
        folder.Add(name.c_str(), c.file);
        ToolRun run = folder.Run("check fixture.exe " + name);
        std::string expected = c.expected;
        if (expected.compare(0, 11, "fixture.lng") == 0)
            expected.replace(0, 11, name);
        EXPECT_EQ(c.exitCode, run.exitCode) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(expected)) << run.output;
        std::string summary = name + ": " + std::to_string(c.errors) + " error";
        EXPECT_NE(std::string::npos, run.output.find(summary)) << run.output;
    }
}

TEST(LngTool, CheckListsTheTextsLeftInEnglish)
{
    FixtureFolder folder;
    ASSERT_TRUE(folder.Ok());
    folder.Add("fixture.lng", "***messages***\r\n29b544f7=\"Fertig\"\r\n01f00f88=\"Uninstall "
                              "Quillo\"\r\n");
    ToolRun run = folder.Run("check fixture.exe fixture.lng");
    EXPECT_EQ(0, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find(
        "fixture.lng:3: note: untranslated: message 5104 is the English text \"Uninstall Quillo\""))
        << run.output;
    EXPECT_NE(std::string::npos, run.output.find(
        "fixture.lng: note: untranslated: dialog FIXDLG, control 202 (rich edit) has no entry (" +
        Key(kDialogText, "FIXDLG", "Line one\r\nLine \"two\"") +
        "=\"Line one\\r\\nLine \\\"two\\\"\")")) << run.output;
    EXPECT_EQ(std::string::npos, run.output.find("message 5105")) << run.output;
    EXPECT_EQ(std::string::npos, run.output.find("scale")) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("0 errors, 0 warnings; 1 of ")) << run.output;
}
