// The folders the file dialogs open in.
//
// At start-up the cassette, printer, quick type and ROM folders are
// cassette/, lprint/, quicktyp/ and rom/ under the start-up directory, and
// the snapshot folder is empty (the platform chooses); screenshots go to
// screenshots/ there, and Save Ram writes ram.bin in the start-up directory
// itself (program_folders.h says which folder that is). Load Game ROM, Load
// .SNP, Quick Type and Play Cassette File replace their folder by the folder
// of the file they opened (directoryOfPath), so the next dialog starts there.
// Owned by the main window; read and updated by the file commands.
#pragma once

#include <filesystem>
#include <string>

namespace vantorel {

struct StartFolders {
    std::string cassette;           // Play Cassette File...
    std::string printer;            // the Printer dialog's file choice
    std::string quickType;          // Quick Type...
    std::string rom;                // Load Game ROM... and the Memory dialog's ROM files
    std::string snapshot;           // Load .SNP... and Save .SNP...; empty at start
    std::string screenshot;         // Save Screenshot...; the folder of the last one saved
    std::string sound;              // Record Sound...; empty at start (the start-up folder)
    std::filesystem::path startup;  // the start-up folder itself: Save Ram writes ram.bin here
};

// The start-up folders under `startupDirectory`, each with a trailing '/'.
StartFolders makeStartFolders(const std::filesystem::path& startupDirectory);

}  // namespace vantorel
