// Where the settings and the user's files live: the settings file, the
// start-up folder (relative ROM file names, rom/ and lprint/ under it) and
// the built-in ROM images installed when no ROM file is taken.
//
// Made once at start-up by the program (or a test), read by boot() and by
// the settings dialogs, which save into the file and reinstall the images.
#pragma once

#include <filesystem>
#include <string>

#include "app/program_folders.h"
#include "machine/builtin_images.h"
#include "machine/rom_images.h"

namespace vantorel {

struct SettingsFiles {
    std::filesystem::path settingsPath;            // the settings file; empty: nothing is saved
    std::filesystem::path startupDirectory;        // relative ROM names; rom/ and lprint/ under it
    RomImages builtinImages = builtinRomImages();  // installed when no ROM file is taken
};

// The settings file: the one given (--settings), or the one the program's
// folders keep (app/program_folders.h).
std::filesystem::path chooseSettingsFile(const std::string& given, const ProgramFolders& folders);

}  // namespace vantorel
