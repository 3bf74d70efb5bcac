#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "util/file.h"

namespace {

std::string TempFile(const char* name, const std::string& content)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name + "-" + std::to_string(GetCurrentProcessId());
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD done;
    WriteFile(h, content.data(), (DWORD)content.size(), &done, NULL);
    CloseHandle(h);
    return path;
}

} // namespace

TEST(File, ReadsTellsAndSeeks)
{
    std::string path = TempFile("file-read", "0123456789");
    {
        File file;
        ASSERT_TRUE(file.Open(path.c_str()));
        EXPECT_EQ(0, file.Tell());
        char buf[16] = {};
        EXPECT_EQ(4, file.Read(buf, 4));
        EXPECT_EQ(std::string("0123"), buf);
        EXPECT_EQ(4, file.Tell());
        file.Seek(8, FILE_BEGIN);
        EXPECT_EQ(2, file.Read(buf, 16));
        EXPECT_EQ('8', buf[0]);
        EXPECT_EQ(0, file.Read(buf, 16));   // the end is no failure
        file.Seek(100, FILE_BEGIN);          // beyond the end
        EXPECT_EQ(100, file.Tell());
        EXPECT_EQ(0, file.Read(buf, 16));
    }
    // The destructor closed the file: it can be deleted now.
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(File, OpensWhatAnotherProgramHoldsOpenForWriting)
{
    std::string path = TempFile("file-shared", "abc");
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    {
        File file;
        EXPECT_TRUE(file.Open(path.c_str()));
        char buf[4];
        EXPECT_EQ(3, file.Read(buf, 4));
    }
    CloseHandle(writer);
    DeleteFileA(path.c_str());
}

TEST(File, AMissingFileStaysClosed)
{
    File file;
    EXPECT_FALSE(file.Open("C:\\no such folder\\no such file.lng"));
    char buf[4];
    EXPECT_EQ(-1, file.Read(buf, 4));
    file.Seek(10, FILE_BEGIN);   // does nothing on a closed file
}

TEST(File, ReadsFromANamedPipe)
{
    std::string name = "\\\\.\\pipe\\qlo-file-" + std::to_string(GetCurrentProcessId());
    HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1,
                                     4096, 4096, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, server);
    File file;
    ASSERT_TRUE(file.Open(name.c_str()));
    DWORD done;
    WriteFile(server, "piped", 5, &done, NULL);
    // A large request on a pipe gives what is there.
    std::vector<char> buf(65536);
    EXPECT_EQ(5, file.Read(buf.data(), (int)buf.size()));
    CloseHandle(server);
}
