#include "app/settings_files.h"

#include "config/settings_file.h"

namespace vantorel {

std::filesystem::path chooseSettingsFile(const std::string& given,
                                         const std::filesystem::path& startupDirectory) {
    if (!given.empty()) return given;
    return findSettingsFile(startupDirectory);
}

}  // namespace vantorel
