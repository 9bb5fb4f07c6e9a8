#include "shell/settings_dialog.h"

namespace vantorel {

bool runSettingsDialog(SettingsDialog& dialog, MachineConfig& config,
                       const std::filesystem::path& settingsPath, SaveSettings save) {
    if (dialog.exec() != QDialog::Accepted) return false;
    config = dialog.working();
    if (!settingsPath.empty()) save(settingsPath, config);
    return true;
}

}  // namespace vantorel
