// Quillo's file classes under HKEY_CLASSES_ROOT ("Quillo", "Quillo.ZIP",
// "Quillo.REV", with ".rev" pointed at the last) and Quillo.exe's entry in
// the system's application paths. Both only register: the uninstall
// deletes what they wrote.
#pragma once

// Describes the three classes (descriptions in the language in force, the
// command that opens a document with Quillo.exe beside this program, the
// icons: 0 for archives, 1 for recovery volumes), points ".rev" at
// "Quillo.REV" whatever it pointed at before, and then tells the shell that
// associations changed, whether or not the writes succeeded.
void RegisterFileClasses();

// Enters Quillo.exe beside this program in the application paths, with the
// current directory as its "Path".
void RegisterAppPath();
