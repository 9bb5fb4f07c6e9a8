// The recorded serial line as sound: the tape signal a Sorcerer would write.
//
// Each recorded bit cell becomes, at its own baud rate:
//   300 baud (Kansas City): a 1 is eight cycles of 2400 Hz, a 0 four cycles
//     of 1200 Hz, each cell starting on a rising half;
//   1200 baud: the level toggles at the start of the cell, and a 1 toggles
//     again in its middle (a 0 is half a cycle of 600 Hz, a 1 a cycle of
//     1200 Hz).
// The frequencies are exact at any output rate: every sample is placed by
// its own time, so nothing drifts over a long tape. The wave is square,
// between 128 - 96 and 128 + 96.
//
// Used when a WAV recording is written, and by tests to make tapes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vantorel {

inline constexpr std::uint32_t kRecordingSampleRate = 44100;  // samples per second
inline constexpr std::uint8_t kSignalHigh = 128 + 96;
inline constexpr std::uint8_t kSignalLow = 128 - 96;

// `cells` holds recordedCell values (tape_recording.h).
std::vector<std::uint8_t> encodeTapeSignal(std::span<const std::uint8_t> cells,
                                           std::uint32_t sampleRate = kRecordingSampleRate);

// A whole 8-bit mono PCM WAV file holding `samples`.
std::vector<std::uint8_t> wavFileBytes(std::span<const std::uint8_t> samples,
                                       std::uint32_t sampleRate);

}  // namespace vantorel
