#include "cassette/wav_encoder.h"

#include <algorithm>
#include <cmath>

#include "cassette/tape_recording.h"

namespace vantorel {

namespace {

// The level of one cell at `phase` (0 to 1 across the cell); `toggled` is
// the 1200 baud level, carried from cell to cell.
bool cellHigh(std::uint8_t cell, double phase, bool toggled) {
    const bool one = (cell & kCellLevelBit) != 0;
    if ((cell & kCellFastBit) == 0) {
        const int halves = one ? 16 : 8;  // eight cycles of 2400 Hz or four of 1200 Hz
        return static_cast<int>(phase * halves) % 2 == 0;
    }
    return (one && phase >= 0.5) ? !toggled : toggled;
}

template <std::size_t Size>
void putLittle(std::array<std::uint8_t, Size>& out, std::size_t& at, std::uint32_t value,
               int bytes) {
    for (int i = 0; i < bytes; ++i) out[at++] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <std::size_t Size>
void putId(std::array<std::uint8_t, Size>& out, std::size_t& at, const char (&id)[5]) {
    for (int i = 0; i < 4; ++i) out[at++] = static_cast<std::uint8_t>(id[i]);
}

}  // namespace

void TapeSignalEncoder::encode(std::uint8_t cell, std::vector<std::uint8_t>& samples) {
    const double baud = (cell & kCellFastBit) != 0 ? 1200.0 : 300.0;
    const double cellEnd = cellStart_ + 1.0 / baud;
    toggled_ = !toggled_;
    for (; static_cast<double>(sample_) / rate_ < cellEnd; ++sample_) {
        const double phase = (static_cast<double>(sample_) / rate_ - cellStart_) * baud;
        samples.push_back(cellHigh(cell, std::max(phase, 0.0), toggled_) ? kSignalHigh
                                                                         : kSignalLow);
    }
    if ((cell & kCellFastBit) != 0 && (cell & kCellLevelBit) != 0) toggled_ = !toggled_;
    cellStart_ = cellEnd;
}

std::vector<std::uint8_t> encodeTapeSignal(std::span<const std::uint8_t> cells,
                                           std::uint32_t sampleRate) {
    std::vector<std::uint8_t> samples;
    TapeSignalEncoder encoder(sampleRate);
    for (const std::uint8_t cell : cells) encoder.encode(cell, samples);
    return samples;
}

std::array<std::uint8_t, kWavHeaderBytes> wavHeader(std::uint32_t dataBytes,
                                                    std::uint32_t sampleRate) {
    const std::uint32_t pad = dataBytes & 1u;
    std::array<std::uint8_t, kWavHeaderBytes> out{};
    std::size_t at = 0;
    putId(out, at, "RIFF");
    putLittle(out, at, static_cast<std::uint32_t>(kWavHeaderBytes - 8) + dataBytes + pad, 4);
    putId(out, at, "WAVE");
    putId(out, at, "fmt ");
    putLittle(out, at, 16, 4);
    putLittle(out, at, 1, 2);           // PCM
    putLittle(out, at, 1, 2);           // mono
    putLittle(out, at, sampleRate, 4);  // samples per second
    putLittle(out, at, sampleRate, 4);  // bytes per second
    putLittle(out, at, 1, 2);           // block alignment
    putLittle(out, at, 8, 2);           // bits per sample
    putId(out, at, "data");
    putLittle(out, at, dataBytes, 4);
    return out;
}

std::vector<std::uint8_t> wavFileBytes(std::span<const std::uint8_t> samples,
                                       std::uint32_t sampleRate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size());
    const auto header = wavHeader(dataBytes, sampleRate);
    // The pad byte after an odd number of samples is silence.
    std::vector<std::uint8_t> out(header.size() + samples.size() + (dataBytes & 1u), 128);
    std::copy(header.begin(), header.end(), out.begin());
    std::copy(samples.begin(), samples.end(), out.begin() + std::ssize(header));
    return out;
}

}  // namespace vantorel
