#include "shell/settings_dialog.h"

#include "config/settings_file.h"

namespace vantorel {

bool runSettingsDialog(SettingsDialog& dialog, MachineConfig& config, const SettingsFiles& files,
                       SaveSettings save) {
    if (dialog.exec() != QDialog::Accepted) return false;
    config = dialog.working();
    if (!files.settingsPath.empty() && !save(files.settingsPath, config) && files.saveFailed) {
        files.saveFailed(settingsSaveProblem(files.settingsPath));
    }
    return true;
}

}  // namespace vantorel
