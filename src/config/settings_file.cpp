#include "config/settings_file.h"

#include <algorithm>
#include <initializer_list>
#include <span>
#include <string>
#include <system_error>

#include "config/profile_file.h"
#include "config/profile_text.h"
#include "config/profile_values.h"
#include "config/settings_table.h"

namespace vantorel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMemory = "MEMORY";
constexpr std::string_view kPrinter = "PRINTER";
constexpr std::string_view kKeyboard = "KEYBOARD";
constexpr std::string_view kVideo = "VIDEO";
constexpr std::string_view kColour = "COLOR";
constexpr std::string_view kSound = "SOUND";
constexpr std::string_view kSpeed = "SPEED";
constexpr std::string_view kJoystick = "JOYSTICK";
constexpr std::string_view kTimeline = "TIMELINE";
constexpr std::string_view kDesktop = "DESKTOP";
constexpr std::string_view kWindow = "WINDOW";
// The built-in images go in once "MEMORY", the table's first section, is read.
static_assert(kSettings.front().section == kMemory);

// "VANTOREL.INI" as spelt, else any other spelling of it in the folder (a
// case-sensitive file system may hold "vantorel.ini").
fs::path findPointerFile(const fs::path& startupDirectory) {
    const fs::path exact = startupDirectory / kPointerFileName;
    std::error_code error;
    if (fs::exists(exact, error)) return exact;
    fs::path best;
    for (fs::directory_iterator entry(startupDirectory, error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path name = entry->path().filename();
        if (equalsIgnoringCase(name.string(), kPointerFileName) &&
            (best.empty() || name < best.filename())) {
            best = entry->path();
        }
    }
    return best.empty() ? exact : best;
}

std::string settingsFileName(const fs::path& pointerFile, DebugOutputSink* debug) {
    const ProfileFile pointer = openProfileFile(pointerFile);
    std::string name = readProfileString(pointer.document, "CONFIG", "ini",
                                         kDefaultSettingsFileName, std::string_view::npos);
    name.resize(std::min(name.size(), name.find('\0')));  // a C string ends there
    // An empty value would name the start-up directory itself.
    if (name.empty()) return std::string(kDefaultSettingsFileName);
    if (!isPlainSettingsFileName(name)) {
        if (debug != nullptr) {
            const std::string line = std::string(kPointerFileName) + ": ini=" + name +
                                     " is not a file in the start-up folder; " +
                                     std::string(kDefaultSettingsFileName) + " is used\n";
            debug->debugOutput(line.c_str());
        }
        return std::string(kDefaultSettingsFileName);
    }
    return name;
}

void readSettings(const ProfileDocument& document, std::span<const Setting> settings,
                  MachineConfig& config) {
    for (const Setting& setting : settings) readSetting(document, setting, config);
}

// One read of the file, the keys of the sections in turn (each in table
// order), one replacement of the file.
bool saveSections(const fs::path& settingsPath, const MachineConfig& config,
                  std::initializer_list<std::string_view> sections) {
    ProfileFile file = openProfileFile(settingsPath);
    for (const std::string_view section : sections) {
        for (const Setting& setting : kSettings) {
            if (setting.section == section) writeSetting(file.document, setting, config);
        }
    }
    return commitProfileFile(file);  // failures leave the old file; the record keeps its values
}

}  // namespace

bool isPlainSettingsFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    // A backslash is a folder separator in a pointer file written for
    // Windows, and a drive ("C:x.ini") is a folder part there too.
    if (name.find_first_of("/\\") != std::string_view::npos) return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    return !fs::path(name).is_absolute() && !fs::path(name).has_root_path();
}

fs::path findSettingsFile(const fs::path& startupDirectory, DebugOutputSink* debug) {
    return startupDirectory / settingsFileName(findPointerFile(startupDirectory), debug);
}

void loadSettings(const fs::path& settingsPath, MachineConfig& config,
                  const std::function<void()>& installBuiltinImages) {
    const ProfileFile file = openProfileFile(settingsPath);
    const auto afterMemory = std::ranges::find_if(
        kSettings, [](const Setting& setting) { return setting.section != kMemory; });
    readSettings(file.document, {kSettings.begin(), afterMemory}, config);
    if (installBuiltinImages) installBuiltinImages();
    readSettings(file.document, {afterMemory, kSettings.end()}, config);
}

bool saveMemorySettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kMemory});
}

bool savePrinterSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kPrinter});
}

bool saveKeyboardSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kKeyboard});
}

bool saveVideoSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kVideo, kColour});
}

bool saveSoundSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kSound});
}

bool saveSpeedSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kSpeed});
}

bool saveJoystickSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kJoystick});
}

bool saveTimelineSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kTimeline});
}

bool saveDesktopSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kDesktop});
}

bool saveWindowSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, {kWindow});
}

std::string settingsSaveProblem(const fs::path& settingsPath) {
    return "The settings were not saved: " + settingsPath.string() + " " +
           profileCommitProblem(settingsPath) + ".";
}

}  // namespace vantorel
