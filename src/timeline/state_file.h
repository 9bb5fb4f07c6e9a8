// A save-state file: the whole machine, complete (unlike .SNP), in one file.
//
// A versioned header names the file format, the size of the state record,
// the program's version, hashes of the monitor ROM, the character ROM and
// the game ROMs in the three slots, the hardware settings (RAM fitted, the
// frame's slices and rate), when it was saved (host time and emulated
// time); then the inputs the record names that are not ROMs (the tape in
// the deck, the text being typed), the record itself (LZ4-packed) and a
// checksum of everything before it. A file from another format or version,
// for other ROMs, cut short or changed anywhere is refused with a message
// that says which; the machine is never touched unless the whole file is
// good. Files are written through the replacement file (atomically).
//
// Used by the save-state slots (app/state_slots.h) and by movies that
// start from a state.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "machine/machine.h"

namespace vantorel {

inline constexpr std::uint32_t kStateFormatVersion = 2;

// 64-bit FNV-1a of some bytes.
std::uint64_t contentHash(std::span<const std::uint8_t> bytes);

// The hashes of the ROMs a machine runs with (0 for an empty slot).
struct RomHashes {
    std::uint64_t monitor = 0;
    std::uint64_t characters = 0;
    std::uint64_t a000 = 0;
    std::uint64_t c000 = 0;
    std::uint64_t d000 = 0;

    friend bool operator==(const RomHashes&, const RomHashes&) = default;
};
RomHashes romHashesOf(const Machine& machine);
// One key for the program loaded: the ROMs and game ROMs together.
std::uint64_t programKey(const RomHashes& hashes);

struct StateFileHeader {
    std::uint32_t format = 0;
    std::string programVersion;
    RomHashes roms;
    std::int32_t ramexpanders = 0;
    FrameTiming timing;
    std::int64_t emulatedFrames = 0;  // where the machine stood on its timeline
    std::int64_t savedAtSeconds = 0;  // host time, seconds since 1970
};

struct StateFileRead {
    std::optional<MachineSnapshot> snapshot;  // only when the whole file is good
    StateFileHeader header;
    std::string problem;  // why not, in words, when not
};

std::vector<std::uint8_t> writeStateBytes(const Machine& machine, const StateFileHeader& header);
std::vector<std::uint8_t> writeStateBytes(const MachineSnapshot& snapshot,
                                          const StateFileHeader& header);
// Reads a state for `machine`: its ROMs must be those the file names.
StateFileRead readStateBytes(std::span<const std::uint8_t> bytes, const Machine& machine,
                             std::string_view programVersion);
// Only the header, for a slot's listing; nothing when the file is not one.
std::optional<StateFileHeader> readStateHeader(std::span<const std::uint8_t> bytes);

// The header made for `machine` now.
StateFileHeader stateHeaderFor(const Machine& machine, std::string_view programVersion,
                               std::int64_t emulatedFrames, std::int64_t savedAtSeconds);

// Written atomically; the problem in words when it could not be.
std::optional<std::string> saveStateFile(const std::filesystem::path& path, const Machine& machine,
                                         const StateFileHeader& header);
StateFileRead loadStateFile(const std::filesystem::path& path, const Machine& machine,
                            std::string_view programVersion);

}  // namespace vantorel
