// Thousands of generated and mutated language files through the loader and
// the lookups. This program is built with stack protection and with
// undefined-behaviour checks that trap, and every lookup writes into a
// buffer that ends against an inaccessible page: an overrun or undefined
// behaviour ends the test with a crash.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "lang/ext_resource.h"
#include "lang/language_table.h"
#include "lang/text_key.h"

namespace {

const char* const kTexts[] = {"Uninstall completed", "OK", "", "LTR", "Quillo help", "x"};
const char* const kDialogs[] = {nullptr, "SETUPDLG", "LTR", "DONEDLG"};

std::string ValidFile(std::mt19937& rng)
{
    std::string f = "head line\r\n***messages***\r\n";
    int lines = rng() % 40;
    for (int i = 0; i < lines; i++) {
        const char* text = kTexts[rng() % 6];
        const char* dialog = kDialogs[rng() % 4];
        char key[9];
        ComputeTextKey(key, dialog ? kDialogText : kMessageText, dialog, text);
        f += key;
        f += "=\"";
        int len = rng() % 3 == 0 ? rng() % 3000 : rng() % 40;
        for (int k = 0; k < len; k++)
            f += (char)(rng() % 5 == 0 ? "\\\"nrt*0"[rng() % 7] : 'a' + rng() % 26);
        if (rng() % 4)
            f += "\"";
        f += (rng() % 3 == 0) ? "\n" : (rng() % 2 ? "\r\n" : "\n\n");
    }
    return f;
}

std::string Mutate(std::string f, std::mt19937& rng)
{
    int edits = 1 + rng() % 20;
    for (int e = 0; e < edits && !f.empty(); e++) {
        size_t at = rng() % f.size();
        switch (rng() % 6) {
        case 0: f[at] = (char)(rng() % 256); break;
        case 1: f.erase(at, rng() % 50); break;
        case 2: f.insert(at, std::string(rng() % 5000, (char)(rng() % 256))); break;
        case 3: f.insert(at, "***messages***"); break;
        case 4: f.resize(at); break;
        case 5: f.insert(at, std::string(1, '\\')); break;
        }
    }
    if (rng() % 10 == 0)
        f += '\\';   // an escape cut by the end of the file
    return f;
}

void WriteFile(const std::string& path, const std::string& content)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD done;
    ::WriteFile(h, content.data(), (DWORD)content.size(), &done, NULL);
    CloseHandle(h);
}

} // namespace

TEST(LanguageFuzz, NoFileBreaksTheLoaderOrTheLookups)
{
    ProgramModule = ResourceModule = GetModuleHandleA(NULL);
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "fuzz-" + std::to_string(GetCurrentProcessId()) + ".lng";
    std::mt19937 rng(20261211);
    GuardedBuffer message(256), dialogText(1024), scale(512), tiny(1);
    int loaded = 0;
    for (int round = 0; round < 3000; round++) {
        std::string file = ValidFile(rng);
        if (round % 3)
            file = Mutate(file, rng);
        if (round % 100 == 0)   // now and then, a marker at the edge of the search
            file = std::string(130816 - rng() % 40, 'x') + file;
        WriteFile(path, file);
        LanguageResources table;
        table.Load(path.c_str());
        loaded += table.IsLoaded();
        ASSERT_LE(table.textLength, 65536);
        for (int i = 0; i < 6; i++) {
            const char* text = kTexts[i];
            for (const char* dialog : kDialogs) {
                TranslationKind kind = dialog ? kDialogText : kMessageText;
                table.Translate(message.data(), message.size(), text, dialog, kind);
                table.Translate(dialogText.data(), dialogText.size(), text, dialog, kind);
                table.Translate(scale.data(), scale.size(), "", dialog, kDialogText);
                table.Translate(tiny.data(), tiny.size(), text, dialog, kind);
                ASSERT_EQ(0, tiny.data()[0]);
            }
        }
        int sx, sy;
        table.GetScale("SETUPDLG", &sx, &sy);
    }
    DeleteFileA(path.c_str());
    EXPECT_GT(loaded, 1000);
}
