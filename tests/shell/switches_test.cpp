#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "lang/ext_resource.h"
#include "shell/switches.h"

namespace {

void Record(SwitchKind kind, void* context)
{
    ((std::vector<SwitchKind>*)context)->push_back(kind);
}

std::vector<SwitchKind> Scan(const char* cmdLine, int* count = nullptr)
{
    std::vector<SwitchKind> kinds;
    int n = ScanSwitches(cmdLine, Record, &kinds);
    if (count)
        *count = n;
    return kinds;
}

} // namespace

TEST(ClassifySwitch, FollowsThePrefixRules)
{
    struct Case { const char* word; SwitchKind kind; } cases[] = {
        {"setup", kSwitchSetup}, {"SETUP", kSwitchSetup}, {"setupx", kSwitchSetup},
        {"SeTuP and more", kSwitchSetup},
        {"s", kSwitchSilent}, {"S", kSwitchSilent}, {"s1", kSwitchSilent},
        {"s /setup", kSwitchSilent}, {"s-", kSwitchSilent},
        {"Silent", kSwitchOther}, {"sx", kSwitchOther}, {"set", kSwitchOther},
        {"wait", kSwitchWait}, {"WAITING", kSwitchWait}, {"wai", kSwitchOther},
        {"warning", kSwitchWarning}, {"Warnings", kSwitchWarning}, {"warn", kSwitchOther},
        {"x", kSwitchOther}, {"foo", kSwitchOther}, {"", kSwitchOther},
        {"files", kSwitchOther},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(c.kind, ClassifySwitch(c.word));
    }
}

TEST(ScanSwitches, EverySlashOrHyphenStartsASwitch)
{
    struct Case { const char* cmdLine; std::vector<SwitchKind> kinds; } cases[] = {
        {"", {}},
        {"word", {}},
        {"/x", {kSwitchOther}},
        {"-foo", {kSwitchOther}},
        {"C:\\my-files", {kSwitchOther}},
        {"/s /setup", {kSwitchSilent, kSwitchSetup}},
        {"/setup /s", {kSwitchSetup, kSwitchSilent}},
        {"/setup /setup", {kSwitchSetup, kSwitchSetup}},
        {"/wait /warning", {kSwitchWait, kSwitchWarning}},
        {"/wait/warning", {kSwitchWait, kSwitchWarning}},
        {"-s-wait", {kSwitchSilent, kSwitchWait}},
        {"//", {kSwitchOther, kSwitchOther}},
        {"a/", {kSwitchOther}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cmdLine);
        int count = -1;
        EXPECT_EQ(c.kinds, Scan(c.cmdLine, &count));
        EXPECT_EQ((int)c.kinds.size(), count);
    }
}

TEST(ComposeRemovalMessage, NamesThePathOnItsSecondLine)
{
    LanguageLibrary.Load(GetModuleHandleA(NULL));
    char text[2048];
    EXPECT_TRUE(ComposeRemovalMessage(text, sizeof text, "C:\\Program Files\\Quillo\\uninstall.exe"));
    EXPECT_STREQ("Uninstall completed\n"
                 "You should delete C:\\Program Files\\Quillo\\uninstall.exe manually", text);
}

TEST(ComposeRemovalMessage, StaysInsideItsBufferWhateverThePathsLength)
{
    LanguageLibrary.Load(GetModuleHandleA(NULL));
    std::string path = "C:\\" + std::string(1020, 'p');   // 1023 characters
    GuardedBuffer big(2048);
    EXPECT_TRUE(ComposeRemovalMessage(big.data(), big.size(), path.c_str()));
    EXPECT_EQ("Uninstall completed\nYou should delete " + path + " manually",
              std::string(big.data()));

    GuardedBuffer small(512);
    EXPECT_FALSE(ComposeRemovalMessage(small.data(), small.size(), path.c_str()));
    EXPECT_EQ(511u, strlen(small.data()));
    EXPECT_EQ(0, strncmp(small.data(), "Uninstall completed\nYou should delete C:\\ppp", 44));
}
