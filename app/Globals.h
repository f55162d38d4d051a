#pragma once
// Program-wide state that exists before the main window: the program's path,
// its settings file, and the command history.
#include <string>
#include <vector>

#include "framework/settings/IniFile.h"

namespace orvane {

// The program's own full path, read once.
const std::string& ExePath();
// The folder of the program, with a trailing backslash.
std::string ExeDir();
// The main window's settings object: the program path with ".INI" for its extension.
fw::IniFile& Settings();
// The launcher's own settings object on the same file.
fw::IniFile& LancherSettings();
// Lines typed into the command box, oldest first.
std::vector<std::string>& CommandHistory();

// Opens the settings objects and creates the command history; called once at
// program start, before any window exists.
void InitializeGlobals();

// The program's command-line arguments after its own name.
std::vector<std::string>& ProgramArgs();

// Points the program's files (settings file, bookmark file) at another
// program location: tests run the main window against a temporary folder.
void UseProgramLocation(const std::string& exePath);

// The settings file name for a program path: its extension replaced by ".INI".
std::string SettingsFileFor(const std::string& exePath);

}  // namespace orvane
