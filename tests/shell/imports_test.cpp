// Reads the import table of the 32-bit program as it ships: it must load
// on Windows 95 and NT 4.0, so it may import only from system DLLs, and
// none of the functions that later systems brought.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

typedef std::map<std::string, std::vector<std::string>> ImportTable;

struct PeFile {
    std::vector<unsigned char> bytes;
    unsigned machine = 0, subsystem = 0, entryPoint = 0;
    std::vector<std::pair<unsigned, unsigned>> sections;   // (rva, size) -> file offset
    std::vector<unsigned> sectionFileOffsets;
    ImportTable imports;

    unsigned U16(size_t at) const { return at + 2 <= bytes.size() ? bytes[at] | bytes[at + 1] << 8 : 0; }
    unsigned U32(size_t at) const { return at + 4 <= bytes.size() ? U16(at) | U16(at + 2) << 16 : 0; }
    long Offset(unsigned rva) const
    {
        for (size_t i = 0; i < sections.size(); i++)
            if (rva >= sections[i].first && rva < sections[i].first + sections[i].second)
                return rva - sections[i].first + sectionFileOffsets[i];
        return -1;
    }
    std::string Text(long at) const
    {
        std::string s;
        while (at >= 0 && (size_t)at < bytes.size() && bytes[at])
            s += (char)bytes[at++];
        return s;
    }
};

bool ReadPe(const std::string& path, PeFile& pe)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    int c;
    while ((c = fgetc(f)) != EOF)
        pe.bytes.push_back((unsigned char)c);
    fclose(f);
    unsigned nt = pe.U32(0x3C);
    if (pe.U32(nt) != 0x4550)   // "PE\0\0"
        return false;
    pe.machine = pe.U16(nt + 4);
    unsigned sectionCount = pe.U16(nt + 6);
    unsigned optionalSize = pe.U16(nt + 20);
    unsigned opt = nt + 24;
    if (pe.U16(opt) != 0x10B)   // PE32
        return false;
    pe.entryPoint = pe.U32(opt + 16);
    pe.subsystem = pe.U16(opt + 68);
    unsigned importRva = pe.U32(opt + 96 + 8);
    unsigned table = opt + optionalSize;
    for (unsigned i = 0; i < sectionCount; i++) {
        unsigned s = table + i * 40;
        unsigned size = std::max(pe.U32(s + 8), pe.U32(s + 16));
        pe.sections.push_back({pe.U32(s + 12), size});
        pe.sectionFileOffsets.push_back(pe.U32(s + 20));
    }
    if (importRva == 0)
        return true;
    for (long d = pe.Offset(importRva); d >= 0 && pe.U32(d + 12) != 0; d += 20) {
        std::string dll = pe.Text(pe.Offset(pe.U32(d + 12)));
        std::transform(dll.begin(), dll.end(), dll.begin(), ::toupper);
        unsigned thunks = pe.U32(d) ? pe.U32(d) : pe.U32(d + 16);
        std::vector<std::string>& names = pe.imports[dll];
        for (long t = pe.Offset(thunks); t >= 0 && pe.U32(t) != 0; t += 4) {
            unsigned entry = pe.U32(t);
            if (entry & 0x80000000u)
                names.push_back("#" + std::to_string(entry & 0xFFFF));
            else
                names.push_back(pe.Text(pe.Offset(entry) + 2));
        }
    }
    return true;
}

std::string ShippedFile(const char* name)
{
    return std::string(QLO_SHIPPED_BIN_DIR) + "\\" + name;
}

// Functions that the Windows 95 and NT 4.0 families lack, among those that
// compilers' runtimes and careless code pull in.
const char* const kNewerFunctions[] = {
    "GetTickCount64", "AddVectoredExceptionHandler", "RemoveVectoredExceptionHandler",
    "TryEnterCriticalSection", "InitializeCriticalSectionAndSpinCount",
    "InitializeCriticalSectionEx", "SetCriticalSectionSpinCount",
    "InterlockedCompareExchange", "InterlockedCompareExchange64", "InterlockedPushEntrySList",
    "GetFileSizeEx", "SetFilePointerEx", "GetModuleHandleExA", "GetModuleHandleExW",
    "FlsAlloc", "FlsGetValue", "FlsSetValue", "FlsFree", "GetSystemTimePreciseAsFileTime",
    "IsProcessorFeaturePresent", "IsDebuggerPresent", "GetNativeSystemInfo",
    "CreateEventExA", "CreateEventExW", "CreateMutexExW", "CreateSemaphoreExW",
    "InitOnceExecuteOnce", "InitializeSRWLock", "AcquireSRWLockExclusive",
    "SleepConditionVariableCS", "WakeAllConditionVariable", "GetLogicalProcessorInformation",
    "QueueUserWorkItem", "GetProcessId", "GetThreadId", "SetDllDirectoryA",
    "LoadLibraryExW", "GetLongPathNameA", "GetLongPathNameW", "CompareStringEx",
    "LCMapStringEx", "GetLocaleInfoEx", "GetUserDefaultLocaleName", "EncodePointer",
    "DecodePointer", "HeapSetInformation", "HeapQueryInformation", "GetErrorMode",
    "___lc_codepage_func", "___lc_handle_func", "___mb_cur_max_func", "_set_invalid_parameter_handler",
    "__iob_func", "_vsnprintf_s", "_snprintf_s", "strnlen", "wcsnlen", "_strtoi64", "_strtoui64",
};

const char* const kSystemDlls[] = {
    "KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "SHELL32.DLL",
    "OLE32.DLL", "MSVCRT.DLL",
};

} // namespace

TEST(ShippedProgram, IsA32BitWindowsGuiProgram)
{
    PeFile pe;
    ASSERT_TRUE(ReadPe(ShippedFile("uninstall.exe"), pe)) << ShippedFile("uninstall.exe");
    EXPECT_EQ(0x14Cu, pe.machine);     // i386
    EXPECT_EQ(2u, pe.subsystem);       // Windows GUI
}

// The program file's imports come from system DLLs only, and hold none of
// the newer functions; the listing goes to the test's output.
static void ExpectImportsOfWindows95AndNT4(const char* file)
{
    PeFile pe;
    ASSERT_TRUE(ReadPe(ShippedFile(file), pe)) << ShippedFile(file);
    std::set<std::string> systemDlls(std::begin(kSystemDlls), std::end(kSystemDlls));
    std::set<std::string> newer(std::begin(kNewerFunctions), std::end(kNewerFunctions));
    std::string listing;
    for (const auto& dll : pe.imports) {
        EXPECT_TRUE(systemDlls.count(dll.first)) << "imports from " << dll.first;
        listing += dll.first + ":";
        for (const std::string& name : dll.second) {
            EXPECT_FALSE(newer.count(name)) << dll.first << " " << name;
            listing += " " + name;
        }
        listing += "\n";
    }
    EXPECT_TRUE(pe.imports.count("KERNEL32.DLL"));
    testing::Test::RecordProperty("imports", listing);
    printf("%s:\n%s", file, listing.c_str());
}

TEST(ShippedProgram, ImportsOnlyWhatWindows95AndNT4Have)
{
    ExpectImportsOfWindows95AndNT4("uninstall.exe");
}

// The archiver's stand-in starts from the links on the same systems.
TEST(ShippedProgram, QuilloStandInIsA32BitGuiProgramForWindows95AndNT4)
{
    PeFile pe;
    ASSERT_TRUE(ReadPe(ShippedFile("Quillo.exe"), pe)) << ShippedFile("Quillo.exe");
    EXPECT_EQ(0x14Cu, pe.machine);
    EXPECT_EQ(2u, pe.subsystem);
    ExpectImportsOfWindows95AndNT4("Quillo.exe");
}

TEST(ShippedProgram, TheLanguageLibraryHoldsResourcesOnly)
{
    PeFile pe;
    ASSERT_TRUE(ReadPe(ShippedFile("qlolng.dll"), pe));
    EXPECT_EQ(0x14Cu, pe.machine);
    EXPECT_EQ(0u, pe.entryPoint);
    EXPECT_TRUE(pe.imports.empty());
}
