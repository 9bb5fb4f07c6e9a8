// The File and Util menu commands that move files in and out of the machine.
//
// Load Game ROM..., Load .SNP... and Quick Type... first refuse to start
// while a tape or quick type feeds the machine (Quick Type only while quick
// type itself is active), then ask the FileChooser for an existing file in
// their start folder, load it, and, once the file has opened, make its
// folder the next dialog's start. Remove Game ROM empties the slots; Save Ram
// writes "ram.bin" in the start-up folder. None of them tells the user
// anything: a cancelled dialog or an unusable file simply changes nothing.
// Save .SNP... asks for a file to write in the snapshot folder and reports
// a failed save, since the user would otherwise lose the machine's state.
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

namespace vantorel {

class Machine;

// Loads a text file for quick type; returns whether the file could be opened
// (its folder then becomes the next Quick Type dialog's start, whatever the
// rest of the load did).
using QuickTypeLoader = std::function<bool(const std::filesystem::path&)>;

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

    void loadGameRom();
    void removeGameRom();
    void loadSnapshot();
    void saveRam();
    void quickType();
    // What went wrong, in words; nothing when saved or cancelled.
    std::optional<std::string> saveSnapshot();

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
