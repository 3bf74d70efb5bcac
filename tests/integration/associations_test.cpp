// File associations against Wine's real registry: what is recorded of the
// previous owners, what is given back, the volume extensions, and the "New"
// menu templates under the Windows versions that decide their form.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assoc_fixture.h"
#include "integration/associations.h"
#include "program_driver.h"
#include "util/buffers.h"

namespace {

using Associations = AssociationKeys;
using NewMenuTemplates = AssociationKeys;

const char kMissing[] = "<missing>";

// The empty archives, as the shell must find them.
const std::string kQloTemplate("Qlo!\x1A\x07\x00\xCF\x90\x73\x00\x00\x0D\x00\x00\x00\x00\x00\x00\x00",
                               20);
const std::string kZipTemplate = std::string("PK\x05\x06", 4) + std::string(18, '\0');

bool IsNtFamily()
{
    return TestFamily() == "winxp";
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return kMissing;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// The record of an extension's previous owner, as one line.
std::string Record(const std::string& ext)
{
    std::string key = "Setup\\" + ext;
    return "Exist=" + std::to_string(ReadRecordDword(key, "Exist")) + " Type=" +
           ReadRecord(key, "Type") + " Content=" + ReadRecord(key, "Content") +
           " ShellNew=" + ReadRecord(key, "ShellNew");
}

std::string Class(const std::string& ext)
{
    return ReadText(HKEY_CLASSES_ROOT, ext, "");
}

std::string ContentType(const std::string& ext)
{
    return ReadText(HKEY_CLASSES_ROOT, ext, "Content Type");
}

void Apply(const SetupOptions& options)
{
    ApplyAssociations(&options);
}

} // namespace

TEST_F(Associations, RecordsEachKindOfPreviousOwnerOnceAndGivesItBack)
{
    // No key at all.
    // A key without a class, holding something else of its own.
    WriteText(HKEY_CLASSES_ROOT, ".arj\\OpenWithProgids", "OtherArc.Arj", "");
    // Another program's class with a content type and a template file.
    WriteText(HKEY_CLASSES_ROOT, ".ace", "", "OtherArc.Ace");
    WriteText(HKEY_CLASSES_ROOT, ".ace", "Content Type", "application/x-ace");
    WriteText(HKEY_CLASSES_ROOT, ".ace\\ShellNew", "FileName", "C:\\Other\\new.ace");
    // A template given by "NullFile" alone.
    WriteText(HKEY_CLASSES_ROOT, ".tar", "", "OtherArc.Tar");
    WriteText(HKEY_CLASSES_ROOT, ".tar\\ShellNew", "NullFile", "");
    // Quillo's own class in another letter case: nothing to record.
    WriteText(HKEY_CLASSES_ROOT, ".jar", "", "QUILLO");
    WriteText(HKEY_CLASSES_ROOT, ".jar", "Content Type", "application/java-archive");
    // ZIP points at a class of its own.
    WriteText(HKEY_CLASSES_ROOT, ".zip", "", "OtherArc.Zip");

    SetupOptions options = Options({1, 2, 3, 5, 6, 10});
    Apply(options);
    struct Case { const char* ext; const char* record; const char* className; } cases[] = {
        {".cab", "Exist=0 Type= Content= ShellNew=", "Quillo"},
        {".arj", "Exist=1 Type= Content= ShellNew=", "Quillo"},
        {".ace", "Exist=1 Type=OtherArc.Ace Content=application/x-ace ShellNew=C:\\Other\\new.ace",
         "Quillo"},
        {".tar", "Exist=1 Type=OtherArc.Tar Content= ShellNew=*", "Quillo"},
        {".jar", "Exist=-1 Type=<missing> Content=<missing> ShellNew=<missing>", "Quillo"},
        {".zip", "Exist=1 Type=OtherArc.Zip Content= ShellNew=", "Quillo.ZIP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ext);
        EXPECT_EQ(c.record, Record(c.ext));
        EXPECT_EQ(c.className, Class(c.ext));
        EXPECT_EQ(kMissing, ContentType(c.ext));
    }
    // Other templates than QLO's and ZIP's are never touched by association.
    EXPECT_EQ("C:\\Other\\new.ace", ReadText(HKEY_CLASSES_ROOT, ".ace\\ShellNew", "FileName"));

    // Associating again finds Quillo's classes and keeps the records.
    Apply(options);
    for (const Case& c : cases)
        EXPECT_EQ(c.record, Record(c.ext)) << c.ext;

    // Something put a template below the key that had none, and the
    // templates of the others went (as association does for QLO and ZIP).
    WriteText(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "NullFile", "");
    RawDeleteTree(HKEY_CLASSES_ROOT, ".ace\\ShellNew");
    RawDeleteTree(HKEY_CLASSES_ROOT, ".tar\\ShellNew");

    Apply(SetupOptions{});
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".cab"));
    EXPECT_EQ("", Class(".arj"));
    EXPECT_EQ("", ReadText(HKEY_CLASSES_ROOT, ".arj\\OpenWithProgids", "OtherArc.Arj"));
    EXPECT_EQ("OtherArc.Ace", Class(".ace"));
    EXPECT_EQ("application/x-ace", ContentType(".ace"));
    EXPECT_EQ("C:\\Other\\new.ace", ReadText(HKEY_CLASSES_ROOT, ".ace\\ShellNew", "FileName"));
    EXPECT_EQ("OtherArc.Tar", Class(".tar"));
    EXPECT_EQ("", ReadText(HKEY_CLASSES_ROOT, ".tar\\ShellNew", "NullFile"));
    EXPECT_EQ(kMissing, ReadText(HKEY_CLASSES_ROOT, ".tar\\ShellNew", "FileName"));
    // Quillo's own class is never given back as a previous owner.
    EXPECT_EQ("", Class(".jar"));
    EXPECT_EQ(kMissing, ContentType(".jar"));
    EXPECT_EQ("OtherArc.Zip", Class(".zip"));
    // The records stay for the uninstall to delete with the product key.
    EXPECT_EQ(cases[2].record, Record(".ace"));
}

TEST_F(Associations, AllTypesTakeNineteenExtensionsAndTheVolumesOfTheFamily)
{
    Apply(AllTypes(false));
    for (const AssociatedExtension& e : kAssociatedExtensions) {
        EXPECT_EQ(e.className, Class(e.extension)) << e.extension;
        EXPECT_EQ("Exist=0 Type= Content= ShellNew=", Record(e.extension)) << e.extension;
    }
    int volumes = IsNtFamily() ? 30 : 100;
    for (int i = 0; i < 100; i++)
        EXPECT_EQ(i < volumes ? "Quillo" : kMissing, Class(Volume(i))) << Volume(i);

    Apply(SetupOptions{});
    for (const AssociatedExtension& e : kAssociatedExtensions)
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, e.extension)) << e.extension;
    for (int i = 0; i < 100; i++)
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Volume(i))) << Volume(i);
}

TEST_F(Associations, RemovalLeavesWhatAnotherProgramTookOver)
{
    WriteText(HKEY_CLASSES_ROOT, ".qlo", "", "Old.Qlo");
    WriteText(HKEY_CLASSES_ROOT, ".cab", "", "Old.Cab");
    Apply(Options({kSlotQlo, 2}));
    WriteText(HKEY_CLASSES_ROOT, ".qlo", "", "Thief.Qlo");
    WriteText(HKEY_CLASSES_ROOT, ".qlo", "Content Type", "thief/qlo");
    WriteText(HKEY_CLASSES_ROOT, ".cab", "", "thief.cab");
    RegSnapshot before = SnapshotRegistry(HKEY_CLASSES_ROOT, ".qlo");
    before.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, ".cab"));
    for (int i = 0; i < 100; i++)
        before.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, Volume(i)));

    Apply(SetupOptions{});
    RegSnapshot after = SnapshotRegistry(HKEY_CLASSES_ROOT, ".qlo");
    after.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, ".cab"));
    for (int i = 0; i < 100; i++)
        after.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, Volume(i)));
    EXPECT_EQ("", RegistryDifferences(before, after));
    EXPECT_EQ("Quillo", Class(".q00"));

    // Associating again takes the new owner as the previous one.
    Apply(Options({2}));
    EXPECT_EQ("Exist=1 Type=thief.cab Content= ShellNew=", Record(".cab"));
}

TEST_F(Associations, QuillosClassWithoutAnOwnerOnRecordBecomesAnEmptyClass)
{
    struct Case { const char* ext; const char* recordedType; } cases[] = {
        {".arj", nullptr},        // no record at all: the key had existed
        {".ace", "QUILLO.ZIP"},   // Quillo's own class on record, other case
        {".tar", "quillo"},
    };
    for (const Case& c : cases) {
        WriteText(HKEY_CLASSES_ROOT, c.ext, "", "Quillo");
        WriteText(HKEY_CLASSES_ROOT, c.ext, "Content Type", "application/x-old");
        if (c.recordedType)
            WriteText(HKEY_CURRENT_USER, std::string("Software\\Quillo\\Setup\\") + c.ext, "Type",
                      c.recordedType);
    }
    Apply(SetupOptions{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ext);
        EXPECT_EQ("", Class(c.ext));
        EXPECT_EQ(kMissing, ContentType(c.ext));
    }
}

TEST_F(Associations, VolumesTakeTheOwnerOfQloOnRemoval)
{
    struct Case { const char* qloClass; const char* qloContent; } cases[] = {
        {nullptr, nullptr},                        // no key: all hundred go
        {"", nullptr},                             // no class: all go too
        {"OtherArc.Qlo", "application/x-qlo"},     // all hundred take it
        {"OtherArc.Qlo", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.qloClass ? c.qloClass : "(no key)");
        SCOPED_TRACE(c.qloContent ? c.qloContent : "(no content type)");
        RawDeleteTree(HKEY_CLASSES_ROOT, ".qlo");
        for (int i = 0; i < 100; i++)
            RawDeleteTree(HKEY_CLASSES_ROOT, Volume(i));
        RawDeleteTree(HKEY_CURRENT_USER, "Software\\Quillo\\Setup");
        if (c.qloClass)
            WriteText(HKEY_CLASSES_ROOT, ".qlo", "", c.qloClass);
        if (c.qloContent)
            WriteText(HKEY_CLASSES_ROOT, ".qlo", "Content Type", c.qloContent);
        // Volumes that some program left behind, within and beyond the
        // thirty of the NT family.
        for (int i : {5, 50}) {
            WriteText(HKEY_CLASSES_ROOT, Volume(i), "", "Old.Volume");
            WriteText(HKEY_CLASSES_ROOT, Volume(i), "Content Type", "application/x-old");
        }
        Apply(Options({kSlotQlo}));
        EXPECT_EQ(kMissing, ContentType(".q05"));
        EXPECT_EQ(IsNtFamily() ? "application/x-old" : kMissing, ContentType(".q50"));

        Apply(SetupOptions{});
        for (int i = 0; i < 100; i++) {
            SCOPED_TRACE(Volume(i));
            if (c.qloClass && c.qloClass[0]) {
                EXPECT_EQ(c.qloClass, Class(Volume(i)));
                // A volume without a content type on record keeps its own.
                const char* content = c.qloContent ? c.qloContent
                                      : i == 50 && IsNtFamily() ? "application/x-old"
                                      : kMissing;
                EXPECT_EQ(content, ContentType(Volume(i)));
            } else {
                EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Volume(i)));
            }
        }
    }
}

TEST_F(Associations, WithoutShellIntegrationTheTemplatesOfQloAndZipStay)
{
    WriteText(HKEY_CLASSES_ROOT, ".qlo\\ShellNew", "NullFile", "");
    WriteText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "FileName", "C:\\Other\\new.zip");
    WriteText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "ItemName", "Other archive");
    RegSnapshot before = SnapshotRegistry(HKEY_CLASSES_ROOT, ".qlo\\ShellNew");
    before.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));

    Apply(Options({kSlotQlo, kSlotZip}));
    RegSnapshot after = SnapshotRegistry(HKEY_CLASSES_ROOT, ".qlo\\ShellNew");
    after.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));
    EXPECT_EQ("", RegistryDifferences(before, after));
}

// Wine emulates the version named under AppDefaults for the probe's file
// name, so the probe shows what each Windows version gets.
TEST_F(NewMenuTemplates, TakeTheirFormFromTheWindowsVersion)
{
    struct Case { const char* version; const char* seen; bool files; } cases[] = {
        {"win95", "version=4.0 platform=1 nt=0", false},
        {"win98", "version=4.10 platform=1 nt=0", false},
        {"nt40", "version=4.0 platform=2 nt=4", false},
        {"winme", "version=4.90 platform=1 nt=0", true},
        {"win2k", "version=5.0 platform=2 nt=5", true},
        {"winxp", "version=5.1 platform=2 nt=5", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ProgramFolder folder("Quillo");
        // Earlier templates of another kind go.
        WriteText(HKEY_CLASSES_ROOT, ".qlo\\ShellNew", "NullFile", "");
        WriteText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "FileName", "C:\\Other\\new.zip");
        WriteText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", "old");
        std::string exe = std::string("assocprobe_") + c.version + ".exe";
        ASSERT_EQ(c.seen, RunAssocProbe(folder.Path(), exe,
                                        Options({kSlotQlo, kSlotZip, kSlotShellIntegration}),
                                        c.version));

        std::string qloFile = folder.Path() + "\\qlonew.dat";
        std::string zipFile = folder.Path() + "\\zipnew.dat";
        RegSnapshot expected;
        if (c.files) {
            SnapshotSetString(expected, ".qlo\\ShellNew", "FileName", qloFile);
            SnapshotSetString(expected, ".zip\\ShellNew", "FileName", zipFile);
            EXPECT_EQ(kQloTemplate, FileBytes(qloFile));
            EXPECT_EQ(kZipTemplate, FileBytes(zipFile));
        } else {
            SnapshotSetValue(expected, ".qlo\\ShellNew", "Data", REG_BINARY, kQloTemplate);
            SnapshotSetValue(expected, ".zip\\ShellNew", "Data", REG_BINARY, kZipTemplate);
            EXPECT_EQ(kMissing, FileBytes(qloFile));
            EXPECT_EQ(kMissing, FileBytes(zipFile));
        }
        RegSnapshot actual = SnapshotRegistry(HKEY_CLASSES_ROOT, ".qlo\\ShellNew");
        actual.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));
        expected.erase(".qlo");
        expected.erase(".zip");
        EXPECT_EQ("", RegistryDifferences(expected, actual));

        // The NT family takes thirty volumes, the 95 family a hundred.
        EXPECT_EQ("Quillo", Class(".q29"));
        EXPECT_EQ(std::string(c.seen).find("platform=2") != std::string::npos ? kMissing : "Quillo",
                  Class(".q30"));
        Apply(SetupOptions{});
    }
}

TEST_F(NewMenuTemplates, AnExistingTemplateFileIsUsedUnchanged)
{
    ProgramFolder folder("Quillo");
    std::string qloFile = folder.Path() + "\\qlonew.dat";
    WriteFileBytes(qloFile, "a template of the user's own");
    ASSERT_NE("", RunAssocProbe(folder.Path(), "assocprobe_win2k.exe",
                                Options({kSlotQlo, kSlotZip, kSlotShellIntegration}), "win2k"));
    EXPECT_EQ("a template of the user's own", FileBytes(qloFile));
    EXPECT_EQ(qloFile, ReadText(HKEY_CLASSES_ROOT, ".qlo\\ShellNew", "FileName"));
    EXPECT_EQ(kZipTemplate, FileBytes(folder.Path() + "\\zipnew.dat"));
}

namespace {

// How another program can have owned an extension before Quillo came.
enum PriorOwner {
    kNoKey,
    kKeyWithoutClass,
    kOtherClass,        // with a content type and a template file
    kNullFileOnly,      // a template given by "NullFile" alone
    kQuilloOtherCase,   // Quillo's class written in other letters
    kPriorOwnerCount,
};

const char* const kPriorOwnerNames[] = {"no key", "key without class", "other class",
                                        "NullFile only", "Quillo in other case"};

void MakePriorOwner(const std::string& ext, PriorOwner owner)
{
    switch (owner) {
    case kNoKey:
        break;
    case kKeyWithoutClass:
        WriteText(HKEY_CLASSES_ROOT, ext + "\\OpenWithProgids", ("OtherArc" + ext).c_str(), "");
        break;
    case kOtherClass:
        WriteText(HKEY_CLASSES_ROOT, ext, "", "OtherArc" + ext);
        WriteText(HKEY_CLASSES_ROOT, ext, "Content Type", "application/x-other" + ext);
        WriteText(HKEY_CLASSES_ROOT, ext + "\\ShellNew", "FileName", "C:\\Other\\new" + ext);
        break;
    case kNullFileOnly:
        WriteText(HKEY_CLASSES_ROOT, ext, "", "OtherArc" + ext);
        WriteText(HKEY_CLASSES_ROOT, ext + "\\ShellNew", "NullFile", "");
        break;
    case kQuilloOtherCase:
        WriteText(HKEY_CLASSES_ROOT, ext, "", ext == ".zip" ? "quillo.zip" : "QUILLO");
        WriteText(HKEY_CLASSES_ROOT, ext, "Content Type", "application/x-quillo");
        break;
    default:
        break;
    }
}

// Every associated extension gets a prior owner; rotation shifts which one
// gets which, so that QLO and ZIP meet each kind.
PriorOwner OwnerOf(size_t index, int rotation)
{
    return (PriorOwner)((index + rotation) % kPriorOwnerCount);
}

// HKEY_CLASSES_ROOT as it must be after association and removal: as it was,
// but for what removal is meant to leave.
RegSnapshot ExpectedAfterRemoval(const RegSnapshot& before, int rotation)
{
    RegSnapshot expected = before;
    bool dataTemplates = !IsNtFamily();   // the probe runs as Windows 98 there
    for (size_t i = 0; i < ARRAY_SIZE(kAssociatedExtensions); i++) {
        std::string ext = kAssociatedExtensions[i].extension;
        PriorOwner owner = OwnerOf(i, rotation);
        if (owner == kNoKey)
            continue;   // deleted again, with its template key
        // Without a class on record the class is given back empty.
        if (owner == kKeyWithoutClass || owner == kQuilloOtherCase)
            SnapshotSetString(expected, ext, "", "");
        if (owner == kQuilloOtherCase)
            SnapshotEraseValue(expected, ext, "Content Type");
        // The template key of QLO and ZIP stays, with the binary template
        // where that was the form; only a template file name is taken away.
        if (ext == ".qlo" || ext == ".zip") {
            expected.emplace(ext + "\\ShellNew", RegEntry());
            if (dataTemplates)
                SnapshotSetValue(expected, ext + "\\ShellNew", "Data", REG_BINARY,
                                 ext == ".qlo" ? kQloTemplate : kZipTemplate);
        }
        // The volumes take the class and content type of QLO's owner.
        if (ext == ".qlo" && (owner == kOtherClass || owner == kNullFileOnly)) {
            for (int v = 0; v < 100; v++) {
                SnapshotSetString(expected, Volume(v), "", "OtherArc.qlo");
                if (owner == kOtherClass)
                    SnapshotSetString(expected, Volume(v), "Content Type",
                                      "application/x-other.qlo");
            }
        }
    }
    return expected;
}

// What association and removal can touch: the associated extensions and
// the volumes; or, to see that nothing else changes, all of it.
RegSnapshot SnapshotClasses(bool wholeRoot)
{
    if (wholeRoot)
        return SnapshotRegistry(HKEY_CLASSES_ROOT, "");
    RegSnapshot out;
    for (const AssociatedExtension& e : kAssociatedExtensions)
        out.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, e.extension));
    for (int v = 0; v < 100; v++)
        out.merge(SnapshotRegistry(HKEY_CLASSES_ROOT, Volume(v)));
    return out;
}

// Every associated extension starts with a prior owner of its own.
class PriorOwners : public AssociationKeys {
protected:
    void MakePriorOwners(int rotation)
    {
        for (size_t i = 0; i < ARRAY_SIZE(kAssociatedExtensions); i++)
            MakePriorOwner(kAssociatedExtensions[i].extension, OwnerOf(i, rotation));
    }

    // Association of everything, shell integration included, as the setup
    // runs it from its program folder.
    void AssociateAll()
    {
        ASSERT_NE("", RunAssocProbe(folder_.Path(), "assocprobe.exe", AllTypes(true)));
    }

    ProgramFolder folder_{"Quillo"};
};

class EachPriorOwner : public PriorOwners, public ::testing::WithParamInterface<int> {};
using NothingLost = PriorOwners;

// QLO had another program's class and content type; ZIP a "NullFile".
const int kTakenOverRotation = 2;

} // namespace

TEST_P(EachPriorOwner, RemovalGivesEveryExtensionBack)
{
    int rotation = GetParam();
    for (size_t i = 0; i < 2; i++)
        RecordProperty(kAssociatedExtensions[i].extension, kPriorOwnerNames[OwnerOf(i, rotation)]);
    MakePriorOwners(rotation);
    RegSnapshot before = SnapshotClasses(false);
    AssociateAll();
    Apply(SetupOptions{});
    EXPECT_EQ("", RegistryDifferences(ExpectedAfterRemoval(before, rotation),
                                      SnapshotClasses(false)));
}

INSTANTIATE_TEST_SUITE_P(OfQloAndZip, EachPriorOwner, ::testing::Range(0, (int)kPriorOwnerCount));

// The same, with every other key of HKEY_CLASSES_ROOT compared too.
TEST_F(NothingLost, AcrossAllOfClassesRoot)
{
    MakePriorOwners(kTakenOverRotation);
    RegSnapshot before = SnapshotClasses(true);
    AssociateAll();
    Apply(SetupOptions{});
    EXPECT_EQ("", RegistryDifferences(ExpectedAfterRemoval(before, kTakenOverRotation),
                                      SnapshotClasses(true)));
}

TEST_F(NothingLost, WhatAnotherProgramTookOverStaysAsItIs)
{
    MakePriorOwners(kTakenOverRotation);
    RegSnapshot before = SnapshotClasses(true);
    AssociateAll();
    // Another program takes ".qlo" and ".tgz" between setup and uninstall.
    for (const char* ext : {".qlo", ".tgz"}) {
        WriteText(HKEY_CLASSES_ROOT, ext, "", std::string("Thief") + ext);
        WriteText(HKEY_CLASSES_ROOT, ext, "Content Type", "application/x-thief");
    }
    RegSnapshot takenOver = SnapshotClasses(false);

    Apply(SetupOptions{});
    RegSnapshot expected = ExpectedAfterRemoval(before, kTakenOverRotation);
    SnapshotCopyTree(expected, takenOver, ".qlo");
    SnapshotCopyTree(expected, takenOver, ".tgz");
    for (int v = 0; v < 100; v++)
        SnapshotCopyTree(expected, takenOver, Volume(v));
    EXPECT_EQ("", RegistryDifferences(expected, SnapshotClasses(true)));
}
