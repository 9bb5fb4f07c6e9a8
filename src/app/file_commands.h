// The File and Util menu commands that move files in and out of the machine.
//
// Load Game ROM..., Load .SNP... and Quick Type... first refuse to start
// while a tape or quick type feeds the machine (Quick Type only while quick
// type itself is active), then ask the FileChooser for an existing file in
// their start folder, load it, and, once the file has opened, make its
// folder the next dialog's start. Remove Game ROM empties the slots; Save Ram
// writes "ram.bin" in the start-up folder. A cancelled dialog changes
// nothing and says nothing; a file that cannot be used changes nothing in
// the machine and is told: "<file>: <what is wrong>." in the words the
// command line uses. Save .SNP... asks for a file to write in the snapshot
// folder and reports a failed save the same way.
// Every file loaded is reported to the listener (the recent-file list).
//
// Called by the main window's menu actions between frames.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/file_chooser.h"
#include "app/recent_files.h"
#include "app/start_folders.h"
#include "input/quick_type_file.h"

namespace vantorel {

class Machine;

// Loads a text file for quick type; what happened (once the file opened, its
// folder becomes the next Quick Type dialog's start, whatever the rest of
// the load did).
using QuickTypeLoader = std::function<QuickTypeResult(const std::filesystem::path&)>;

// A message for the user, or nothing.
using CommandMessage = std::optional<std::string>;

// "<path>: <reason>." as the window tells a file it could not use.
std::string fileProblem(const std::string& path, const std::string& reason);

FileDialogRequest gameRomDialog(const StartFolders& folders);
FileDialogRequest snapshotDialog(const StartFolders& folders);
FileDialogRequest quickTypeDialog(const StartFolders& folders);
FileDialogRequest saveSnapshotDialog(const StartFolders& folders);

// Told of every file a command loaded: its kind and its path.
using FileOpenedListener = std::function<void(RecentKind kind, const std::string& path)>;

class FileCommands {
  public:
    FileCommands(Machine& machine, FileChooser& chooser, StartFolders& folders,
                 QuickTypeLoader quickTypeLoader);

    // Each: what went wrong, in words; nothing when done or cancelled.
    CommandMessage loadGameRom();
    void removeGameRom();
    CommandMessage loadSnapshot();
    CommandMessage saveRam();
    CommandMessage quickType();
    // `saved` (when given) tells whether the snapshot was written.
    CommandMessage saveSnapshot(bool* saved = nullptr);
    // Where Save Ram writes.
    std::filesystem::path ramImagePath() const;

    void setFileOpenedListener(FileOpenedListener listener) { listener_ = std::move(listener); }

  private:
    void opened(RecentKind kind, const std::string& path);

    Machine& machine_;
    FileChooser& chooser_;
    StartFolders& folders_;
    QuickTypeLoader quickTypeLoader_;
    FileOpenedListener listener_;
};

}  // namespace vantorel
