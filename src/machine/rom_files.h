// The ROM images a machine boots: the built-in ones, or the owner's dumps.
//
// With `usebuiltinromflag` off, the monitor ROM comes from the file that
// `ROMfilename` names, when that file holds exactly 4,096 bytes; with
// `usebuiltincharflag` off, the character ROM comes from `CHARfilename`, when
// it holds exactly 1,024 bytes. Any other file (missing, unreadable, a
// folder, another size) is not taken: the built-in image goes in instead and
// one line naming the file says why. A relative name is taken from the
// start-up folder; backslashes separate folders, as in a settings file
// written on Windows.
//
// Called when the settings are loaded and after the Memory dialog's OK; the
// caller shows the lines (a message box in the window, standard error
// headless).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "config/machine_config.h"
#include "machine/machine_memory.h"
#include "machine/rom_images.h"

namespace vantorel {

// Puts both ROM images in as the settings choose (new images: a captured
// machine keeps the ones it had); returns one line per file that was not
// taken (none when every image came from where it should).
std::vector<std::string> installBuiltinImages(MachineRoms& roms, const MachineConfig& config,
                                              const RomImages& builtin,
                                              const std::filesystem::path& startupDirectory);

// Where a ROM file name of the settings points: relative names under the
// start-up folder, '\' read as a folder separator.
std::filesystem::path romFilePath(const SettingsText& name,
                                  const std::filesystem::path& startupDirectory);

}  // namespace vantorel
