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

FileCommands::FileCommands(Machine& machine, FileChooser& chooser, StartFolders& folders,
                           QuickTypeLoader quickTypeLoader)
    : machine_(machine),
      chooser_(chooser),
      folders_(folders),
      quickTypeLoader_(std::move(quickTypeLoader)) {}

void FileCommands::loadGameRom() {
    if (fileAccessBusy(machine_)) return;
    const auto path = chooser_.chooseExistingFile(gameRomDialog(folders_));
    if (!path) return;
    const FileResult result = vantorel::loadGameRom(machine_, *path);
    if (result.fileOpened()) folders_.rom = directoryOfPath(*path);
    if (result.ok()) opened(RecentKind::gameRom, *path);
}

void FileCommands::removeGameRom() {
    vantorel::removeGameRom(machine_);
}

void FileCommands::loadSnapshot() {
    if (fileAccessBusy(machine_)) return;
    const auto path = chooser_.chooseExistingFile(snapshotDialog(folders_));
    if (!path) return;
    const FileResult result = vantorel::loadSnapshot(machine_, *path);
    if (result.fileOpened()) folders_.snapshot = directoryOfPath(*path);
    if (result.ok()) opened(RecentKind::snapshot, *path);
}

void FileCommands::saveRam() {
    vantorel::saveRam(machine_, folders_.startup / "ram.bin");
}

void FileCommands::quickType() {
    if (machine_.quickTypeActive() || !quickTypeLoader_) return;
    const auto path = chooser_.chooseExistingFile(quickTypeDialog(folders_));
    if (!path) return;
    if (!quickTypeLoader_(*path)) return;
    folders_.quickType = directoryOfPath(*path);
    opened(RecentKind::quickType, *path);
}

std::optional<std::string> FileCommands::saveSnapshot() {
    const auto path = chooser_.chooseSaveFile(saveSnapshotDialog(folders_));
    if (!path) return std::nullopt;
    const FileResult result = vantorel::saveSnapshot(machine_, *path);
    if (!result.ok()) return *path + ": " + result.message;
    folders_.snapshot = directoryOfPath(*path);
    return std::nullopt;
}

void FileCommands::opened(RecentKind kind, const std::string& path) {
    if (listener_) listener_(kind, path);
}

}  // namespace vantorel
