// Where the settings live, and loading and saving them section by section.
//
// Start-up (the shell) calls, once:
//   1. findSettingsFile(startupDirectory): reads the pointer file
//      "VANTOREL.INI" in the start-up directory for the settings file's name;
//   2. loadSettings(path, config, installBuiltinImages): reads every section
//      into the record, missing keys leaving the defaults in place.
// The settings dialogs call one save operation after OK; each rewrites only
// its own sections of the file (others, comments and order are kept) and
// replaces the file in one step. A save never writes a file that is not a
// settings file or that the user made read-only. A failed save returns
// false (settingsSaveProblem says why): the record keeps its new values and
// the old file stays as it was.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "config/machine_config.h"
#include "hostapi/host_interfaces.h"

namespace vantorel {

inline constexpr std::string_view kPointerFileName = "VANTOREL.INI";
inline constexpr std::string_view kDefaultSettingsFileName = "default.ini";

// The settings file: the start-up directory joined with the "ini" key of
// section "CONFIG" of the pointer file, or with "default.ini" when the
// pointer file, the key or its value is missing. The value must be a plain
// file name: one with a folder part (a slash, a backslash or a drive), "."
// or "..", or an absolute path could send every later save into a file
// anywhere (a pointer file comes with any folder unpacked from elsewhere),
// so it is refused with one line on `debug` (when given) and "default.ini"
// is used. The pointer
// file's name is matched without regard to case ("vantorel.ini" is found
// too); when several spellings exist, "VANTOREL.INI" itself, else the first
// in name order, wins.
std::filesystem::path findSettingsFile(const std::filesystem::path& startupDirectory,
                                       DebugOutputSink* debug = nullptr);

// True when `name` may name the settings file inside the start-up folder.
bool isPlainSettingsFileName(std::string_view name);

// Reads "MEMORY", calls installBuiltinImages (if given), then reads "PRINTER",
// "KEYBOARD", "VIDEO", "COLOR", "SOUND", "SPEED", "JOYSTICK", "DESKTOP" and "WINDOW", in that
// order.
void loadSettings(const std::filesystem::path& settingsPath, MachineConfig& config,
                  const std::function<void()>& installBuiltinImages);

bool saveMemorySettings(const std::filesystem::path& settingsPath, const MachineConfig& config);
bool savePrinterSettings(const std::filesystem::path& settingsPath, const MachineConfig& config);
bool saveKeyboardSettings(const std::filesystem::path& settingsPath, const MachineConfig& config);
// "VIDEO", then "COLOR".
bool saveVideoSettings(const std::filesystem::path& settingsPath, const MachineConfig& config);
bool saveSoundSettings(const std::filesystem::path& settingsPath, const MachineConfig& config);
bool saveSpeedSettings(const std::filesystem::path& settingsPath, const MachineConfig& config);
// "JOYSTICK", written when Keys as Joystick is switched.
bool saveJoystickSettings(const std::filesystem::path& settingsPath, const MachineConfig& config);
// "TIMELINE" (the rewind memory): no dialog sets it; the file is edited.
bool saveTimelineSettings(const std::filesystem::path& settingsPath, const MachineConfig& config);
// "DESKTOP", written when Keep Running in the Background is switched.
bool saveDesktopSettings(const std::filesystem::path& settingsPath, const MachineConfig& config);
// "WINDOW", written when the window closes: where it stood.
bool saveWindowSettings(const std::filesystem::path& settingsPath, const MachineConfig& config);

// After a save returned false: why, in words, naming the file ("The
// settings were not saved: /home/u/default.ini is read-only.").
std::string settingsSaveProblem(const std::filesystem::path& settingsPath);

}  // namespace vantorel
