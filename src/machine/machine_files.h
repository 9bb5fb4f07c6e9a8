// Moving whole memory contents between files and the machine.
//
// Load Game ROM plugs a raw ROM image (1-16384 bytes) into the slot its size
// chooses (D000 up to 4K, C000 up to 8K, A000 up to 16K; bytes past the file
// read FF). Remove Game ROM empties the slots, and hard-resets the machine
// if the processor was running code in A000-DFFF. Load .SNP replaces memory,
// ROM images and registers with a 65,564-byte snapshot (28-byte header,
// then 64K of memory); Save .SNP writes one that loads back to the same
// running machine. Save Ram writes the 64K memory image as stored. Both saves
// replace the file in one step: a failed save leaves the old file as it was.
//
// Called with a path the user chose (menu commands, after their file
// dialog) or gave (command line). Each operation reports what happened; the
// menu commands ignore the report, the command line prints it. Files are
// never trusted: sizes are checked before reading, and a file of the wrong
// size is refused without being read.
#pragma once

#include <array>
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
    cannotOpen,   // the file could not be opened (or, for Save Ram, the new file created)
    wrongSize,    // the file was opened but its size does not fit
    shortRead,    // fewer bytes arrived than the size promised
    outOfMemory,  // no buffer could be had
    writeFailed,  // Save Ram or Save .SNP could not write, flush or rename the new file
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

// The 64K a snapshot of the machine holds: every address as the processor
// reads it (the monitor and character ROMs, a game ROM's bytes, FF where
// nothing is fitted), which is what loading puts back into the ROM buffers,
// the C000 slot and RAM. So a loaded snapshot reads exactly as the machine
// did, except that a 16K game ROM's A000-BBFF comes back as RAM and its
// BC00-BFFF reads FF, and that RAM fitted by the snapshot is writable.
std::array<std::uint8_t, 65536> snapshotMemory(const Machine& machine);

// Writes the registers and snapshotMemory as a 65,564-byte .SNP file. The
// file is replaced in one step: a failed save leaves the old file as it was.
FileResult saveSnapshot(const Machine& machine, const std::filesystem::path& path);

// The folder part of a path, with its trailing separator ("/roms/game.rom"
// gives "/roms/"); empty for a bare file name.
std::string directoryOfPath(std::string_view path);

}  // namespace vantorel
