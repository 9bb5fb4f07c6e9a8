#include "config/settings_file.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "config/profile_file.h"
#include "config/profile_text.h"
#include "config/profile_values.h"
#include "config/settings_values.h"

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
constexpr int kColourEntries = 3;  // foreground, background, border

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

std::string settingsFileName(const fs::path& pointerFile) {
    const ProfileFile pointer = openProfileFile(pointerFile);
    std::string name = readProfileString(pointer.document, "CONFIG", "ini",
                                         kDefaultSettingsFileName, std::string_view::npos);
    name.resize(std::min(name.size(), name.find('\0')));  // a C string ends there
    // An empty value would name the start-up directory itself.
    if (name.empty()) name = kDefaultSettingsFileName;
    if constexpr (fs::path::preferred_separator != '\\') {
        std::replace(name.begin(), name.end(), '\\', '/');
    }
    return name;
}

void readMemorySection(const ProfileDocument& document, MachineConfig& config) {
    readFlagSetting(document, kMemory, "enhancedflag", config.enhancedflag);
    readClampedIntSetting(document, kMemory, "ramexpanders", config.ramexpanders, 0, 3);
    readFlagSetting(document, kMemory, "writeROMflag", config.writeROMflag);
    readFlagSetting(document, kMemory, "usebuiltinromflag", config.usebuiltinromflag);
    readFlagSetting(document, kMemory, "usebuiltincharflag", config.usebuiltincharflag);
    readStringSetting(document, kMemory, "ROMfilename", config.ROMfilename);
    readStringSetting(document, kMemory, "CHARfilename", config.CHARfilename);
}

void readPrinterSection(const ProfileDocument& document, MachineConfig& config) {
    readFlagSetting(document, kPrinter, "autolinefeedflag", config.autolinefeedflag);
    readFlagSetting(document, kPrinter, "fixedwidthflag", config.fixedwidthflag);
    readIntSetting(document, kPrinter, "width", config.width);
    readStringSetting(document, kPrinter, "filename", config.filename);
}

void readKeyboardSection(const ProfileDocument& document, MachineConfig& config) {
    readFlagSetting(document, kKeyboard, "emulatedflag", config.emulatedflag);
    readKeyTableSetting(document, kKeyboard, 'n', config.normalKeys);
    readKeyTableSetting(document, kKeyboard, 's', config.shiftKeys);
    readKeyTableSetting(document, kKeyboard, 'c', config.ctrlKeys);
}

void readVideoSection(const ProfileDocument& document, MachineConfig& config) {
    readClampedIntSetting(document, kVideo, "windowscalingX", config.windowscalingX, 1, 3);
    readClampedIntSetting(document, kVideo, "windowscalingY", config.windowscalingY, 1, 3);
}

void readColourSection(const ProfileDocument& document, MachineConfig& config) {
    for (int entry = 0; entry < kColourEntries; ++entry) {
        readColourSetting(document, kColour, entry,
                          config.colours[static_cast<std::size_t>(entry)]);
    }
}

void readSoundSection(const ProfileDocument& document, MachineConfig& config) {
    readFlagSetting(document, kSound, "clickerflag", config.clickerflag);
    readFlagSetting(document, kSound, "ayflag", config.ayflag);
    readClampedIntSetting(document, kSound, "clickervolpct", config.clickervolpct, 0, 100);
    readClampedIntSetting(document, kSound, "ayvolpct", config.ayvolpct, 0, 100);
}

// Cycle counts below 24 per slice are raised to 24.
void raiseToMinimumCycles(std::uint32_t& cycles) {
    cycles = std::max<std::uint32_t>(cycles, 24);
}

void readSpeedSection(const ProfileDocument& document, MachineConfig& config) {
    std::int32_t mode = 0;  // a missing key means NTSC, whatever the record held
    readClampedIntSetting(document, kSpeed, "cpuspeedopt", mode, 0, 3);
    config.cpuspeedopt = static_cast<std::int8_t>(mode);
    readClampedIntSetting(document, kSpeed, "ntscmultiplierpct", config.ntscmultiplierpct, 1, 1000);
    readClampedIntSetting(document, kSpeed, "palmultiplierpct", config.palmultiplierpct, 1, 1000);
    readIntSetting(document, kSpeed, "activescancust", config.activescancust);
    raiseToMinimumCycles(config.activescancust);
    readIntSetting(document, kSpeed, "vblankcust", config.vblankcust);
    raiseToMinimumCycles(config.vblankcust);
    readClampedIntSetting(document, kSpeed, "fpscust", config.fpscust, 1, 600);
    readFlagSetting(document, kSpeed, "usevideoupdatepsflag", config.usevideoupdatepsflag);
    readClampedIntSetting(document, kSpeed, "videoupdatesps", config.videoupdatesps, 1, 600);
    readFlagSetting(document, kSpeed, "speedupfilesflag", config.speedupfilesflag);
}

void readJoystickSection(const ProfileDocument& document, MachineConfig& config) {
    readFlagSetting(document, kJoystick, "keysasjoystickflag", config.keysasjoystickflag);
}

// The ROM file names go between "writeROMflag" and the two built-in flags.
void writeMemorySection(ProfileDocument& document, const MachineConfig& config) {
    writeFlagSetting(document, kMemory, "enhancedflag", config.enhancedflag);
    writeIntSetting(document, kMemory, "ramexpanders", config.ramexpanders);
    writeFlagSetting(document, kMemory, "writeROMflag", config.writeROMflag);
    writeStringSetting(document, kMemory, "ROMfilename", config.ROMfilename);
    writeStringSetting(document, kMemory, "CHARfilename", config.CHARfilename);
    writeFlagSetting(document, kMemory, "usebuiltinromflag", config.usebuiltinromflag);
    writeFlagSetting(document, kMemory, "usebuiltincharflag", config.usebuiltincharflag);
}

void writePrinterSection(ProfileDocument& document, const MachineConfig& config) {
    writeFlagSetting(document, kPrinter, "autolinefeedflag", config.autolinefeedflag);
    writeFlagSetting(document, kPrinter, "fixedwidthflag", config.fixedwidthflag);
    writeIntSetting(document, kPrinter, "width", config.width);
    writeStringSetting(document, kPrinter, "filename", config.filename);
}

void writeKeyboardSection(ProfileDocument& document, const MachineConfig& config) {
    writeFlagSetting(document, kKeyboard, "emulatedflag", config.emulatedflag);
    writeKeyTableSetting(document, kKeyboard, 'n', config.normalKeys);
    writeKeyTableSetting(document, kKeyboard, 's', config.shiftKeys);
    writeKeyTableSetting(document, kKeyboard, 'c', config.ctrlKeys);
}

void writeVideoSection(ProfileDocument& document, const MachineConfig& config) {
    writeIntSetting(document, kVideo, "windowscalingX", config.windowscalingX);
    writeIntSetting(document, kVideo, "windowscalingY", config.windowscalingY);
}

void writeColourSection(ProfileDocument& document, const MachineConfig& config) {
    for (int entry = 0; entry < kColourEntries; ++entry) {
        writeColourSetting(document, kColour, entry,
                           config.colours[static_cast<std::size_t>(entry)]);
    }
}

void writeSoundSection(ProfileDocument& document, const MachineConfig& config) {
    writeFlagSetting(document, kSound, "clickerflag", config.clickerflag);
    writeFlagSetting(document, kSound, "ayflag", config.ayflag);
    writeIntSetting(document, kSound, "clickervolpct", config.clickervolpct);
    writeIntSetting(document, kSound, "ayvolpct", config.ayvolpct);
}

void writeSpeedSection(ProfileDocument& document, const MachineConfig& config) {
    writeIntSetting(document, kSpeed, "cpuspeedopt", config.cpuspeedopt);
    writeIntSetting(document, kSpeed, "ntscmultiplierpct", config.ntscmultiplierpct);
    writeIntSetting(document, kSpeed, "palmultiplierpct", config.palmultiplierpct);
    writeIntSetting(document, kSpeed, "activescancust", config.activescancust);
    writeIntSetting(document, kSpeed, "vblankcust", config.vblankcust);
    writeIntSetting(document, kSpeed, "fpscust", config.fpscust);
    writeFlagSetting(document, kSpeed, "usevideoupdatepsflag", config.usevideoupdatepsflag);
    writeIntSetting(document, kSpeed, "videoupdatesps", config.videoupdatesps);
    writeFlagSetting(document, kSpeed, "speedupfilesflag", config.speedupfilesflag);
}

void writeJoystickSection(ProfileDocument& document, const MachineConfig& config) {
    writeFlagSetting(document, kJoystick, "keysasjoystickflag", config.keysasjoystickflag);
}

// One read of the file, the section writers, one replacement of the file.
template <typename... Writers>
bool saveSections(const fs::path& settingsPath, const MachineConfig& config, Writers... writers) {
    ProfileFile file = openProfileFile(settingsPath);
    (writers(file.document, config), ...);
    return commitProfileFile(file);  // failures leave the old file; the record keeps its values
}

}  // namespace

fs::path findSettingsFile(const fs::path& startupDirectory) {
    return startupDirectory / settingsFileName(findPointerFile(startupDirectory));
}

void loadSettings(const fs::path& settingsPath, MachineConfig& config,
                  const std::function<void()>& installBuiltinImages) {
    const ProfileFile file = openProfileFile(settingsPath);
    readMemorySection(file.document, config);
    if (installBuiltinImages) installBuiltinImages();
    readPrinterSection(file.document, config);
    readKeyboardSection(file.document, config);
    readVideoSection(file.document, config);
    readColourSection(file.document, config);
    readSoundSection(file.document, config);
    readSpeedSection(file.document, config);
    readJoystickSection(file.document, config);
}

bool saveMemorySettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, writeMemorySection);
}

bool savePrinterSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, writePrinterSection);
}

bool saveKeyboardSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, writeKeyboardSection);
}

bool saveVideoSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, writeVideoSection, writeColourSection);
}

bool saveSoundSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, writeSoundSection);
}

bool saveSpeedSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, writeSpeedSection);
}

bool saveJoystickSettings(const fs::path& settingsPath, const MachineConfig& config) {
    return saveSections(settingsPath, config, writeJoystickSection);
}

}  // namespace vantorel
