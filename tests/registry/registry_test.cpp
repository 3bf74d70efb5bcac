// The registry layer against Wine's real registry. Each test works below a
// key of its own, removed again by the fixture.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "program_driver.h"
#include "registry/registry.h"
#include "util/text.h"

namespace {

// Deletes a tree with the plain API, one key at a time through handles (so
// long paths work too), so the fixture does not rely on the code under test.
void RawDeleteChildren(HKEY key)
{
    std::vector<std::string> names;
    char name[512];
    for (DWORD i = 0;; i++) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    for (const std::string& n : names) {
        HKEY child;
        if (RegOpenKeyExA(key, n.c_str(), 0, KEY_ALL_ACCESS, &child) == ERROR_SUCCESS) {
            RawDeleteChildren(child);
            RegCloseKey(child);
        }
        RegDeleteKeyA(key, n.c_str());
    }
}

void RawDeleteTree(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RawDeleteChildren(key);
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

bool RawKeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

struct RawValue {
    LONG result = -1;
    DWORD type = 0;
    std::string bytes;
};

RawValue RawQuery(HKEY root, const std::string& path, const char* name)
{
    RawValue v;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return v;
    char data[1024];
    DWORD size = sizeof data;
    v.result = RegQueryValueExA(key, name, NULL, &v.type, (BYTE*)data, &size);
    if (v.result == ERROR_SUCCESS)
        v.bytes.assign(data, size);
    RegCloseKey(key);
    return v;
}

void RawSet(HKEY root, const std::string& path, const char* name, DWORD type,
            const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL,
                                             &key, NULL));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, (const BYTE*)data, size));
    RegCloseKey(key);
}

// Opens (or creates) a path one key at a time: Wine refuses the ANSI calls
// a path of several hundred characters in one piece.
bool RawWalk(HKEY root, const std::string& path, bool create)
{
    HKEY key = root;
    size_t start = 0;
    bool ok = true;
    while (ok && start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        HKEY next;
        LONG r = create ? RegCreateKeyExA(key, part.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                          &next, NULL)
                        : RegOpenKeyExA(key, part.c_str(), 0, KEY_READ, &next);
        if (key != root)
            RegCloseKey(key);
        ok = r == ERROR_SUCCESS;
        if (ok)
            key = next;
        start = end + 1;
    }
    if (ok && key != root)
        RegCloseKey(key);
    return ok;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base_ = "Software\\QuilloTest-" + std::to_string(GetCurrentProcessId());
        abs_ = "\\" + base_;
        RawDeleteTree(HKEY_CURRENT_USER, base_);
    }
    void TearDown() override
    {
        RawDeleteTree(HKEY_CURRENT_USER, base_);
        EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, base_)) << "left behind";
    }

    std::string base_;   // full path below HKEY_CURRENT_USER
    std::string abs_;    // the same, written as an absolute path for the layer
};

} // namespace

TEST(BuildRegPath, PlacesRelativeUserPathsUnderTheProductKey)
{
    struct Case { HKEY root; const char* path; const char* full; } cases[] = {
        {HKEY_CURRENT_USER, "", "Software\\Quillo"},
        {HKEY_CURRENT_USER, "Setup", "Software\\Quillo\\Setup"},
        {HKEY_CURRENT_USER, "Setup\\Links", "Software\\Quillo\\Setup\\Links"},
        {HKEY_CURRENT_USER, "\\Software\\Classes\\x", "Software\\Classes\\x"},
        {HKEY_CLASSES_ROOT, ".qlo", ".qlo"},
        {HKEY_CLASSES_ROOT, "", ""},
        {HKEY_LOCAL_MACHINE, "\\Software\\x", "\\Software\\x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        GuardedBuffer dest(kRegPathSize);
        EXPECT_TRUE(BuildRegPath(c.root, c.path, dest.data(), dest.size()));
        EXPECT_STREQ(c.full, dest.data());
    }
}

TEST(BuildRegPath, Accepts236CharactersAndRefuses237)
{
    std::string ok(236, 'k'), tooLong(237, 'k');
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) {
        GuardedBuffer dest(kRegPathSize);
        EXPECT_TRUE(BuildRegPath(root, ok.c_str(), dest.data(), dest.size()));
        EXPECT_FALSE(BuildRegPath(root, tooLong.c_str(), dest.data(), dest.size()));
    }
}

TEST_F(RegistryTest, ARefusedPathWritesNothingAndReadsTheDefault)
{
    // 237 characters in all, written absolute so it lands in our own key.
    std::string path = abs_ + "\\" + std::string(236 - abs_.size(), 'p');
    ASSERT_EQ(237u, path.size());
    SetRegString(HKEY_CURRENT_USER, path.c_str(), "v", "text");
    SetRegDword(HKEY_CURRENT_USER, path.c_str(), "d", 5);
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, base_));
    char buf[32];
    EXPECT_FALSE(GetRegString(HKEY_CURRENT_USER, path.c_str(), "v", buf, "dflt", sizeof buf));
    EXPECT_STREQ("dflt", buf);
    EXPECT_EQ(7u, GetRegDword(HKEY_CURRENT_USER, path.c_str(), "d", 7));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, path.c_str()));
    EXPECT_TRUE(CreateRegKey(HKEY_CURRENT_USER, path.c_str()) == NULL);

    // One character less is fine.
    path.pop_back();
    SetRegString(HKEY_CURRENT_USER, path.c_str(), "v", "text");
    EXPECT_TRUE(GetRegString(HKEY_CURRENT_USER, path.c_str(), "v", buf, "dflt", sizeof buf));
    EXPECT_STREQ("text", buf);
}

TEST_F(RegistryTest, WritesStoreTheTypesAndSizesTheyShould)
{
    std::string key = abs_ + "\\a\\b";   // keys on the way are created
    SetRegString(HKEY_CURRENT_USER, key.c_str(), "", "default text");
    SetRegString(HKEY_CURRENT_USER, key.c_str(), "empty", "");
    SetRegDword(HKEY_CURRENT_USER, key.c_str(), "number", 0x12345678);
    const unsigned char bytes[] = {0, 1, 2, 0xFF};
    SetRegBinary(HKEY_CURRENT_USER, key.c_str(), "binary", bytes, sizeof bytes);

    std::string full = base_ + "\\a\\b";
    RawValue v = RawQuery(HKEY_CURRENT_USER, full, "");
    EXPECT_EQ(REG_SZ, v.type);
    EXPECT_EQ(std::string("default text", 13), v.bytes);
    v = RawQuery(HKEY_CURRENT_USER, full, "empty");
    EXPECT_EQ(REG_SZ, v.type);
    EXPECT_EQ(std::string("", 1), v.bytes);
    v = RawQuery(HKEY_CURRENT_USER, full, "number");
    EXPECT_EQ(REG_DWORD, v.type);
    EXPECT_EQ(std::string("\x78\x56\x34\x12", 4), v.bytes);
    v = RawQuery(HKEY_CURRENT_USER, full, "binary");
    EXPECT_EQ(REG_BINARY, v.type);
    EXPECT_EQ(std::string((const char*)bytes, 4), v.bytes);

    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key.c_str()));
    EXPECT_EQ(0x12345678u, GetRegDword(HKEY_CURRENT_USER, key.c_str(), "number", 0));
}

TEST_F(RegistryTest, StringReadsFallBackToTheDefaultInsteadOfACutValue)
{
    std::string key = abs_ + "\\s";
    SetRegString(HKEY_CURRENT_USER, key.c_str(), "fits", "1234567");        // 8 bytes
    SetRegString(HKEY_CURRENT_USER, key.c_str(), "long", "123456789");      // 10 bytes
    RawSet(HKEY_CURRENT_USER, base_ + "\\s", "noNulFull", REG_SZ, "12345678", 8);
    RawSet(HKEY_CURRENT_USER, base_ + "\\s", "noNulShort", REG_SZ, "abc", 3);
    RawSet(HKEY_CURRENT_USER, base_ + "\\s", "binary", REG_BINARY, "xy", 2);

    struct Case { const char* path; const char* name; bool read; const char* text; } cases[] = {
        {"\\Software\\QuilloTest-none", "fits", false, "dflt"},   // missing key
        {key.c_str(), "missing", false, "dflt"},
        {key.c_str(), "fits", true, "1234567"},
        {key.c_str(), "long", false, "dflt"},
        {key.c_str(), "noNulFull", false, "dflt"},   // would need a 9th byte
        {key.c_str(), "noNulShort", true, "abc"},
        {key.c_str(), "binary", true, "xy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GuardedBuffer buf(8);
        EXPECT_EQ(c.read, GetRegString(HKEY_CURRENT_USER, c.path, c.name, buf.data(), "dflt",
                                       buf.size()));
        EXPECT_STREQ(c.text, buf.data());
    }
    // A default longer than the buffer is cut, never written past it.
    GuardedBuffer small(4);
    EXPECT_FALSE(GetRegString(HKEY_CURRENT_USER, key.c_str(), "missing", small.data(),
                              "default", small.size()));
    EXPECT_STREQ("def", small.data());
}

TEST_F(RegistryTest, DwordReadsZeroExtendShortValuesAndRefuseLongOnes)
{
    std::string key = abs_ + "\\d";
    RawSet(HKEY_CURRENT_USER, base_ + "\\d", "two", REG_BINARY, "\x34\x12", 2);
    RawSet(HKEY_CURRENT_USER, base_ + "\\d", "eight", REG_BINARY, "12345678", 8);
    RawSet(HKEY_CURRENT_USER, base_ + "\\d", "text", REG_SZ, "ab", 3);
    SetRegDword(HKEY_CURRENT_USER, key.c_str(), "two32", 2);
    struct Case { const char* name; DWORD value; } cases[] = {
        {"missing", 0xDEFA},
        {"two", 0x1234},
        {"eight", 0xDEFA},
        {"text", 0x6261},
        {"two32", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.value, GetRegDword(HKEY_CURRENT_USER, key.c_str(), c.name, 0xDEFA));
    }
}

TEST_F(RegistryTest, DeletingKeysAndValues)
{
    std::string key = abs_ + "\\k";
    SetRegString(HKEY_CURRENT_USER, key.c_str(), "a", "1");
    SetRegString(HKEY_CURRENT_USER, key.c_str(), "b", "2");
    DeleteRegValue(HKEY_CURRENT_USER, key.c_str(), "a");
    EXPECT_NE(ERROR_SUCCESS, RawQuery(HKEY_CURRENT_USER, base_ + "\\k", "a").result);
    EXPECT_EQ(ERROR_SUCCESS, RawQuery(HKEY_CURRENT_USER, base_ + "\\k", "b").result);

    SetRegString(HKEY_CURRENT_USER, (key + "\\child").c_str(), "c", "3");
    DeleteRegKey(HKEY_CURRENT_USER, key.c_str());
    if (WinNTVersion() != 0) {
        // NT deletes no key that still has subkeys.
        EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, base_ + "\\k\\child"));
        DeleteRegKey(HKEY_CURRENT_USER, (key + "\\child").c_str());
        DeleteRegKey(HKEY_CURRENT_USER, key.c_str());
    }
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, base_ + "\\k"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key.c_str()));
}

TEST_F(RegistryTest, DeleteRegTreeRemovesAManyLevelTreeAndNothingElse)
{
    // 6 keys per level, 4 levels deep: 1554 keys, with values on the way.
    std::vector<std::string> level = {base_ + "\\tree"};
    for (int depth = 0; depth < 4; depth++) {
        std::vector<std::string> next;
        for (const std::string& parent : level)
            for (int i = 0; i < 6; i++)
                next.push_back(parent + "\\k" + std::to_string(i));
        for (const std::string& k : next)
            RawSet(HKEY_CURRENT_USER, k, "v", REG_DWORD, "\1\0\0\0", 4);
        level = next;
    }
    RawSet(HKEY_CURRENT_USER, base_ + "\\treeSibling", "v", REG_DWORD, "\1\0\0\0", 4);

    DeleteRegTree(HKEY_CURRENT_USER, (abs_ + "\\tree").c_str());
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, base_ + "\\tree"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, base_ + "\\treeSibling"));

    // A missing key: nothing happens.
    DeleteRegTree(HKEY_CURRENT_USER, (abs_ + "\\tree").c_str());
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, base_ + "\\treeSibling"));
}

TEST_F(RegistryTest, DeleteRegTreeLeavesABranchWhosePathWouldNotFit)
{
    // Below a 150-character start, three levels of 150-character names make
    // a path of over 512 characters: that branch is refused, not cut.
    std::string start = base_ + "\\" + std::string(150 - base_.size() - 1, 's');
    std::string name(150, 'n');
    std::string deep = start + "\\" + name + "\\" + name + "\\" + name;
    ASSERT_GT(deep.size(), 512u);
    ASSERT_TRUE(RawWalk(HKEY_CURRENT_USER, deep, true));
    ASSERT_TRUE(RawWalk(HKEY_CURRENT_USER, start + "\\short", true));
    DeleteRegTree(HKEY_CURRENT_USER, ("\\" + start).c_str());
    if (WinNTVersion() == 0) {
        // The 95 family deletes the whole tree in one call.
        EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, start));
    } else {
        EXPECT_TRUE(RawWalk(HKEY_CURRENT_USER, deep, false));
        EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, start + "\\short"));
    }
}

TEST(ProductKey, TheEmptyPathNamesTheWholeProductKey)
{
    RawSet(HKEY_CURRENT_USER, "Software\\Quillo\\Setup\\Links", "Desktop", REG_DWORD,
           "\1\0\0\0", 4);
    SetRegDword("Setup", "ShellExt", 1);
    EXPECT_EQ(1u, GetRegDword("Setup\\Links", "Desktop", 0));
    char buf[16];
    SetRegString("", "Top", "x");
    EXPECT_TRUE(GetRegString("", "Top", buf, "", sizeof buf));
    EXPECT_STREQ("x", buf);

    DeleteRegTree(HKEY_CURRENT_USER, "");
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, "Software\\Quillo"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, "Software"));

    // A root key itself is never deleted, whatever the family.
    DeleteRegTree(HKEY_CLASSES_ROOT, "");
    EXPECT_TRUE(RawKeyExists(HKEY_CLASSES_ROOT, "txtfile") || RawKeyExists(HKEY_CLASSES_ROOT, ".txt"));
}
