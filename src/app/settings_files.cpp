#include "app/settings_files.h"


namespace vantorel {

std::filesystem::path chooseSettingsFile(const std::string& given, const ProgramFolders& folders) {
    if (!given.empty()) return given;
    return folders.settingsFile;
}

}  // namespace vantorel
