#include "app/file_commands.h"

#include "machine/machine.h"
#include "machine/machine_files.h"

namespace vantorel {

namespace {

const char* const kOpenCaption = "Open";
const FileFilter kAllFiles{"All Files (*.*)", {"*"}};

// Patterns in both cases, since names on Linux are case-sensitive and
// Sorcerer files are often named in capitals.
FileFilter filterFor(const char* label, const char* lower, const char* upper) {
    return {label, {lower, upper}};
}

}  // namespace

FileDialogRequest gameRomDialog(const StartFolders& folders) {
    FileFilter roms{"Game/Application ROM Files (*.ROM, *.BIN)",
                    {"*.rom", "*.bin", "*.ROM", "*.BIN"}};
    return {kOpenCaption, {roms, kAllFiles}, "bin", folders.rom};
}

FileDialogRequest snapshotDialog(const StartFolders& folders) {
    return {kOpenCaption,
            {filterFor("SNP snapshot Files (*.SNP)", "*.snp", "*.SNP"), kAllFiles},
            "snp",
            folders.snapshot};
}

FileDialogRequest quickTypeDialog(const StartFolders& folders) {
    return {kOpenCaption,
            {filterFor("Text Files (*.TXT)", "*.txt", "*.TXT"), kAllFiles},
            "txt",
            folders.quickType};
}

FileDialogRequest saveSnapshotDialog(const StartFolders& folders) {
    FileDialogRequest request = snapshotDialog(folders);
    request.caption = "Save .SNP";
    return request;
}

std::string fileProblem(const std::string& path, const std::string& reason) {
    return path + ": " + reason + ".";
}

FileCommands::FileCommands(Machine& machine, FileChooser& chooser, StartFolders& folders,
                           QuickTypeLoader quickTypeLoader)
    : machine_(machine),
      chooser_(chooser),
      folders_(folders),
      quickTypeLoader_(std::move(quickTypeLoader)) {}

CommandMessage FileCommands::loadGameRom() {
    if (fileAccessBusy(machine_)) return std::nullopt;
    const auto path = chooser_.chooseExistingFile(gameRomDialog(folders_));
    if (!path) return std::nullopt;
    const FileResult result = vantorel::loadGameRom(machine_, *path);
    if (result.fileOpened()) folders_.rom = directoryOfPath(*path);
    if (!result.ok()) return fileProblem(*path, result.message);
    opened(RecentKind::gameRom, *path);
    return std::nullopt;
}

void FileCommands::removeGameRom() {
    vantorel::removeGameRom(machine_);
}

CommandMessage FileCommands::loadSnapshot() {
    if (fileAccessBusy(machine_)) return std::nullopt;
    const auto path = chooser_.chooseExistingFile(snapshotDialog(folders_));
    if (!path) return std::nullopt;
    const FileResult result = vantorel::loadSnapshot(machine_, *path);
    if (result.fileOpened()) folders_.snapshot = directoryOfPath(*path);
    if (!result.ok()) return fileProblem(*path, result.message);
    opened(RecentKind::snapshot, *path);
    return std::nullopt;
}

std::filesystem::path FileCommands::ramImagePath() const {
    return folders_.startup / "ram.bin";
}

CommandMessage FileCommands::saveRam() {
    const FileResult result = vantorel::saveRam(machine_, ramImagePath());
    if (result.ok()) return std::nullopt;
    return fileProblem(ramImagePath().string(), result.message);
}

CommandMessage FileCommands::quickType() {
    if (machine_.quickTypeActive() || !quickTypeLoader_) return std::nullopt;
    const auto path = chooser_.chooseExistingFile(quickTypeDialog(folders_));
    if (!path) return std::nullopt;
    const QuickTypeResult result = quickTypeLoader_(*path);
    if (!quickTypeFileOpened(result)) return fileProblem(*path, quickTypeResultText(result));
    folders_.quickType = directoryOfPath(*path);
    if (result != QuickTypeResult::ok) return fileProblem(*path, quickTypeResultText(result));
    opened(RecentKind::quickType, *path);
    return std::nullopt;
}

CommandMessage FileCommands::saveSnapshot(bool* saved) {
    if (saved != nullptr) *saved = false;
    const auto path = chooser_.chooseSaveFile(saveSnapshotDialog(folders_));
    if (!path) return std::nullopt;
    const FileResult result = vantorel::saveSnapshot(machine_, *path);
    if (!result.ok()) return fileProblem(*path, result.message);
    folders_.snapshot = directoryOfPath(*path);
    if (saved != nullptr) *saved = true;
    return std::nullopt;
}

void FileCommands::opened(RecentKind kind, const std::string& path) {
    if (listener_) listener_(kind, path);
}

}  // namespace vantorel
