// Shared ground of the association and setup-choice tests: the fixed keys
// they change are saved before each case, cleared, and put back after it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "integration/setup_options_type.h"
#include "registry_snapshot.h"

// Every extension that association touches, in table order, with the class
// it is pointed at.
struct AssociatedExtension {
    int slot;
    const char* extension;
    const char* className;
};
extern const AssociatedExtension kAssociatedExtensions[19];

// A value as the plain API reads it: "<missing>" when it cannot be read,
// else its text without the terminating NUL.
std::string ReadText(HKEY root, const std::string& path, const char* name);
// The same below the product key HKEY_CURRENT_USER\Software\Quillo.
std::string ReadRecord(const std::string& path, const char* name);
// A REG_DWORD below the product key; -1 when missing or of another type.
long ReadRecordDword(const std::string& path, const char* name);
bool KeyExists(HKEY root, const std::string& path);
void WriteText(HKEY root, const std::string& path, const char* name, const std::string& text);
void WriteDword(HKEY root, const std::string& path, const char* name, DWORD value);

// A record with the given slots set.
SetupOptions Options(std::initializer_list<int> slots);
// Every archive type, with or without shell integration.
SetupOptions AllTypes(bool shellIntegration);

// The volume extension ".q%02d".
std::string Volume(int number);

// Runs the association probe, copied into folder as exeName, with options.
// A non-empty version ("nt40", "winme"...) is set as Wine's emulated
// version for exeName first, and taken away again afterwards. Returns what
// the probe saw ("version=4.0 platform=2 nt=4"), or "" when it failed.
std::string RunAssocProbe(const std::string& folder, const std::string& exeName,
                          const SetupOptions& options, const std::string& version = "");

class AssociationKeys : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    std::vector<std::unique_ptr<SavedRegistryTree>> saved_;
};
