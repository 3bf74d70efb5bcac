// The optional language library "qlolng.dll" beside the program: a module
// whose resources (strings, dialogs, the icon) replace the program's own.
#pragma once

#include <windows.h>

// The program's own instance: its own resources.
extern HINSTANCE ProgramModule;
// Where dialogs, the icon and (while no language file is loaded) message
// strings come from: the language library while it is loaded, otherwise
// the program module.
extern HINSTANCE ResourceModule;

class ExtResource {
public:
    unsigned char loaded = 0;

    ExtResource() = default;
    ~ExtResource() { Unload(); }
    ExtResource(const ExtResource&) = delete;
    ExtResource& operator=(const ExtResource&) = delete;

    // Loads "qlolng.dll" from the program's folder, if it is there, and sets
    // ProgramModule and ResourceModule. Unloads a library loaded before.
    void Load(HINSTANCE instance);
    // Frees the library, so that its file can be deleted; resources then
    // come from the program module.
    void Unload();
};

extern ExtResource LanguageLibrary;
