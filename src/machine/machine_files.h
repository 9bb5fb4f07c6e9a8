// Moving whole memory contents between files and the machine.
//
// Load Game ROM plugs a raw ROM image (1-16384 bytes) into the slot its size
// chooses (D000 up to 4K, C000 up to 8K, A000 up to 16K; bytes past the file
// read FF). Remove Game ROM empties the slots, and hard-resets the machine
// if the processor was running code in A000-DFFF. Load .SNP replaces memory,
// ROM buffers and registers with a 65,564-byte snapshot (28-byte header,
// then 64K of memory). Save Ram writes the 64K memory image as stored.
//
// Called with a path the user chose (menu commands, after their file
// dialog) or gave (command line). Each operation reports what happened; the
// menu commands ignore the report, the command line prints it. Files are
// never trusted: sizes are checked before reading, and a file of the wrong
// size is refused without being read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantorel {

class Machine;

inline constexpr std::uintmax_t kMaximumGameRomBytes = 16384;
inline constexpr std::uintmax_t kSnapshotHeaderBytes = 28;
inline constexpr std::uintmax_t kSnapshotFileBytes = kSnapshotHeaderBytes + 65536;
inline constexpr std::uintmax_t kRamImageBytes = 65536;

enum class FileStatus {
    ok,
    busy,         // a tape or quick type is feeding the machine: nothing was done
    cannotOpen,   // the file could not be opened (or created, for Save Ram)
    wrongSize,    // the file was opened but its size does not fit
    shortRead,    // fewer bytes arrived than the size promised
    outOfMemory,  // no buffer could be had
    writeFailed,  // Save Ram could not write all 65,536 bytes
};

struct FileResult {
    FileStatus status = FileStatus::ok;
    std::string message;  // what happened, in words, for the command line

    bool ok() const { return status == FileStatus::ok; }
    // The file was opened, so its folder becomes the dialog's next start.
    bool fileOpened() const {
        return status != FileStatus::busy && status != FileStatus::cannotOpen;
    }
};

// While a cassette plays or quick type types, the machine's files stay as
// they are: the load commands do nothing (the menus don't even ask for a file).
bool fileAccessBusy(const Machine& machine);

FileResult loadGameRom(Machine& machine, const std::filesystem::path& path);
void removeGameRom(Machine& machine);
FileResult loadSnapshot(Machine& machine, const std::filesystem::path& path);
// Writes the memory image; the menu command passes "ram.bin" in the current folder.
FileResult saveRam(const Machine& machine, const std::filesystem::path& path);

// The folder part of a path, with its trailing separator ("/roms/game.rom"
// gives "/roms/"); empty for a bare file name.
std::string directoryOfPath(std::string_view path);

}  // namespace vantorel
