// Saving every section of a settings file at once, as the OKs of all the
// settings dialogs, Keys as Joystick and the window's close would, for tests and fuzz targets
// that check what a whole save keeps.
#pragma once

#include <filesystem>

#include "config/settings_file.h"

namespace vantorel::testing {

inline void saveEverySettingsSection(const std::filesystem::path& path,
                                     const MachineConfig& config) {
    saveMemorySettings(path, config);
    savePrinterSettings(path, config);
    saveKeyboardSettings(path, config);
    saveVideoSettings(path, config);
    saveSoundSettings(path, config);
    saveSpeedSettings(path, config);
    saveJoystickSettings(path, config);
    saveTimelineSettings(path, config);
    saveDesktopSettings(path, config);
    saveWindowSettings(path, config);
}

}  // namespace vantorel::testing
