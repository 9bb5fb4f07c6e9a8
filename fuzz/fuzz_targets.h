// The fuzz targets: one per kind of file the emulator reads.
//
// Each takes any bytes as the contents of a file and drives the real path
// from the file to the machine's state, checking what must hold whatever the
// bytes are. libFuzzer calls one through libfuzzer_entry.cpp; the test suite
// calls every one on the seed inputs (fuzz_seeds.h) and on the inputs kept
// from past findings (fuzz/regressions/<target name>/).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vantorel::fuzz {

using Bytes = std::span<const std::uint8_t>;

// Load Game ROM with the bytes as the ROM file: the slot its size chooses
// holds the file, FF past it; then the processor runs the ROM's code.
void fuzzGameRom(Bytes file);
// Load .SNP, then a few frames of the restored machine and a paint.
void fuzzSnapshot(Bytes file);
// The settings file: load, save every section, load again: the same record.
void fuzzSettings(Bytes file);
// Quick Type... with the bytes as the text, typed to its end.
void fuzzQuickType(Bytes file);
// Play Cassette File... as WAV: the header checks, then the tape played into
// the machine for its length (at most kLongestTapeTStates).
void fuzzWavTape(Bytes file);
// Play Cassette File... as a raw tape, likewise.
void fuzzRawTape(Bytes file);
// The Memory dialog's monitor and character ROM files: the first byte's bit
// 0 chooses which one the rest of the bytes are; the machine boots with it.
void fuzzRomImage(Bytes input);
// A save-state file (Load State): refused with a message or taken whole.
void fuzzStateFile(Bytes file);
// A label file (pasmo, z80asm, SDCC or a plain EQU list), read in every
// format.
void fuzzSymbolFile(Bytes file);
// The bytes a GDB client sends to the remote debugging port, answered by
// the server over a toy target.
void fuzzGdbPackets(Bytes bytes);
// The program version the state file target and its seeds write and read.
inline constexpr std::string_view kFuzzStateVersion = "fuzz";

// The tape targets play at most this much emulated time (4 s at 2,106,360
// T-states a second), so that a tape of a very low sample rate still ends
// an input in good time.
inline constexpr std::int64_t kLongestTapeTStates = 4 * 2106360;

struct FuzzTarget {
    std::string_view name;  // the libFuzzer program is vantorel_fuzz_<name>
    void (*run)(Bytes);
};

inline constexpr FuzzTarget kFuzzTargets[] = {
    {"game_rom", fuzzGameRom},       {"snapshot", fuzzSnapshot},    {"settings", fuzzSettings},
    {"quick_type", fuzzQuickType},   {"wav_tape", fuzzWavTape},     {"raw_tape", fuzzRawTape},
    {"rom_image", fuzzRomImage},     {"state_file", fuzzStateFile}, {"symbol_file", fuzzSymbolFile},
    {"gdb_packets", fuzzGdbPackets},
};

}  // namespace vantorel::fuzz
