#include "app/program_folders.h"

#include <array>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "config/profile_text.h"
#include "config/settings_file.h"

namespace vantorel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgramName = "vantorel";

struct Subfolder {
    const char* name;
    const char* shownAs;  // in the --paths listing
};

// The folders the file dialogs open in, and the save-state slots, under
// the start-up folder.
constexpr std::array<Subfolder, 6> kSubfolders = {{
    {"cassette", "tapes"},
    {"rom", "ROM files"},
    {"quicktyp", "quick type texts"},
    {"lprint", "printer output"},
    {"screenshots", "screenshots"},
    {"states", "save states"},
}};

// An XDG base folder: the variable when it holds an absolute path (the
// base-directory rules ignore a relative one), else HOME joined with the
// default; empty when neither is there.
fs::path baseFolder(const EnvironmentLookup& environment, const char* variable,
                    const char* underHome) {
    const char* value = environment(variable);
    if (value != nullptr && fs::path(value).is_absolute()) return fs::path(value);
    const char* home = environment("HOME");
    if (home == nullptr || !fs::path(home).is_absolute()) return {};
    return fs::path(home) / underHome;
}

bool holdsPointerFile(const fs::path& folder) {
    std::error_code error;
    if (fs::exists(folder / kPointerFileName, error)) return true;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (equalsIgnoringCase(entry->path().filename().string(), kPointerFileName)) return true;
    }
    return false;
}

ProgramFolders portableFolders(const fs::path& currentDirectory, DebugOutputSink* debug) {
    return {true, currentDirectory, currentDirectory, findSettingsFile(currentDirectory, debug)};
}

std::string createFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return folder.string() + ": " + error.message();
    return {};
}

}  // namespace

bool isPortableFolder(const fs::path& folder) {
    std::error_code error;
    return fs::exists(folder / kDefaultSettingsFileName, error) || holdsPointerFile(folder);
}

ProgramFolders findProgramFolders(const fs::path& currentDirectory,
                                  const EnvironmentLookup& environment, DebugOutputSink* debug) {
    if (isPortableFolder(currentDirectory)) return portableFolders(currentDirectory, debug);
    const fs::path data = baseFolder(environment, "XDG_DATA_HOME", ".local/share");
    const fs::path config = baseFolder(environment, "XDG_CONFIG_HOME", ".config");
    if (data.empty() || config.empty()) return portableFolders(currentDirectory, debug);
    ProgramFolders folders;
    folders.portable = false;
    folders.startup = data / kProgramName;
    folders.settingsDir = config / kProgramName;
    folders.settingsFile = findSettingsFile(folders.settingsDir, debug);
    return folders;
}

ProgramFolders currentProgramFolders(DebugOutputSink* debug) {
    std::error_code error;
    const fs::path current = fs::current_path(error);
    return findProgramFolders(
        current, [](const char* name) { return std::getenv(name); }, debug);
}

std::string createProgramFolders(const ProgramFolders& folders) {
    if (folders.portable) return {};
    std::string problems;
    const auto make = [&problems](const fs::path& folder) {
        const std::string problem = createFolder(folder);
        if (problem.empty()) return;
        problems += (problems.empty() ? "" : "; ") + problem;
    };
    for (const Subfolder& subfolder : kSubfolders) make(folders.startup / subfolder.name);
    make(folders.settingsDir);
    return problems;
}

std::string programFoldersText(const ProgramFolders& folders, const fs::path& settingsOverride) {
    std::string text = folders.portable
                           ? "portable: the start-up folder is the current folder\n"
                           : "installed: the user's folders (the current folder holds no "
                             "VANTOREL.INI or default.ini)\n";
    const auto line = [&text](std::string_view label, const fs::path& path) {
        text.append(label).append(": ").append(path.string()).append("\n");
    };
    line("start-up folder", folders.startup);
    line("settings file", settingsOverride.empty() ? folders.settingsFile : settingsOverride);
    for (const Subfolder& subfolder : kSubfolders) {
        line(subfolder.shownAs, folders.startup / subfolder.name);
    }
    line("Save Ram", folders.startup / "ram.bin");
    return text;
}

}  // namespace vantorel
