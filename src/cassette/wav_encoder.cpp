#include "cassette/wav_encoder.h"

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

void putLittle(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putId(std::vector<std::uint8_t>& out, const char (&id)[5]) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
}

}  // namespace

std::vector<std::uint8_t> encodeTapeSignal(std::span<const std::uint8_t> cells,
                                           std::uint32_t sampleRate) {
    std::vector<std::uint8_t> samples;
    const double rate = sampleRate;
    double cellStart = 0;  // seconds
    bool toggled = false;  // 1200 baud level before the cell's opening toggle
    std::uint64_t sample = 0;
    for (std::uint8_t cell : cells) {
        const double baud = (cell & kCellFastBit) != 0 ? 1200.0 : 300.0;
        const double cellEnd = cellStart + 1.0 / baud;
        toggled = !toggled;
        for (; static_cast<double>(sample) / rate < cellEnd; ++sample) {
            const double phase = (static_cast<double>(sample) / rate - cellStart) * baud;
            samples.push_back(cellHigh(cell, std::max(phase, 0.0), toggled) ? kSignalHigh
                                                                            : kSignalLow);
        }
        if ((cell & kCellFastBit) != 0 && (cell & kCellLevelBit) != 0) toggled = !toggled;
        cellStart = cellEnd;
    }
    return samples;
}

std::vector<std::uint8_t> wavFileBytes(std::span<const std::uint8_t> samples,
                                       std::uint32_t sampleRate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size());
    const std::uint32_t pad = dataBytes & 1u;
    std::vector<std::uint8_t> out;
    out.reserve(44 + samples.size() + pad);
    putId(out, "RIFF");
    putLittle(out, 36 + dataBytes + pad, 4);
    putId(out, "WAVE");
    putId(out, "fmt ");
    putLittle(out, 16, 4);
    putLittle(out, 1, 2);           // PCM
    putLittle(out, 1, 2);           // mono
    putLittle(out, sampleRate, 4);  // samples per second
    putLittle(out, sampleRate, 4);  // bytes per second
    putLittle(out, 1, 2);           // block alignment
    putLittle(out, 8, 2);           // bits per sample
    putId(out, "data");
    putLittle(out, dataBytes, 4);
    out.insert(out.end(), samples.begin(), samples.end());
    if (pad != 0) out.push_back(128);
    return out;
}

}  // namespace vantorel
