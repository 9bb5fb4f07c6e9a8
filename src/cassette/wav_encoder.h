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
// Used as a WAV recording is written (cell by cell, TapeSignalEncoder), and
// by tests to make tapes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vantorel {

inline constexpr std::uint32_t kRecordingSampleRate = 44100;  // samples per second
inline constexpr std::uint8_t kSignalHigh = 128 + 96;
inline constexpr std::uint8_t kSignalLow = 128 - 96;

// Bytes of the WAV header before the samples ("RIFF", "fmt ", "data").
inline constexpr std::size_t kWavHeaderBytes = 44;
// The most samples an 8-bit WAV file can hold: its RIFF size (the header
// after its first 8 bytes, the samples and a pad byte after an odd count)
// must fit in 32 bits. An even number, so no pad byte is needed at the top.
inline constexpr std::uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - (kWavHeaderBytes - 8) - 1;

// Turns recorded cells into samples one cell at a time, exactly as
// encodeTapeSignal does for them all at once.
class TapeSignalEncoder {
  public:
    explicit TapeSignalEncoder(std::uint32_t sampleRate = kRecordingSampleRate)
        : rate_(sampleRate) {}

    // Appends the samples of `cell` (a recordedCell value) to `samples`.
    void encode(std::uint8_t cell, std::vector<std::uint8_t>& samples);

  private:
    double rate_;
    double cellStart_ = 0;  // seconds
    bool toggled_ = false;  // 1200 baud level before the cell's opening toggle
    std::uint64_t sample_ = 0;
};

// `cells` holds recordedCell values (tape_recording.h).
std::vector<std::uint8_t> encodeTapeSignal(std::span<const std::uint8_t> cells,
                                           std::uint32_t sampleRate = kRecordingSampleRate);

// The 44-byte header of an 8-bit mono PCM WAV file of `dataBytes` samples.
std::array<std::uint8_t, kWavHeaderBytes> wavHeader(std::uint32_t dataBytes,
                                                    std::uint32_t sampleRate);

// A whole 8-bit mono PCM WAV file holding `samples`.
std::vector<std::uint8_t> wavFileBytes(std::span<const std::uint8_t> samples,
                                       std::uint32_t sampleRate);

}  // namespace vantorel
