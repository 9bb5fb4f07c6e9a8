// What the tape recorder took down while a motor was on: the bytes the UART
// sent and, for a WAV recording, every bit cell of the serial line.
//
// Filled by TapeDeck, kept outside its state: the deck names it by number
// and counts its bytes and cells, so that a state put back cuts the
// recording to what it held then. A recording without a file stays here
// whole; one with a file is moved out after every processor slice into its
// file (tape_recording_file.h), so these lists hold only what came since
// (and a state put back cannot take back what the file already holds).
#pragma once

#include <cstdint>
#include <vector>

#include "cassette/tape_timing.h"

namespace vantorel {

enum class TapeFormat : std::uint8_t {
    raw,  // the bytes of the character frames (.cvz)
    wav,  // the audio signal, 8-bit mono PCM
};

// A recorded bit cell: bit 0 its line level, bit 1 set when sent at 1200 baud.
inline constexpr std::uint8_t kCellLevelBit = 0x01;
inline constexpr std::uint8_t kCellFastBit = 0x02;

inline constexpr std::uint8_t recordedCell(std::uint8_t level, TapeBaud baud) {
    return static_cast<std::uint8_t>(level | (baud == TapeBaud::baud1200 ? kCellFastBit : 0));
}

struct TapeRecording {
    std::uint32_t number = 0;  // the deck's number for this recording (0: none started)
    TapeFormat format = TapeFormat::raw;
    std::vector<std::uint8_t> bytes;  // every byte sent, in order
    std::vector<std::uint8_t> cells;  // WAV recordings only: recordedCell values
    double tstates = 0;               // motor-on time recorded, in T-states
};

}  // namespace vantorel
