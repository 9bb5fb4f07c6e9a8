// Where the program keeps its files: the start-up folder and the settings file.
//
// Two rules, chosen by the folder the program is started in:
//   1. Portable: that folder holds "VANTOREL.INI" (in any case) or
//      "default.ini". It is the start-up folder and the settings file is the
//      one its pointer file names, as on the machine's home platform.
//   2. Installed (any other folder, for example the home folder a desktop
//      menu starts programs in): the start-up folder is the user's data
//      folder "$XDG_DATA_HOME/vantorel" (default ~/.local/share/vantorel)
//      and the settings are kept in "$XDG_CONFIG_HOME/vantorel/default.ini"
//      (default ~/.config/vantorel). An unset, empty or relative variable
//      takes its default; without HOME either, rule 1's folder is used.
// The cassette/, rom/, quicktyp/, lprint/ and screenshots/ folders lie
// under the start-up folder; ram.bin is written there. Files named on the
// command line or dropped on the window are read and written where they say.
//
// The desktop program and the headless runner call currentProgramFolders()
// at start; the desktop program then calls createProgramFolders, so that the
// file dialogs open in folders that exist and the settings can be written.
// The headless runner makes nothing: it writes only the files its options
// name. main.cpp prints programFoldersText for --paths.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace vantorel {

struct ProgramFolders {
    bool portable = true;                // rule 1: started in a portable installation
    std::filesystem::path startup;       // rom/, cassette/, ..., ram.bin, relative ROM names
    std::filesystem::path settingsDir;   // holds the settings file (== startup when portable)
    std::filesystem::path settingsFile;  // the settings read and written (before --settings)
};

// The value of an environment variable, or nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// True when `folder` holds "default.ini" or a pointer file "VANTOREL.INI".
bool isPortableFolder(const std::filesystem::path& folder);

// The folders for a program started in `currentDirectory`, by the rules above.
ProgramFolders findProgramFolders(const std::filesystem::path& currentDirectory,
                                  const EnvironmentLookup& environment);

// findProgramFolders for this process: its current directory and environment.
ProgramFolders currentProgramFolders();

// Installed rule only: makes the start-up folder with its cassette/, rom/,
// quicktyp/, lprint/ and screenshots/ folders, and the settings folder.
// Returns what could not be made, empty when all is there.
std::string createProgramFolders(const ProgramFolders& folders);

// --paths: which rule applies and every folder and file in use, one a line.
// `settingsOverride` is --settings FILE, empty when not given.
std::string programFoldersText(const ProgramFolders& folders,
                               const std::filesystem::path& settingsOverride);

}  // namespace vantorel
