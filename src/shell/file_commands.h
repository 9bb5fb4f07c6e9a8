// The File and Util menu commands that move files in and out of the machine.
//
// Load Game ROM..., Load .SNP... and Quick Type... first refuse to start
// while a tape or quick type feeds the machine (Quick Type only while quick
// type itself is active), then ask the FileChooser for an existing file in
// their start folder, load it, and, once the file has opened, make its
// folder the next dialog's start. Remove Game ROM empties the slots; Save Ram
// writes "ram.bin" in the current directory. None of them tells the user
// anything: a cancelled dialog or an unusable file simply changes nothing.
//
// Called by the main window's menu actions between frames.
#pragma once

#include <filesystem>
#include <functional>

#include "shell/file_chooser.h"
#include "shell/start_folders.h"

namespace vantorel {

class Machine;

// Loads a text file for quick type; returns whether the file could be opened
// (its folder then becomes the next Quick Type dialog's start, whatever the
// rest of the load did).
using QuickTypeLoader = std::function<bool(const std::filesystem::path&)>;

FileDialogRequest gameRomDialog(const StartFolders& folders);
FileDialogRequest snapshotDialog(const StartFolders& folders);
FileDialogRequest quickTypeDialog(const StartFolders& folders);

class FileCommands {
  public:
    FileCommands(Machine& machine, FileChooser& chooser, StartFolders& folders,
                 QuickTypeLoader quickTypeLoader);

    void loadGameRom();
    void removeGameRom();
    void loadSnapshot();
    void saveRam();
    void quickType();

  private:
    Machine& machine_;
    FileChooser& chooser_;
    StartFolders& folders_;
    QuickTypeLoader quickTypeLoader_;
};

}  // namespace vantorel
