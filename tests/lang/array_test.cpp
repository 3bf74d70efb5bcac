#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string>

#include "lang/array.h"
#include "program_driver.h"

TEST(ArrayAdd, GrowsByAQuarterPlus32AndKeepsTheElements)
{
    Array<int> array;
    EXPECT_EQ(nullptr, array.items);
    int expectedCapacities[] = {32, 72, 122, 184};
    int next = 0;
    int lastCapacity = 0;
    for (int i = 0; i < 184; i++) {
        array.Add(i * 7);
        if (array.capacity != lastCapacity) {
            ASSERT_LT(next, 4);
            EXPECT_EQ(expectedCapacities[next++], array.capacity) << "after " << i + 1;
            lastCapacity = array.capacity;
        }
    }
    EXPECT_EQ(4, next);
    EXPECT_EQ(184, array.count);
    for (int i = 0; i < 184; i++)
        ASSERT_EQ(i * 7, array.items[i]);
}

TEST(ArrayAdd, AFailedGrowthIsTheFatalMemoryError)
{
    // The probe takes its whole address space first, so the growth fails
    // for real; its exception filter reports the exception.
    if (sizeof(void*) == 8)
        GTEST_SKIP() << "a 64-bit address space cannot be filled in reasonable time; "
                        "this case runs in the 32-bit build";
    std::string out = BuiltFile("tests\\arrayprobe.out");
    std::string cmd = "cmd /c \"\"" + BuiltFile("tests\\arrayprobe.exe") + "\" > \"" + out + "\"\"";
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    ASSERT_TRUE(CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL,
                               NULL, &si, &pi));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    char text[128] = "";
    FILE* f = fopen(out.c_str(), "r");
    ASSERT_TRUE(f != NULL);
    fgets(text, sizeof text, f);
    fclose(f);
    DeleteFileA(out.c_str());
    EXPECT_STREQ("exception c0000017 flags 1\n", text);
}
