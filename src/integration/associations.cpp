#include "integration/associations.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "integration/setup_options.h"
#include "registry/registry.h"
#include "util/buffers.h"
#include "util/text.h"

namespace {

const size_t kKeyPathSize = 256;
const size_t kClassSize = 512;
const size_t kTemplateNameSize = 1024;
const size_t kNullFileSize = 10;
const size_t kPathSize = 1024;
const size_t kVolumeSize = 8;

const int kNtVolumeCount = 30;
const int kAllVolumeCount = 100;

const char kQuilloClass[] = "Quillo";
const char kQuilloZipClass[] = "Quillo.ZIP";

// Empty archives for the "New" menu. The program file holds them without
// their first byte, so it never carries a complete archive signature that a
// scanner could take it for; ApplyAssociations puts the byte in first.
unsigned char qloTemplate[20] = {
    0, 'l', 'o', '!', 0x1A, 0x07, 0x00,
    // Main archive header: CRC-32 of the 11 bytes that follow (low 16 bits,
    // 0x90CF), type 0x73, flags 0, size 13, six reserved bytes.
    0xCF, 0x90, 0x73, 0x00, 0x00, 0x0D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};
// The end of central directory record of an empty ZIP archive.
unsigned char zipTemplate[22] = {0, 0x4B, 0x05, 0x06};

struct NewMenuTemplate {
    unsigned char* bytes;
    DWORD size;
    const char* fileName;
};

const NewMenuTemplate kQloTemplate = {qloTemplate, sizeof qloTemplate, "qlonew.dat"};
const NewMenuTemplate kZipTemplate = {zipTemplate, sizeof zipTemplate, "zipnew.dat"};

// Writes into the previous-owner record what extension points at now.
void RecordPreviousOwner(const char* extension, const char* newKey, const char* recordKey)
{
    bool exists = RegKeyExists(HKEY_CLASSES_ROOT, extension);
    char className[kClassSize];
    char contentType[kClassSize];
    char templateName[kTemplateNameSize];
    char nullFile[kNullFileSize];
    GetRegString(HKEY_CLASSES_ROOT, extension, "", className, "", ARRAY_SIZE(className));
    GetRegString(HKEY_CLASSES_ROOT, extension, "Content Type", contentType, "",
                 ARRAY_SIZE(contentType));
    GetRegString(HKEY_CLASSES_ROOT, newKey, "FileName", templateName, "",
                 ARRAY_SIZE(templateName));
    bool hasNullFile = GetRegString(HKEY_CLASSES_ROOT, newKey, "NullFile", nullFile, "",
                                    ARRAY_SIZE(nullFile));

    SetRegDword(recordKey, "Exist", exists ? 1 : 0);
    SetRegString(recordKey, "Type", className);
    SetRegString(recordKey, "Content", contentType);
    // "*" stands for a template made by "NullFile" (an empty new file).
    SetRegString(recordKey, "ShellNew", templateName[0] == 0 && hasNullFile ? "*" : templateName);
}

// Creates the template file unless it exists; an existing one is kept
// whatever it holds. A file that could not be written whole is removed, so
// that a later run makes it again rather than keep a broken template.
void WriteTemplateFile(const char* path, const NewMenuTemplate& tmpl)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return;
    FILE* file = fopen(path, "wb");
    if (!file)
        return;
    bool written = fwrite(tmpl.bytes, 1, tmpl.size, file) == tmpl.size;
    if (fclose(file) != 0)
        written = false;
    if (!written)
        DeleteFileA(path);
}

void WriteNewMenuTemplate(const char* newKey, const NewMenuTemplate& tmpl)
{
    DeleteRegKey(HKEY_CLASSES_ROOT, newKey);
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;   // 148 bytes
    GetVersionExA(&version);
    // Windows Me (4.90), 2000 (5.0) and later take the template from a file;
    // 95 (4.0), 98 (4.10) and NT 4.0 from the binary value.
    if (version.dwMajorVersion > 4 || version.dwMinorVersion > 10) {
        char path[kPathSize];
        if (!FormProgramFolderPath(tmpl.fileName, path, ARRAY_SIZE(path)))
            return;
        WriteTemplateFile(path, tmpl);
        SetRegString(HKEY_CLASSES_ROOT, newKey, "FileName", path);
    } else {
        SetRegBinary(HKEY_CLASSES_ROOT, newKey, "Data", tmpl.bytes, tmpl.size);
    }
}

// The volume extensions of the own format: .q00, .q01 and so on.
void FormVolume(int number, char* volume, size_t size)
{
    BufFormat(volume, size, ".q%02d", number);
}

struct ExtensionJob {
    const char* extension;
    char newKey[kKeyPathSize];      // "<extension>\ShellNew"
    char recordKey[kKeyPathSize];   // "Setup\<extension>", below the product key
    bool isQlo;
    bool isZip;
};

void Associate(const ExtensionJob& job, bool shellIntegration)
{
    if (!IsAssociatedWithQuillo(job.extension))
        RecordPreviousOwner(job.extension, job.newKey, job.recordKey);
    SetRegString(HKEY_CLASSES_ROOT, job.extension, "", job.isZip ? kQuilloZipClass : kQuilloClass);
    DeleteRegValue(HKEY_CLASSES_ROOT, job.extension, "Content Type");
    if (job.isQlo) {
        int count = WinNTVersion() != 0 ? kNtVolumeCount : kAllVolumeCount;
        for (int i = 0; i < count; i++) {
            char volume[kVolumeSize];
            FormVolume(i, volume, ARRAY_SIZE(volume));
            SetRegString(HKEY_CLASSES_ROOT, volume, "", kQuilloClass);
            DeleteRegValue(HKEY_CLASSES_ROOT, volume, "Content Type");
        }
    }
    if (shellIntegration && (job.isQlo || job.isZip))
        WriteNewMenuTemplate(job.newKey, job.isQlo ? kQloTemplate : kZipTemplate);
}

void GiveBack(const ExtensionJob& job)
{
    // Another program took the extension over since: it is theirs now.
    if (!IsAssociatedWithQuillo(job.extension))
        return;
    bool existed = GetRegDword(job.recordKey, "Exist", 1) != 0;
    char className[kClassSize];
    char contentType[kClassSize];
    GetRegString(job.recordKey, "Type", className, "", ARRAY_SIZE(className));
    // Never restore Quillo's own class as the previous owner.
    if (IsQuilloClassName(className))
        className[0] = 0;
    GetRegString(job.recordKey, "Content", contentType, "", ARRAY_SIZE(contentType));

    if (existed) {
        SetRegString(HKEY_CLASSES_ROOT, job.extension, "", className);
        if (contentType[0] != 0)
            SetRegString(HKEY_CLASSES_ROOT, job.extension, "Content Type", contentType);
        else
            DeleteRegValue(HKEY_CLASSES_ROOT, job.extension, "Content Type");
        char templateName[kTemplateNameSize];
        GetRegString(job.recordKey, "ShellNew", templateName, "", ARRAY_SIZE(templateName));
        DeleteRegValue(HKEY_CLASSES_ROOT, job.newKey, "FileName");
        if (templateName[0] == '*')
            SetRegString(HKEY_CLASSES_ROOT, job.newKey, "NullFile", "");
        else if (templateName[0] != 0)
            SetRegString(HKEY_CLASSES_ROOT, job.newKey, "FileName", templateName);
    } else {
        // The subkey first: on the NT family a key with subkeys stays.
        DeleteRegKey(HKEY_CLASSES_ROOT, job.newKey);
        DeleteRegKey(HKEY_CLASSES_ROOT, job.extension);
    }

    if (job.isQlo) {
        // All hundred on both families: the volumes have no record of their
        // own and take the one of ".qlo".
        for (int i = 0; i < kAllVolumeCount; i++) {
            char volume[kVolumeSize];
            FormVolume(i, volume, ARRAY_SIZE(volume));
            if (!existed || className[0] == 0) {
                DeleteRegKey(HKEY_CLASSES_ROOT, volume);
                continue;
            }
            SetRegString(HKEY_CLASSES_ROOT, volume, "", className);
            if (contentType[0] != 0)
                SetRegString(HKEY_CLASSES_ROOT, volume, "Content Type", contentType);
        }
    }
}

} // namespace

void ApplyAssociations(const SetupOptions* options)
{
    qloTemplate[0] = 'Q';
    zipTemplate[0] = 'P';
    bool shellIntegration = options->slot[kSlotShellIntegration] != 0;
    for (int row = 0; row < kArchiveTypeCount; row++) {
        const char* cursor = kArchiveTypes[row].extensions;
        char extension[kExtensionSize];
        while (NextExtension(&cursor, extension, ARRAY_SIZE(extension))) {
            ExtensionJob job;
            job.extension = extension;
            job.isQlo = row == kSlotQlo;
            job.isZip = row == kSlotZip;
            if (!BufFormat(job.newKey, ARRAY_SIZE(job.newKey), "%s\\ShellNew", extension) ||
                !BufFormat(job.recordKey, ARRAY_SIZE(job.recordKey), "Setup\\%s", extension))
                continue;
            if (options->slot[row] != 0)
                Associate(job, shellIntegration);
            else
                GiveBack(job);
        }
    }
}
