// A sample installation of Quillo for the setup runs: a fresh program folder
// under "C:\Program Files" with uninstall.exe, the Quillo.exe stand-in and
// the text files the completion dialog opens, and the shell's open requests
// going to a log of its own. Every piece of integration is taken back when
// it is made and when it goes.
#pragma once

#include <windows.h>

#include <string>

#include "program_driver.h"
#include "uninstall/uninstall.h"

class SampleInstallation {
public:
    SampleInstallation() : folder_("Quillo")
    {
        RemoveIntegration();
        exe_ = folder_.Add(BuiltFile("bin\\uninstall.exe"), "uninstall.exe");
        folder_.Add(BuiltFile("bin\\Quillo.exe"), "Quillo.exe");
        folder_.Add(BuiltFile("bin\\license.txt"), "license.txt");
        folder_.Add(BuiltFile("bin\\order.txt"), "order.txt");
        log_ = folder_.Path() + "\\opened.log";
        SetEnvironmentVariableA("QLO_OPEN_LOG", log_.c_str());
    }
    ~SampleInstallation()
    {
        SetEnvironmentVariableA("QLO_OPEN_LOG", NULL);
        RemoveIntegration();
    }
    SampleInstallation(const SampleInstallation&) = delete;
    SampleInstallation& operator=(const SampleInstallation&) = delete;

    ProgramFolder& Folder() { return folder_; }
    const std::string& Program() const { return exe_; }
    // What the shell was asked to open, a command line a line.
    const std::string& OpenLog() const { return log_; }

private:
    ProgramFolder folder_;
    std::string exe_;
    std::string log_;
};
